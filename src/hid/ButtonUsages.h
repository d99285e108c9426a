#pragma once
// Button press and release detection over lists of HID usages: what the parser's
// usage-list difference gives, and the one value the program reports for it.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zq {

// Usage lists hold at most this many usages; longer ones are cut to it.
inline constexpr std::size_t MaxButtonUsages = 100;

// A list ends at its first zero usage or after `length` entries. breakUsages
// receives the usages of `previous` that are not in `current` (released), make
// the usages of `current` that are not in `previous` (pressed), each in list
// order and followed by zeros. Every span must hold `length` entries.
void UsageListDifference(std::span<const std::uint16_t> previous,
                         std::span<const std::uint16_t> current,
                         std::span<std::uint16_t> breakUsages, std::span<std::uint16_t> makeUsages,
                         std::size_t length);

// The first released usage in the low 16 bits if there is one; otherwise the
// first pressed usage in the high 16 bits; otherwise 0. A report that presses
// and releases buttons at once therefore reports only the release.
std::uint32_t ButtonDataFromDifference(std::span<const std::uint16_t> breakUsages,
                                       std::span<const std::uint16_t> makeUsages);

} // namespace zq

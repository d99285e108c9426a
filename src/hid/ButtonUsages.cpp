#include "hid/ButtonUsages.h"

#include <algorithm>

namespace zq {

namespace {

std::size_t ListLength(std::span<const std::uint16_t> list, std::size_t length) {
    const auto end = list.begin() + static_cast<std::ptrdiff_t>(length);
    return static_cast<std::size_t>(std::find(list.begin(), end, 0) - list.begin());
}

// The usages of `from` that `other` lacks, written to `out` and zero-filled.
void Missing(std::span<const std::uint16_t> from, std::size_t fromLength,
             std::span<const std::uint16_t> other, std::size_t otherLength,
             std::span<std::uint16_t> out, std::size_t length) {
    std::size_t n = 0;
    const auto otherEnd = other.begin() + static_cast<std::ptrdiff_t>(otherLength);
    for (std::size_t i = 0; i < fromLength; ++i)
        if (std::find(other.begin(), otherEnd, from[i]) == otherEnd)
            out[n++] = from[i];
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n),
              out.begin() + static_cast<std::ptrdiff_t>(length), 0);
}

} // namespace

void UsageListDifference(std::span<const std::uint16_t> previous,
                         std::span<const std::uint16_t> current,
                         std::span<std::uint16_t> breakUsages, std::span<std::uint16_t> makeUsages,
                         std::size_t length) {
    length =
        std::min({length, previous.size(), current.size(), breakUsages.size(), makeUsages.size()});
    const std::size_t previousLength = ListLength(previous, length);
    const std::size_t currentLength = ListLength(current, length);
    Missing(previous, previousLength, current, currentLength, breakUsages, length);
    Missing(current, currentLength, previous, previousLength, makeUsages, length);
}

std::uint32_t ButtonDataFromDifference(std::span<const std::uint16_t> breakUsages,
                                       std::span<const std::uint16_t> makeUsages) {
    if (!breakUsages.empty() && breakUsages[0] != 0)
        return breakUsages[0];
    if (!makeUsages.empty() && makeUsages[0] != 0)
        return static_cast<std::uint32_t>(makeUsages[0]) << 16;
    return 0;
}

} // namespace zq

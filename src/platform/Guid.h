#pragma once
// Globally unique identifiers as the platform names device interface classes,
// and their text form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zq {

struct Guid {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};
    bool operator==(const Guid&) const = default;
};

// The device interface class of HID collections.
inline constexpr Guid HidInterfaceClassGuid{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// Reads the text form, braces included, hexadecimal digits in either case.
std::optional<Guid> ParseGuid(std::u16string_view text);
// The text form with braces and lower-case digits.
std::u16string GuidToText(const Guid& guid);

} // namespace zq

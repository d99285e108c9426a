#pragma once
// The mouse's vendor input reports that the monitor acts on.

#include <array>
#include <cstdint>

namespace zq {

// Input report 7: which button was pressed, as a 24-bit mask in data bytes 0 to 2.
inline constexpr std::uint8_t ButtonReportId = 7;
// Input report 8: a change made on the mouse, sub-code in data byte 0, value in 1.
inline constexpr std::uint8_t StatusReportId = 8;
// Only reports of this many data bytes (after the report id) are examined.
inline constexpr std::uint16_t DeviceReportDataSize = 7;

// Status sub-codes.
inline constexpr std::uint8_t StatusProfileChanged = 1;
inline constexpr std::uint8_t StatusCpiChanged = 2;
inline constexpr std::uint8_t StatusNotice6 = 6;

// Row j: the report id, then the 24-bit mask with only bit j set, least
// significant byte first; j is the key index of that button.
inline constexpr int KeyCount = 24;
inline constexpr auto KeyCodeTable = [] {
    std::array<std::array<std::uint8_t, 4>, KeyCount> table{};
    for (int j = 0; j < KeyCount; ++j) {
        const std::uint32_t mask = 1u << j;
        table[j] = {ButtonReportId, static_cast<std::uint8_t>(mask & 0xFF),
                    static_cast<std::uint8_t>((mask >> 8) & 0xFF),
                    static_cast<std::uint8_t>(mask >> 16)};
    }
    return table;
}();
static_assert(KeyCodeTable[0][1] == 0x01 && KeyCodeTable[15][2] == 0x80 &&
              KeyCodeTable[23][3] == 0x80);

// MSG_DEVICE_ACTION's wParam: key indices 0 to 23 from button reports, and
// 21 + profile for a profile the mouse switched to (the two share 21 to 23; such
// a key press is taken as a profile event).
inline constexpr int FirstProfileAction = 21;
inline constexpr int LastProfileAction = 25;
// Buttons that have a function entry in a profile.
inline constexpr int LastButtonWithFunction = 13;

} // namespace zq

#pragma once
// Virtual-key codes to USB HID usages. One row per key with its constant name,
// scan code, extended-key marker, usage and caption. Usages are of the
// Keyboard/Keypad page, except in the media and browser rows (VK_BROWSER_BACK to
// VK_LAUNCH_APP2), which hold Consumer page usages; whoever uses a code knows the
// page from the kind of key it asked for.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zq {

struct TKeyboardInfoTable {
    std::u16string VKName;
    std::int32_t VKCode = 0;
    std::int32_t ScanCode = 0;
    std::int32_t Extended = 0; // 224 = plain variant, 225 = extended variant
    std::int32_t HIDCode = -1; // -1 = the key has no usage
    std::u16string KeyDescription;
};

// Extended-key markers of the rows.
inline constexpr std::int32_t PlainKeyMarker = 224;
inline constexpr std::int32_t ExtendedKeyMarker = 225;
// Rows of each run-time table: virtual-key codes 0 to 299.
inline constexpr std::size_t KeyboardInfoRows = 300;

// The constant tables.
const std::array<TKeyboardInfoTable, 184>& StandardKeys();         // codes 0 to 183, row n = code n
const std::array<TKeyboardInfoTable, 7>& OemKeys1();               // codes 186 to 192
const std::array<TKeyboardInfoTable, 8>& OemKeys2();               // codes 219 to 226
const std::array<TKeyboardInfoTable, 4>& ExtendedEditKeys();       // 13, 45, 46, 255
const std::array<TKeyboardInfoTable, 8>& ExtendedNavigationKeys(); // 33 to 40
// The numeric keypad with Num Lock on and off; kept with the others, read by no lookup.
const std::array<TKeyboardInfoTable, 17>& NumPadKeys();
const std::array<TKeyboardInfoTable, 17>& NumPadNavigationKeys();

// The run-time tables, indexed by virtual-key code; empty until built.
const std::vector<TKeyboardInfoTable>& KeyboardInfos();
const std::vector<TKeyboardInfoTable>& ExtendedKeyboardInfos();

// Builds both run-time tables from the constant ones. Main thread only, like the
// lookups that build on first use.
void BuildKeyboardInfos();

// The HID usage of a key; 0 when it has none. Extended: 0 or 224 for the plain
// key, 1 or 225 for the extended key; any other value reads the extended table.
std::uint32_t VKCodeToHIDCode(std::int32_t VKCode, std::int32_t Extended);

} // namespace zq

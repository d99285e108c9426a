#pragma once
// Ready-made key functions that a mouse button can be bound to, in two families:
// as HID usages with a HID keyboard modifier (THID_CODE_INFO) and as virtual-key
// combinations with the platform's hot-key modifiers (TCOMBOKEYINFO). Each family
// has an editing list, a system list, a media list and a browser list of 50 rows;
// rows past the listed keys are all zero. A family is built as a whole, on the
// first read of one of its lists, and never changes afterwards. Main thread only.

#include "keycodes/ComboKeyInfo.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zq {

// HID keyboard modifier bits.
inline constexpr std::uint16_t HID_LEFT_CONTROL = 1;
inline constexpr std::uint16_t HID_LEFT_SHIFT = 2;
inline constexpr std::uint16_t HID_LEFT_ALT = 4;
inline constexpr std::uint16_t HID_LEFT_GUI = 8;

#pragma pack(push, 1)
struct THID_CODE_INFO {
    std::uint16_t nKeyValue1; // usage of the key (Keyboard/Keypad or Consumer page, by list)
    std::uint16_t nKeyValue2; // usage of a second key, 0 = none
    std::uint16_t nModifier;  // HID_* modifier bits
};
#pragma pack(pop)

static_assert(sizeof(THID_CODE_INFO) == 6);
static_assert(offsetof(THID_CODE_INFO, nKeyValue2) == 2);
static_assert(offsetof(THID_CODE_INFO, nModifier) == 4);

inline constexpr std::size_t KeyListRows = 50;

// A row from virtual keys: the usages of both keys (VKCodeToHIDCode), the modifier as given.
THID_CODE_INFO MakeHIDCodeInfo(std::int32_t Modifier, std::int32_t VKCode1, std::int32_t Extended1,
                               std::int32_t VKCode2, std::int32_t Extended2);
// A row from virtual keys, stored as given, with an empty text.
TCOMBOKEYINFO MakeComboKeyInfo(std::int32_t Modifier, std::int32_t VKCode1, std::int32_t Extended1,
                               std::int32_t VKCode2, std::int32_t Extended2);

// Fill the four lists of their family; do nothing when it is built already.
void BuildHIDCodeLists();
void BuildComboKeyLists();

// The lists as they stand (empty until their family is built).
const std::vector<THID_CODE_INFO>& EditHotKeyCodes();
const std::vector<THID_CODE_INFO>& SystemHotKeyCodes();
const std::vector<THID_CODE_INFO>& MultimediaKeyCodes();
const std::vector<THID_CODE_INFO>& InternetKeyCodes();
const std::vector<TCOMBOKEYINFO>& EditComboKeys();
const std::vector<TCOMBOKEYINFO>& SystemComboKeys();
const std::vector<TCOMBOKEYINFO>& MultimediaComboKeys();
const std::vector<TCOMBOKEYINFO>& BrowserComboKeys();

// Info := row Index of the list, building the family first when needed. An Index
// outside 0 to 49 leaves Info as it was.
void GetMultimediaKeyCode(std::int32_t Index, THID_CODE_INFO& Info);
void GetInternetKeyCode(std::int32_t Index, THID_CODE_INFO& Info);
void GetSystemComboKey(std::int32_t Index, TCOMBOKEYINFO& Info);
void GetBrowserComboKey(std::int32_t Index, TCOMBOKEYINFO& Info);

} // namespace zq

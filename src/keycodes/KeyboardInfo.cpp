#include "keycodes/KeyboardInfo.h"

namespace zq {

namespace {

std::vector<TKeyboardInfoTable> GKeyboardInfos;
std::vector<TKeyboardInfoTable> GExtendedKeyboardInfos;

// "VK_UNDEFINED_" / "UNDEFINED_" followed by the code as three upper-case hex digits.
std::u16string ThreeHexDigits(std::size_t code) {
    constexpr char16_t Digits[] = u"0123456789ABCDEF";
    return {Digits[(code >> 8) & 0xF], Digits[(code >> 4) & 0xF], Digits[code & 0xF]};
}

std::vector<TKeyboardInfoTable> UndefinedRows(std::int32_t marker) {
    std::vector<TKeyboardInfoTable> rows(KeyboardInfoRows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::u16string digits = ThreeHexDigits(i);
        rows[i] = {u"VK_UNDEFINED_" + digits, static_cast<std::int32_t>(i), 0, marker, -1,
                   u"UNDEFINED_" + digits};
    }
    return rows;
}

template <std::size_t N>
void CopyRows(const std::array<TKeyboardInfoTable, N>& from, std::vector<TKeyboardInfoTable>& to) {
    for (const auto& row : from)
        to[static_cast<std::size_t>(row.VKCode)] = row;
}

} // namespace

const std::array<TKeyboardInfoTable, 184>& StandardKeys() {
    static const std::array<TKeyboardInfoTable, 184> table{{
        {u"VK_NULL", 0, 0, 224, -1, u""},
        {u"VK_LBUTTON", 1, 0, 224, -1, u"Mouse Left Click"},
        {u"VK_RBUTTON", 2, 0, 224, -1, u"Mouse Right Click"},
        {u"VK_CANCEL", 3, 0, 224, -1, u"Control Break"},
        {u"VK_MBUTTON", 4, 0, 224, -1, u"Mouse Middle Click"},
        {u"VK_UNDEFINED_05", 5, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_06", 6, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_07", 7, 0, 224, -1, u"Undefined"},
        {u"VK_BACK", 8, 0, 224, 42, u"BACKSPACE"},
        {u"VK_TAB", 9, 0, 224, 43, u"TAB"},
        {u"VK_UNDEFINED_0A", 10, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_0B", 11, 0, 224, -1, u"Undefined"},
        {u"VK_CLEAR", 12, 0, 224, 156, u"CLEAR"},
        {u"VK_RETURN", 13, 0, 224, 40, u"ENTER"},
        {u"VK_UNDEFINED_0E", 14, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_0F", 15, 0, 224, -1, u"Undefined"},
        {u"VK_SHIFT", 16, 0, 224, -1, u"SHIFT"},
        {u"VK_CONTROL", 17, 0, 224, -1, u"CTRL"},
        {u"VK_MENU", 18, 0, 224, -1, u"ALT"},
        {u"VK_PAUSE", 19, 0, 224, 72, u"PAUSE"},
        {u"VK_CAPITAL", 20, 0, 224, 57, u"CAPS LOCK"},
        {u"VK_UNDEFINED_15", 21, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_16", 22, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_17", 23, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_18", 24, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_19", 25, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_1A", 26, 0, 224, -1, u"Undefined"},
        {u"VK_ESCAPE", 27, 0, 224, 41, u"ESC"},
        {u"VK_UNDEFINED_1C", 28, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_1D", 29, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_1E", 30, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_1F", 31, 0, 224, -1, u"Undefined"},
        {u"VK_SPACE", 32, 0, 224, 44, u"SPACEBAR"},
        {u"VK_PRIOR", 33, 0, 224, 97, u"PAGE UP"},
        {u"VK_NEXT", 34, 0, 224, 91, u"PAGE DOWN"},
        {u"VK_END", 35, 0, 224, 89, u"END"},
        {u"VK_HOME", 36, 0, 224, 95, u"HOME"},
        {u"VK_LEFT", 37, 0, 224, 92, u"LEFT ARROW"},
        {u"VK_UP", 38, 0, 224, 96, u"UP ARROW"},
        {u"VK_RIGHT", 39, 0, 224, 94, u"RIGHT ARROW"},
        {u"VK_DOWN", 40, 0, 224, 90, u"DOWN ARROW"},
        {u"VK_SELECT", 41, 0, 224, -1, u"SELECT"},
        {u"VK_PRINT", 42, 0, 224, -1, u"PRINT"},
        {u"VK_EXECUTE", 43, 0, 224, -1, u"EXECUTE"},
        {u"VK_SNAPSHOT", 44, 0, 225, 70, u"PRINT SCREEN"},
        {u"VK_NUMPAD0_INSERT", 45, 0, 224, 98, u"Keypad 0 Insert"},
        {u"VK_DELETE", 46, 0, 224, 99, u"Keypad DEL"},
        {u"VK_HELP", 47, 0, 224, -1, u"HELP"},
        {u"VK_0", 48, 0, 224, 39, u"0"},
        {u"VK_1", 49, 0, 224, 30, u"1"},
        {u"VK_2", 50, 0, 224, 31, u"2"},
        {u"VK_3", 51, 0, 224, 32, u"3"},
        {u"VK_4", 52, 0, 224, 33, u"4"},
        {u"VK_5", 53, 0, 224, 34, u"5"},
        {u"VK_6", 54, 0, 224, 35, u"6"},
        {u"VK_7", 55, 0, 224, 36, u"7"},
        {u"VK_8", 56, 0, 224, 37, u"8"},
        {u"VK_9", 57, 0, 224, 38, u"9"},
        {u"VK_UNDEFINED_3A", 58, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_3B", 59, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_3C", 60, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_3D", 61, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_3E", 62, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_3F", 63, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_40", 64, 0, 224, -1, u"Undefined"},
        {u"VK_A", 65, 0, 224, 4, u"A"},
        {u"VK_B", 66, 0, 224, 5, u"B"},
        {u"VK_C", 67, 0, 224, 6, u"C"},
        {u"VK_D", 68, 0, 224, 7, u"D"},
        {u"VK_E", 69, 0, 224, 8, u"E"},
        {u"VK_F", 70, 0, 224, 9, u"F"},
        {u"VK_G", 71, 0, 224, 10, u"G"},
        {u"VK_H", 72, 0, 224, 11, u"H"},
        {u"VK_I", 73, 0, 224, 12, u"I"},
        {u"VK_J", 74, 0, 224, 13, u"J"},
        {u"VK_K", 75, 0, 224, 14, u"K"},
        {u"VK_L", 76, 0, 224, 15, u"L"},
        {u"VK_M", 77, 0, 224, 16, u"M"},
        {u"VK_N", 78, 0, 224, 17, u"N"},
        {u"VK_O", 79, 0, 224, 18, u"O"},
        {u"VK_P", 80, 0, 224, 19, u"P"},
        {u"VK_Q", 81, 0, 224, 20, u"Q"},
        {u"VK_R", 82, 0, 224, 21, u"R"},
        {u"VK_S", 83, 0, 224, 22, u"S"},
        {u"VK_T", 84, 0, 224, 23, u"T"},
        {u"VK_U", 85, 0, 224, 24, u"U"},
        {u"VK_V", 86, 0, 224, 25, u"V"},
        {u"VK_W", 87, 0, 224, 26, u"W"},
        {u"VK_X", 88, 0, 224, 27, u"X"},
        {u"VK_Y", 89, 0, 224, 28, u"Y"},
        {u"VK_Z", 90, 0, 224, 29, u"Z"},
        {u"VK_LWIN", 91, 0, 225, 227, u"L WIN"},
        {u"VK_RWIN", 92, 0, 225, 231, u"R WIN"},
        {u"VK_APP", 93, 0, 225, 101, u"APP"},
        {u"VK_UNDEFINED_5E", 94, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_5F", 95, 0, 224, -1, u"Undefined"},
        {u"VK_NUMPAD0", 96, 0, 224, 98, u"NUMPAD 0"},
        {u"VK_NUMPAD1", 97, 0, 224, 89, u"NUMPAD 1"},
        {u"VK_NUMPAD2", 98, 0, 224, 90, u"NUMPAD 2"},
        {u"VK_NUMPAD3", 99, 0, 224, 91, u"NUMPAD 3"},
        {u"VK_NUMPAD4", 100, 0, 224, 92, u"NUMPAD 4"},
        {u"VK_NUMPAD5", 101, 0, 224, 93, u"NUMPAD 5"},
        {u"VK_NUMPAD6", 102, 0, 224, 94, u"NUMPAD 6"},
        {u"VK_NUMPAD7", 103, 0, 224, 95, u"NUMPAD 7"},
        {u"VK_NUMPAD8", 104, 0, 224, 96, u"NUMPAD 8"},
        {u"VK_NUMPAD9", 105, 0, 224, 97, u"NUMPAD 9"},
        {u"VK_MULTIPLY", 106, 0, 224, 85, u"*"},
        {u"VK_ADD", 107, 0, 224, 87, u"+"},
        {u"VK_SEPARATOR", 108, 0, 224, 151, u"Separator"},
        {u"VK_SUBTRACT", 109, 0, 224, 86, u"-"},
        {u"VK_DECIMAL", 110, 0, 224, 99, u"Decimal"},
        {u"VK_DIVIDE", 111, 0, 225, 84, u"/"},
        {u"VK_F1", 112, 0, 224, 58, u"F1"},
        {u"VK_F2", 113, 0, 224, 59, u"F2"},
        {u"VK_F3", 114, 0, 224, 60, u"F3"},
        {u"VK_F4", 115, 0, 224, 61, u"F4"},
        {u"VK_F5", 116, 0, 224, 62, u"F5"},
        {u"VK_F6", 117, 0, 224, 63, u"F6"},
        {u"VK_F7", 118, 0, 224, 64, u"F7"},
        {u"VK_F8", 119, 0, 224, 65, u"F8"},
        {u"VK_F9", 120, 0, 224, 66, u"F9"},
        {u"VK_F10", 121, 0, 224, 67, u"F10"},
        {u"VK_F11", 122, 0, 224, 68, u"F11"},
        {u"VK_F12", 123, 0, 224, 69, u"F12"},
        {u"VK_F13", 124, 0, 224, 104, u"F13"},
        {u"VK_F14", 125, 0, 224, 105, u"F14"},
        {u"VK_F15", 126, 0, 224, 106, u"F15"},
        {u"VK_F16", 127, 0, 224, 107, u"F16"},
        {u"VK_F17", 128, 0, 224, 108, u"F17"},
        {u"VK_F18", 129, 0, 224, 109, u"F18"},
        {u"VK_F19", 130, 0, 224, 110, u"F19"},
        {u"VK_F20", 131, 0, 224, 111, u"F20"},
        {u"VK_F21", 132, 0, 224, 112, u"F21"},
        {u"VK_F22", 133, 0, 224, 113, u"F22"},
        {u"VK_F23", 134, 0, 224, 114, u"F23"},
        {u"VK_F24", 135, 0, 224, 115, u"F24"},
        {u"VK_UNDEFINED_88", 136, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_89", 137, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_8A", 138, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_8B", 139, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_8C", 140, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_8D", 141, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_8E", 142, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_8F", 143, 0, 224, -1, u"Undefined"},
        {u"VK_NUMLOCK", 144, 0, 225, 83, u"NUM LOCK"},
        {u"VK_SCROLL", 145, 0, 224, 71, u"Scroll Lock"},
        {u"VK_UNDEFINED_92", 146, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_93", 147, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_94", 148, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_95", 149, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_96", 150, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_97", 151, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_98", 152, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_99", 153, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_9A", 154, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_9B", 155, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_9C", 156, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_9D", 157, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_9E", 158, 0, 224, -1, u"Undefined"},
        {u"VK_UNDEFINED_9F", 159, 0, 224, -1, u"Undefined"},
        {u"VK_LSHIFT", 160, 0, 224, 225, u"L SHIFT"},
        {u"VK_RSHIFT", 161, 0, 225, 229, u"R SHIFT"},
        {u"VK_LCONTROL", 162, 0, 224, 224, u"L CTRL"},
        {u"VK_RCONTROL", 163, 0, 225, 228, u"R CTRL"},
        {u"VK_LMENU", 164, 0, 224, 226, u"L ALT"},
        {u"VK_RMENU", 165, 0, 225, 230, u"R ALT"},
        {u"VK_BROWSER_BACK", 166, 0, 225, 548, u"BROWSER_BACK"},
        {u"VK_BROWSER_FORWARD", 167, 0, 225, 549, u"BROWSER_FORWARD"},
        {u"VK_BROWSER_REFRESH", 168, 0, 225, 551, u"BROWSER_REFRESH"},
        {u"VK_BROWSER_STOP", 169, 0, 225, 550, u"BROWSER_STOP"},
        {u"VK_BROWSER_SEARCH", 170, 0, 225, 545, u"BROWSER_SEARCH"},
        {u"VK_BROWSER_FAVORITES", 171, 0, 225, 554, u"BROWSER_FAVORITES"},
        {u"VK_BROWSER_HOME", 172, 0, 225, 547, u"BROWSER_HOME"},
        {u"VK_VOLUME_MUTE", 173, 0, 225, 226, u"VOLUME_MUTE"},
        {u"VK_VOLUME_DOWN", 174, 0, 225, 234, u"VOLUME_DOWN"},
        {u"VK_VOLUME_UP", 175, 0, 225, 233, u"VOLUME_UP"},
        {u"VK_MEDIA_NEXT_TRACK", 176, 0, 225, 181, u"MEDIA_NEXT_TRACK"},
        {u"VK_MEDIA_PREV_TRACK", 177, 0, 225, 182, u"MEDIA_PREV_TRACK"},
        {u"VK_MEDIA_STOP", 178, 0, 225, 183, u"MEDIA_STOP"},
        {u"VK_MEDIA_PLAY_PAUSE", 179, 0, 225, 205, u"MEDIA_PLAY_PAUSE"},
        {u"VK_LAUNCH_MAIL", 180, 0, 225, 394, u"LAUNCH_MAIL"},
        {u"VK_LAUNCH_MEDIA_SELECT", 181, 0, 225, 387, u"LAUNCH_MEDIA_SELECT"},
        {u"VK_LAUNCH_APP1", 182, 0, 225, 404, u"LAUNCH_APP1"},
        {u"VK_LAUNCH_APP2", 183, 0, 225, 402, u"LAUNCH_APP2"},
    }};
    return table;
}

const std::array<TKeyboardInfoTable, 7>& OemKeys1() {
    static const std::array<TKeyboardInfoTable, 7> table{{
        {u"VK_OEM_1", 186, 39, 224, 51, u";:"},
        {u"VK_OEM_PLUS", 187, 13, 224, 46, u"="},
        {u"VK_OEM_COMMA", 188, 51, 224, 54, u",<"},
        {u"VK_OEM_MINUS", 189, 12, 224, 45, u"-_"},
        {u"VK_OEM_PERIOD", 190, 52, 224, 55, u"."},
        {u"VK_OEM_2", 191, 53, 224, 56, u"/?"},
        {u"VK_OEM_3", 192, 41, 224, 53, u"~`"},
    }};
    return table;
}

const std::array<TKeyboardInfoTable, 8>& OemKeys2() {
    static const std::array<TKeyboardInfoTable, 8> table{{
        {u"VK_OEM_4", 219, 26, 224, 47, u"[{"},
        {u"VK_OEM_5", 220, 43, 224, 49, u"\\|"},
        {u"VK_OEM_6", 221, 27, 224, 48, u"]}"},
        {u"VK_OEM_7", 222, 40, 224, 52, u"'\""},
        {u"VK_OEM_8", 223, 0, 224, -1, u"None"},
        {u"VK_UNDEFINED_E0", 224, 0, 224, -1, u"Undefined"},
        {u"VK_OEM_AX", 225, 0, 224, -1, u"AX"},
        {u"VK_OEM_102", 226, 86, 224, 100, u"Europe 2 (Note 2)"},
    }};
    return table;
}

const std::array<TKeyboardInfoTable, 4>& ExtendedEditKeys() {
    // The power key answers the Keyboard page's Power usage, although no lookup
    // of this program asks for it.
    static const std::array<TKeyboardInfoTable, 4> table{{
        {u"VK_RETURN", 13, 0, 225, 88, u"ENTER"},
        {u"VK_INSERT", 45, 0, 225, 73, u"INS"},
        {u"VK_DELETE", 46, 0, 225, 76, u"DEL"},
        {u"VK_POWER", 255, 94, 225, 102, u"POWER"},
    }};
    return table;
}

const std::array<TKeyboardInfoTable, 8>& ExtendedNavigationKeys() {
    static const std::array<TKeyboardInfoTable, 8> table{{
        {u"VK_PRIOR", 33, 0, 225, 75, u"PAGE UP"},
        {u"VK_NEXT", 34, 0, 225, 78, u"PAGE DOWN"},
        {u"VK_END", 35, 0, 225, 77, u"END"},
        {u"VK_HOME", 36, 0, 225, 74, u"HOME"},
        {u"VK_LEFT", 37, 0, 225, 80, u"LEFT ARROW"},
        {u"VK_UP", 38, 0, 225, 82, u"UP ARROW"},
        {u"VK_RIGHT", 39, 0, 225, 79, u"RIGHT ARROW"},
        {u"VK_DOWN", 40, 0, 225, 81, u"DOWN ARROW"},
    }};
    return table;
}

const std::array<TKeyboardInfoTable, 17>& NumPadKeys() {
    static const std::array<TKeyboardInfoTable, 17> table{{
        {u"VK_NUMPAD0", 96, 0, 224, 98, u"NUMPAD 0"},
        {u"VK_NUMPAD1", 97, 0, 224, 89, u"NUMPAD 1"},
        {u"VK_NUMPAD2", 98, 0, 224, 90, u"NUMPAD 2"},
        {u"VK_NUMPAD3", 99, 0, 224, 91, u"NUMPAD 3"},
        {u"VK_NUMPAD4", 100, 0, 224, 92, u"NUMPAD 4"},
        {u"VK_NUMPAD5", 101, 0, 224, 93, u"NUMPAD 5"},
        {u"VK_NUMPAD6", 102, 0, 224, 94, u"NUMPAD 6"},
        {u"VK_NUMPAD7", 103, 0, 224, 95, u"NUMPAD 7"},
        {u"VK_NUMPAD8", 104, 0, 224, 96, u"NUMPAD 8"},
        {u"VK_NUMPAD9", 105, 0, 224, 97, u"NUMPAD 9"},
        {u"VK_DECIMAL", 110, 0, 224, 99, u"Decimal"},
        {u"VK_MULTIPLY", 106, 0, 224, 85, u"KeyPad Multiply"},
        {u"VK_ADD", 107, 0, 224, 87, u"KeyPad Add"},
        {u"VK_SEPARATOR", 108, 0, 224, 151, u"KeyPad Separator"},
        {u"VK_SUBTRACT", 109, 0, 224, 86, u"KeyPad Subtract"},
        {u"VK_DIVIDE", 111, 0, 225, 84, u"KeyPad Divide"},
        {u"VK_RETURN", 13, 0, 225, 88, u"KeyPad ENTER"},
    }};
    return table;
}

const std::array<TKeyboardInfoTable, 17>& NumPadNavigationKeys() {
    static const std::array<TKeyboardInfoTable, 17> table{{
        {u"VK_NUMPAD0_INSERT", 45, 0, 224, 98, u"Keypad 0 Insert"},
        {u"VK_DECIMAL_DELETE", 46, 0, 224, 99, u"KeyPad Delete"},
        {u"VK_PRIOR", 33, 0, 224, 97, u"KeyPad PAGE UP"},
        {u"VK_NEXT", 34, 0, 224, 91, u"KeyPad PAGE DOWN"},
        {u"VK_END", 35, 0, 224, 89, u"KeyPad END"},
        {u"VK_HOME", 36, 0, 224, 95, u"KeyPad HOME"},
        {u"VK_LEFT", 37, 0, 224, 92, u"KeyPad LEFT ARROW"},
        {u"VK_UP", 38, 0, 224, 96, u"KeyPad UP ARROW"},
        {u"VK_RIGHT", 39, 0, 224, 94, u"KeyPad RIGHT ARROW"},
        {u"VK_DOWN", 40, 0, 224, 90, u"KeyPad DOWN ARROW"},
        {u"VK_0C", 12, 0, 224, 93, u"KeyPad 5"},
        {u"VK_MULTIPLY", 106, 0, 224, 85, u"KeyPad Multiply"},
        {u"VK_ADD", 107, 0, 224, 87, u"KeyPad Add"},
        {u"VK_SEPARATOR", 108, 0, 224, 151, u"KeyPad Separator"},
        {u"VK_SUBTRACT", 109, 0, 224, 86, u"KeyPad Subtract"},
        {u"VK_DIVIDE", 111, 0, 225, 84, u"KeyPad Divide"},
        {u"VK_RETURN", 13, 0, 225, 88, u"KeyPad ENTER"},
    }};
    return table;
}

const std::vector<TKeyboardInfoTable>& KeyboardInfos() {
    return GKeyboardInfos;
}

const std::vector<TKeyboardInfoTable>& ExtendedKeyboardInfos() {
    return GExtendedKeyboardInfos;
}

void BuildKeyboardInfos() {
    GKeyboardInfos = UndefinedRows(PlainKeyMarker);
    CopyRows(StandardKeys(), GKeyboardInfos);
    CopyRows(OemKeys1(), GKeyboardInfos);
    CopyRows(OemKeys2(), GKeyboardInfos);

    GExtendedKeyboardInfos = UndefinedRows(ExtendedKeyMarker);
    CopyRows(ExtendedEditKeys(), GExtendedKeyboardInfos);
    CopyRows(ExtendedNavigationKeys(), GExtendedKeyboardInfos);
}

std::uint32_t VKCodeToHIDCode(std::int32_t VKCode, std::int32_t Extended) {
    std::int32_t selector = Extended;
    if (Extended == PlainKeyMarker)
        selector = 0;
    else if (Extended == ExtendedKeyMarker)
        selector = 1;

    if (GKeyboardInfos.empty())
        BuildKeyboardInfos();
    if (VKCode < 0 || VKCode >= static_cast<std::int32_t>(KeyboardInfoRows))
        return 0;

    const auto index = static_cast<std::size_t>(VKCode);
    std::int32_t code = 0;
    if (selector == 0) {
        code = GKeyboardInfos[index].HIDCode;
    } else if (selector == 1) {
        // Keys whose plain row is marked extended (the Windows keys, right-hand
        // modifiers, media keys, ...) answer for their extended variant themselves.
        code = GKeyboardInfos[index].Extended == ExtendedKeyMarker
                   ? GKeyboardInfos[index].HIDCode
                   : GExtendedKeyboardInfos[index].HIDCode;
    } else {
        code = GExtendedKeyboardInfos[index].HIDCode;
    }
    return code == -1 ? 0 : static_cast<std::uint32_t>(code);
}

} // namespace zq

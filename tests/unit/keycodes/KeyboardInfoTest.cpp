#include "keycodes/KeyboardInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace zq::test {
namespace {

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

void ExpectRow(const TKeyboardInfoTable& row, const std::u16string& name, int code, int scan,
               int extended, int hid, const std::u16string& caption) {
    SCOPED_TRACE(Narrow(name));
    EXPECT_EQ(row.VKName, name);
    EXPECT_EQ(row.VKCode, code);
    EXPECT_EQ(row.ScanCode, scan);
    EXPECT_EQ(row.Extended, extended);
    EXPECT_EQ(row.HIDCode, hid);
    EXPECT_EQ(row.KeyDescription, caption);
}

TEST(StandardKeys, RowNHoldsCodeNWithoutScanCode) {
    const auto& keys = StandardKeys();
    for (std::size_t n = 0; n < keys.size(); ++n) {
        EXPECT_EQ(keys[n].VKCode, static_cast<int>(n));
        EXPECT_EQ(keys[n].ScanCode, 0);
    }
}

TEST(StandardKeys, RowsAsTabled) {
    const auto& k = StandardKeys();
    ExpectRow(k[0], u"VK_NULL", 0, 0, 224, -1, u"");
    ExpectRow(k[3], u"VK_CANCEL", 3, 0, 224, -1, u"Control Break");
    ExpectRow(k[5], u"VK_UNDEFINED_05", 5, 0, 224, -1, u"Undefined");
    ExpectRow(k[12], u"VK_CLEAR", 12, 0, 224, 156, u"CLEAR");
    ExpectRow(k[13], u"VK_RETURN", 13, 0, 224, 40, u"ENTER");
    ExpectRow(k[20], u"VK_CAPITAL", 20, 0, 224, 57, u"CAPS LOCK");
    ExpectRow(k[31], u"VK_UNDEFINED_1F", 31, 0, 224, -1, u"Undefined");
    ExpectRow(k[33], u"VK_PRIOR", 33, 0, 224, 97, u"PAGE UP");
    ExpectRow(k[40], u"VK_DOWN", 40, 0, 224, 90, u"DOWN ARROW");
    ExpectRow(k[44], u"VK_SNAPSHOT", 44, 0, 225, 70, u"PRINT SCREEN");
    ExpectRow(k[45], u"VK_NUMPAD0_INSERT", 45, 0, 224, 98, u"Keypad 0 Insert");
    ExpectRow(k[46], u"VK_DELETE", 46, 0, 224, 99, u"Keypad DEL");
    ExpectRow(k[48], u"VK_0", 48, 0, 224, 39, u"0");
    ExpectRow(k[57], u"VK_9", 57, 0, 224, 38, u"9");
    ExpectRow(k[65], u"VK_A", 65, 0, 224, 4, u"A");
    ExpectRow(k[90], u"VK_Z", 90, 0, 224, 29, u"Z");
    ExpectRow(k[93], u"VK_APP", 93, 0, 225, 101, u"APP");
    ExpectRow(k[96], u"VK_NUMPAD0", 96, 0, 224, 98, u"NUMPAD 0");
    ExpectRow(k[105], u"VK_NUMPAD9", 105, 0, 224, 97, u"NUMPAD 9");
    ExpectRow(k[108], u"VK_SEPARATOR", 108, 0, 224, 151, u"Separator");
    ExpectRow(k[111], u"VK_DIVIDE", 111, 0, 225, 84, u"/");
    ExpectRow(k[123], u"VK_F12", 123, 0, 224, 69, u"F12");
    ExpectRow(k[124], u"VK_F13", 124, 0, 224, 104, u"F13");
    ExpectRow(k[135], u"VK_F24", 135, 0, 224, 115, u"F24");
    ExpectRow(k[144], u"VK_NUMLOCK", 144, 0, 225, 83, u"NUM LOCK");
    ExpectRow(k[145], u"VK_SCROLL", 145, 0, 224, 71, u"Scroll Lock");
    ExpectRow(k[159], u"VK_UNDEFINED_9F", 159, 0, 224, -1, u"Undefined");
    ExpectRow(k[161], u"VK_RSHIFT", 161, 0, 225, 229, u"R SHIFT");
    ExpectRow(k[164], u"VK_LMENU", 164, 0, 224, 226, u"L ALT");
    ExpectRow(k[166], u"VK_BROWSER_BACK", 166, 0, 225, 548, u"BROWSER_BACK");
    ExpectRow(k[173], u"VK_VOLUME_MUTE", 173, 0, 225, 226, u"VOLUME_MUTE");
    ExpectRow(k[183], u"VK_LAUNCH_APP2", 183, 0, 225, 402, u"LAUNCH_APP2");
}

TEST(StandardKeys, MediaAndBrowserRowsHoldConsumerUsages) {
    const int usages[] = {548, 549, 551, 550, 545, 554, 547, 226, 234,
                          233, 181, 182, 183, 205, 394, 387, 404, 402};
    for (int i = 0; i < 18; ++i) {
        const auto& row = StandardKeys()[166 + i];
        EXPECT_EQ(row.HIDCode, usages[i]) << Narrow(row.VKName);
        EXPECT_EQ(row.Extended, 225);
        EXPECT_EQ(row.KeyDescription, row.VKName.substr(3));
    }
}

TEST(OemAndExtendedKeys, RowsAsTabled) {
    ASSERT_EQ(OemKeys1().size(), 7u);
    ExpectRow(OemKeys1()[0], u"VK_OEM_1", 186, 39, 224, 51, u";:");
    ExpectRow(OemKeys1()[6], u"VK_OEM_3", 192, 41, 224, 53, u"~`");
    ASSERT_EQ(OemKeys2().size(), 8u);
    ExpectRow(OemKeys2()[1], u"VK_OEM_5", 220, 43, 224, 49, u"\\|");
    ExpectRow(OemKeys2()[3], u"VK_OEM_7", 222, 40, 224, 52, u"'\"");
    ExpectRow(OemKeys2()[7], u"VK_OEM_102", 226, 86, 224, 100, u"Europe 2 (Note 2)");
    ExpectRow(ExtendedEditKeys()[0], u"VK_RETURN", 13, 0, 225, 88, u"ENTER");
    EXPECT_EQ(ExtendedEditKeys()[3].VKCode, 255);
    EXPECT_EQ(ExtendedEditKeys()[3].ScanCode, 94);
    ExpectRow(ExtendedNavigationKeys()[0], u"VK_PRIOR", 33, 0, 225, 75, u"PAGE UP");
    ExpectRow(ExtendedNavigationKeys()[7], u"VK_DOWN", 40, 0, 225, 81, u"DOWN ARROW");
    ExpectRow(NumPadKeys()[10], u"VK_DECIMAL", 110, 0, 224, 99, u"Decimal");
    ExpectRow(NumPadKeys()[16], u"VK_RETURN", 13, 0, 225, 88, u"KeyPad ENTER");
    ExpectRow(NumPadNavigationKeys()[10], u"VK_0C", 12, 0, 224, 93, u"KeyPad 5");
    ExpectRow(NumPadNavigationKeys()[1], u"VK_DECIMAL_DELETE", 46, 0, 224, 99, u"KeyPad Delete");
}

TEST(BuildKeyboardInfos, FillsThreeHundredRowsAndOverlaysTheTables) {
    BuildKeyboardInfos();
    ASSERT_EQ(KeyboardInfos().size(), 300u);
    ASSERT_EQ(ExtendedKeyboardInfos().size(), 300u);
    ExpectRow(KeyboardInfos()[200], u"VK_UNDEFINED_0C8", 200, 0, 224, -1, u"UNDEFINED_0C8");
    ExpectRow(KeyboardInfos()[184], u"VK_UNDEFINED_0B8", 184, 0, 224, -1, u"UNDEFINED_0B8");
    ExpectRow(KeyboardInfos()[299], u"VK_UNDEFINED_12B", 299, 0, 224, -1, u"UNDEFINED_12B");
    ExpectRow(KeyboardInfos()[188], u"VK_OEM_COMMA", 188, 51, 224, 54, u",<");
    ExpectRow(KeyboardInfos()[224], u"VK_UNDEFINED_E0", 224, 0, 224, -1, u"Undefined");
    ExpectRow(ExtendedKeyboardInfos()[65], u"VK_UNDEFINED_041", 65, 0, 225, -1, u"UNDEFINED_041");
    ExpectRow(ExtendedKeyboardInfos()[45], u"VK_INSERT", 45, 0, 225, 73, u"INS");
    for (int code : {13, 33, 34, 35, 36, 37, 38, 39, 40, 45, 46, 255})
        EXPECT_NE(ExtendedKeyboardInfos()[code].HIDCode, -1) << code;
}

TEST(VKCodeToHIDCode, SelectorRules) {
    struct Case {
        int VKCode, Extended;
        unsigned Usage;
    };
    const Case cases[] = {
        {13, 0, 40},   {13, 224, 40}, {13, 1, 88},   {13, 225, 88}, // Enter, keypad Enter
        {33, 0, 97},   {33, 1, 75},                                 // keypad vs. dedicated Page Up
        {91, 0, 227},  {91, 1, 227},                                // left Windows key
        {179, 1, 205}, {179, 0, 205},                               // Play/Pause (Consumer page)
        {65, 1, 0},                                                 // A has no extended row
        {16, 0, 0},                                                 // VK_SHIFT has no usage
        {13, 2, 88},   {91, 2, 0},                 // other selectors: extended table
        {300, 0, 0},   {-1, 0, 0},    {299, 1, 0}, // outside the tables
        {186, 0, 51},  {226, 0, 100}, {255, 1, 102},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VKCodeToHIDCode(c.VKCode, c.Extended), c.Usage) << c.VKCode << ", " << c.Extended;
}

} // namespace
} // namespace zq::test

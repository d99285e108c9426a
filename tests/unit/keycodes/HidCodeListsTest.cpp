#include "keycodes/HidCodeLists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// Packed record fields are read by value (unary +) in assertions: the assertion
// macros take references, which a packed field cannot safely give.

namespace zq::test {
namespace {

struct HidRow {
    std::uint16_t Key1, Key2, Modifier;
};
struct ComboRow {
    std::uint16_t Key1, Key1Extended, Modifier;
};

void ExpectList(const std::vector<THID_CODE_INFO>& list, const std::vector<HidRow>& rows) {
    ASSERT_EQ(list.size(), KeyListRows);
    for (std::size_t i = 0; i < KeyListRows; ++i) {
        const HidRow expected = i < rows.size() ? rows[i] : HidRow{0, 0, 0};
        EXPECT_EQ(+list[i].nKeyValue1, expected.Key1) << "row " << i;
        EXPECT_EQ(+list[i].nKeyValue2, expected.Key2) << "row " << i;
        EXPECT_EQ(+list[i].nModifier, expected.Modifier) << "row " << i;
    }
}

void ExpectList(const std::vector<TCOMBOKEYINFO>& list, const std::vector<ComboRow>& rows) {
    ASSERT_EQ(list.size(), KeyListRows);
    for (std::size_t i = 0; i < KeyListRows; ++i) {
        TCOMBOKEYINFO expected;
        std::memset(&expected, 0, sizeof(expected));
        if (i < rows.size()) {
            expected.nKeyValue1 = rows[i].Key1;
            expected.nKey1Extended = rows[i].Key1Extended;
            expected.nModifier = rows[i].Modifier;
        }
        EXPECT_EQ(std::memcmp(&list[i], &expected, sizeof(expected)), 0) << "row " << i;
    }
}

TEST(HidCodeLists, ContentsOfTheHidFamily) {
    BuildHIDCodeLists();
    ExpectList(EditHotKeyCodes(), {{27, 0, 1},
                                   {6, 0, 1},
                                   {25, 0, 1},
                                   {4, 0, 1},
                                   {9, 0, 1},
                                   {17, 0, 1},
                                   {19, 0, 1},
                                   {22, 0, 1}});
    ExpectList(SystemHotKeyCodes(),
               {{43, 0, 4}, {61, 0, 4}, {8, 0, 8}, {21, 0, 8}, {7, 0, 8}, {15, 0, 8}});
    ExpectList(MultimediaKeyCodes(), {{205, 0, 0},
                                      {183, 0, 0},
                                      {182, 0, 0},
                                      {181, 0, 0},
                                      {233, 0, 0},
                                      {234, 0, 0},
                                      {226, 0, 0},
                                      {387, 0, 0}});
    ExpectList(InternetKeyCodes(), {{547, 0, 0},
                                    {548, 0, 0},
                                    {549, 0, 0},
                                    {550, 0, 0},
                                    {551, 0, 0},
                                    {545, 0, 0},
                                    {554, 0, 0},
                                    {394, 0, 0}});
}

TEST(HidCodeLists, ContentsOfTheCombinationFamily) {
    BuildComboKeyLists();
    ExpectList(EditComboKeys(), {{88, 0, 2},
                                 {67, 0, 2},
                                 {86, 0, 2},
                                 {65, 0, 2},
                                 {70, 0, 2},
                                 {78, 0, 2},
                                 {80, 0, 2},
                                 {83, 0, 2}});
    ExpectList(SystemComboKeys(),
               {{9, 0, 1}, {115, 0, 1}, {69, 0, 8}, {82, 0, 8}, {68, 0, 8}, {76, 0, 8}});
    ExpectList(MultimediaComboKeys(), {{179, 1, 0},
                                       {178, 1, 0},
                                       {177, 1, 0},
                                       {176, 1, 0},
                                       {175, 1, 0},
                                       {174, 1, 0},
                                       {173, 1, 0},
                                       {181, 1, 0}});
    ExpectList(BrowserComboKeys(), {{87, 0, 2}, {107, 0, 2}, {109, 0, 2}, {9, 0, 6}, {9, 0, 2}});
}

TEST(HidCodeLists, ReadersCopyRowsAndIgnoreIndicesOutsideTheList) {
    THID_CODE_INFO hid{0x1111, 0x2222, 0x3333};
    GetInternetKeyCode(50, hid);
    EXPECT_EQ(+hid.nKeyValue1, 0x1111);
    GetInternetKeyCode(-1, hid);
    EXPECT_EQ(+hid.nKeyValue2, 0x2222);
    // Building happened on that first call all the same.
    EXPECT_EQ(InternetKeyCodes().size(), KeyListRows);
    EXPECT_EQ(MultimediaKeyCodes().size(), KeyListRows);

    GetInternetKeyCode(2, hid);
    EXPECT_EQ(+hid.nKeyValue1, 0x225);
    EXPECT_EQ(+hid.nModifier, 0);
    GetMultimediaKeyCode(6, hid);
    EXPECT_EQ(+hid.nKeyValue1, 226);

    TCOMBOKEYINFO combo = MakeComboKeyInfo(7, 7, 7, 7, 7);
    GetBrowserComboKey(3, combo);
    EXPECT_EQ(+combo.nKeyValue1, 9);
    EXPECT_EQ(+combo.nModifier, 6);
    EXPECT_EQ(combo.ComboKeyText.Get(), u"");
    GetSystemComboKey(49, combo);
    EXPECT_EQ(+combo.nKeyValue1, 0);
    GetSystemComboKey(50, combo);
    EXPECT_EQ(+combo.nKeyValue1, 0);
}

TEST(HidCodeLists, AFamilyIsBuiltOnce) {
    THID_CODE_INFO info{};
    GetMultimediaKeyCode(0, info);
    const THID_CODE_INFO* internet = InternetKeyCodes().data();
    BuildHIDCodeLists();
    GetInternetKeyCode(0, info);
    EXPECT_EQ(InternetKeyCodes().data(), internet);
}

TEST(MakeHIDCodeInfo, UsagesOfBothKeysAndTheModifier) {
    const THID_CODE_INFO info = MakeHIDCodeInfo(3, 13, 1, 65, 0);
    EXPECT_EQ(+info.nKeyValue1, 88);
    EXPECT_EQ(+info.nKeyValue2, 4);
    EXPECT_EQ(+info.nModifier, 3);
    // A key without a usage gives 0.
    EXPECT_EQ(MakeHIDCodeInfo(0, 16, 0, 0, 0).nKeyValue1, 0);
}

TEST(MakeComboKeyInfo, StoresTheArgumentsAndAnEmptyText) {
    const TCOMBOKEYINFO info = MakeComboKeyInfo(6, 9, 1, 65, 1);
    EXPECT_EQ(+info.nModifier, 6);
    EXPECT_EQ(+info.nKeyValue1, 9);
    EXPECT_EQ(+info.nKey1Extended, 1);
    EXPECT_EQ(+info.nKeyValue2, 65);
    EXPECT_EQ(+info.nKey2Extended, 1);
    for (std::size_t i = 0; i < 31; ++i)
        EXPECT_EQ(+info.ComboKeyText.Units[i], 0) << i;
}

} // namespace
} // namespace zq::test

#include "profiles/ProfileRecords.h"
#include "support/ProfileWorld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

// Packed record fields are read by value (unary +) in assertions: the assertion
// macros take references, which a packed field cannot safely give.

namespace zq::test {
namespace {

TEST(ProfileRecords, ButtonFunctionCodeLiesAtItsProfileOffset) {
    const auto profile = std::make_unique<TMouseProfileInfo>();
    profile->ConfigInfo.ButtonFuncInfo[5].FunctionCode = MicrophoneMuteFunctionCode;
    profile->ConfigInfo.ButtonFuncInfo[13].FunctionCode = 0x1234;
    const auto bytes = BytesOf(*profile);
    EXPECT_EQ(bytes[25862], 0x1C);
    EXPECT_EQ(bytes[25863], 0x00);
    EXPECT_EQ(Peek16(bytes, 5022 + 4168 * 13), 0x1234);
}

TEST(ProfileRecords, ConsumerUsageIsSplitIntoTwoWords) {
    const auto profile = std::make_unique<TMouseProfileInfo>();
    TBUTTONFUNCINFO& entry = profile->ConfigInfo.ButtonFuncInfo[0];
    entry.nHIDCodeLow = 0x0025;
    entry.nHIDCodeHigh = 0x0002;
    const auto bytes = BytesOf(*profile);
    EXPECT_EQ(Peek16(bytes, 872 + 140), 0x0025);
    EXPECT_EQ(Peek16(bytes, 872 + 142), 0x0002);
    EXPECT_EQ((Peek16(bytes, 872 + 142) << 8) | Peek16(bytes, 872 + 140), 0x0225);
}

TEST(ProfileRecords, LocationFileNameHoldsItsUnitsAndTerminator) {
    const auto group = std::make_unique<TProfileSettingGroup>();
    std::memset(group.get(), 0xEE, sizeof(*group));
    group->ProfileSettingList[0].FileName.Set(u"Profile1.pfd");
    const auto bytes = BytesOf(*group);
    const std::size_t field = 12 + 4098;
    EXPECT_EQ(PeekText(bytes, field, 21), u"Profile1.pfd");
    EXPECT_EQ(Peek16(bytes, field + 24), 0);
    // The units after the terminator keep what they held.
    EXPECT_EQ(bytes[field + 26], 0xEE);
    EXPECT_EQ(bytes[field + 41], 0xEE);
}

TEST(FixedText, TooLongTextIsCutWithItsTerminator) {
    TFixedText<5> text;
    std::memset(&text, 0xFF, sizeof(text));
    text.Set(u"ABCDEFG");
    EXPECT_EQ(text.Get(), u"ABCD");
    EXPECT_EQ(+text.Units[4], 0);
    EXPECT_TRUE(TFixedText<5>::Fits(u"ABCD"));
    EXPECT_FALSE(TFixedText<5>::Fits(u"ABCDE"));
}

TEST(FixedText, CutNeverSplitsASurrogatePair) {
    TFixedText<4> text;
    const std::u16string withPair = u"AB\U0001F600C"; // A, B, high, low, C
    text.Set(withPair);
    EXPECT_EQ(text.Get(), u"AB");
}

TEST(FixedText, FieldWithoutTerminatorReadsItsWholeLength) {
    TFixedText<3> text;
    text.Units[0] = u'x';
    text.Units[1] = u'y';
    text.Units[2] = u'z';
    EXPECT_EQ(text.Get(), u"xyz");
}

TEST(FixedText, ShorterTextKeepsTheUnitsAfterItsTerminator) {
    TFixedText<6> text;
    text.Set(u"HELLO");
    text.Set(u"AB");
    EXPECT_EQ(text.Get(), u"AB");
    EXPECT_EQ(+text.Units[3], u'L');
    EXPECT_EQ(+text.Units[4], u'O');
}

} // namespace
} // namespace zq::test

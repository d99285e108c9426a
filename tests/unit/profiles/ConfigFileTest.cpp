#include "platform/PortableIni.h"
#include "support/IniReaderCases.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

INSTANTIATE_TEST_SUITE_P(PortableReader, IniReaderCases, ::testing::Values(IniReaderFactory([] {
                             return std::unique_ptr<IIniReader>(
                                 std::make_unique<PortableIniReader>());
                         })),
                         [](const auto&) { return std::string("Portable"); });

TEST(ParseIniInteger, DecimalHexAndEverythingElse) {
    struct Case {
        std::u16string Text;
        bool Ok;
        std::int32_t Value;
    };
    const Case cases[] = {
        {u"0", true, 0},
        {u"42", true, 42},
        {u"-42", true, -42},
        {u"+5", true, 5},
        {u"$ff", true, 255},
        {u"0x1", true, 1},
        {u"0X7FFFFFFF", true, 0x7FFFFFFF},
        {u"$FFFFFFFF", true, -1},
        {u"2147483647", true, 2147483647},
        {u"-2147483648", true, INT32_MIN},
        {u"2147483648", false, 0},
        {u"$100000000", false, 0},
        {u"", false, 0},
        {u"x1", false, 0},
        {u"12a", false, 0},
        {u"0x", false, 0},
        {u"$", false, 0},
        {u"1 2", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t value = 12345;
        EXPECT_EQ(ParseIniInteger(c.Text, value), c.Ok)
            << std::string(c.Text.begin(), c.Text.end());
        if (c.Ok)
            EXPECT_EQ(value, c.Value);
        else
            EXPECT_EQ(value, 12345);
    }
}

TEST(NameValueList, SettingEmptyRemovesAndNamesIgnoreCase) {
    TNameValueList list;
    list.SetValue(u"A", u"1");
    list.SetValue(u"b", u"2");
    list.SetValue(u"a", u"3");
    EXPECT_EQ(list.Value(u"A"), u"3");
    list.SetValue(u"B", u"");
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Entries()[0].first, u"A");
}

} // namespace
} // namespace zq::test

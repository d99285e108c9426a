// The translation table, its lists and its byte stream ("ui.local").
#include "language/TableStream.h"
#include "language/LanguageTable.h"
#include "support/LanguageTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendInt32(Bytes& bytes, std::uint32_t value) {
    const std::uint8_t little[] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    bytes.insert(bytes.end(), std::begin(little), std::end(little));
}

void AppendUnits(Bytes& bytes, std::u16string_view units) {
    AppendInt32(bytes, static_cast<std::uint32_t>(units.size()));
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

TEST(SortedStrings, TextIsSortedWithCaseWithoutDuplicatesOrEmptyLines) {
    TSortedStrings list;
    list.SetText(u"b\r\nB\ra\n\r\na\r\n");
    EXPECT_EQ(list.Lines(), (std::vector<std::u16string>{u"B", u"a", u"b"}));
    EXPECT_EQ(list.Text(), u"B\r\na\r\nb\r\n");
    EXPECT_FALSE(list.Add(u"a"));
    EXPECT_TRUE(list.Add(u"A"));
    EXPECT_TRUE(list.Remove(u"B"));
    EXPECT_EQ(list.Text(), u"A\r\na\r\nb\r\n");
}

TEST(SortedStrings, ValuesAreFoundByTheWholeNameSpacesIncluded) {
    TSortedStrings list;
    // "a =" sorts before "a=", and "  Exit" before everything.
    list.SetText(u"a=2\r\na =1\r\n  Exit=leading\r\nExit=plain\r\nx=y=z\r\n");
    EXPECT_EQ(list.Value(u"a"), u"2");
    EXPECT_EQ(list.Value(u"a "), u"1");
    EXPECT_EQ(list.Value(u"Exit"), u"plain");
    EXPECT_EQ(list.Value(u"  Exit"), u"leading");
    EXPECT_EQ(list.Value(u" Exit"), u"");
    EXPECT_EQ(list.Value(u"x"), u"y=z"); // split at the first "="
    EXPECT_EQ(list.Value(u"exit"), u""); // with case
    EXPECT_EQ(list.NameOfValue(u"plain"), u"Exit");
    EXPECT_EQ(list.NameOfValue(u"y=z"), u"x");
    EXPECT_EQ(list.NameOfValue(u"nothing"), u"");
}

TEST(SortedStrings, SettingAValueReplacesRemovesOrRefuses) {
    TSortedStrings list;
    EXPECT_TRUE(list.SetValue(u"OK", u"确定"));
    EXPECT_TRUE(list.SetValue(u"OK", u"好"));
    EXPECT_EQ(list.Text(), u"OK=好\r\n");
    EXPECT_TRUE(list.SetValue(u"OK", u""));
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.SetValue(u"a=b", u"c"));
    EXPECT_FALSE(list.SetValue(u"", u"c"));
    EXPECT_FALSE(list.SetValue(u"a", u"two\r\nlines"));
    EXPECT_TRUE(list.Empty());
}

TEST(TableStream, ZeroLanguagesIsTheOriginalsTextAndTheCountZero) {
    const TLanguageTable table = MakeTable({u"B", u"A"});
    const Bytes expected = {0x06, 0x00, 0x00, 0x00, 'A',  0x00, 0x0D, 0x00, 0x0A, 0x00,
                            'B',  0x00, 0x0D, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(table.SaveToStream(), expected);
}

TEST(TableStream, LanguagesFollowInOrderWithShortIdAndTranslationList) {
    const TLanguageTable table = MakeTable({u"OK"}, {{u"CH", {{u"OK", u"确定"}}}, {u"US", {}}});
    const Bytes expected = {
        0x04, 0x00, 0x00, 0x00, 'O',  0x00, 'K', 0x00, 0x0D, 0x00, 0x0A, 0x00, // originals
        0x02, 0x00, 0x00, 0x00,                                                // two languages
        0x02, 0x00, 0x00, 0x00, 'C',  0x00, 'H', 0x00,                         // "CH"
        0x07, 0x00, 0x00, 0x00, 'O',  0x00, 'K', 0x00, '=',  0x00, 0x6E, 0x78, // OK=确
        0x9A, 0x5B, 0x0D, 0x00, 0x0A, 0x00,                                    // 定 CR LF
        0x02, 0x00, 0x00, 0x00, 'U',  0x00, 'S', 0x00,                         // "US"
        0x00, 0x00, 0x00, 0x00,                                                // no lines
    };
    EXPECT_EQ(table.SaveToStream(), expected);
}

TEST(TableStream, ARoundTripKeepsEveryByte) {
    const TLanguageTable table = MakeTable(
        {u"  Exit", u"Exit", u"Wheel up(Mouse)", u"😀"},
        {{u"0804", {{u"Exit", u"退出"}, {u"😀", u"笑"}}}, {u"CH", {{u"  Exit", u" 退出"}}}});
    const Bytes bytes = table.SaveToStream();
    TLanguageTable read;
    ASSERT_TRUE(read.LoadFromStream(bytes));
    EXPECT_EQ(read, table);
    EXPECT_EQ(read.SaveToStream(), bytes);
}

TEST(TableStream, LoadingReplacesTheOriginalsAndAppendsTheLanguages) {
    TLanguageTable table = MakeTable({u"old"}, {{u"0409", {{u"old", u"x"}}}});
    ASSERT_TRUE(
        table.LoadFromStream(TableBytes(MakeTable({u"new"}, {{u"0409", {}}, {u"CH", {}}}))));
    EXPECT_EQ(table.Originals().Lines(), (std::vector<std::u16string>{u"new"}));
    ASSERT_EQ(table.Languages().size(), 3u);
    EXPECT_EQ(table.Languages()[0].Translations.Value(u"old"), u"x");
    EXPECT_EQ(table.Languages()[1].ShortID, u"0409");
    EXPECT_EQ(table.Languages()[2].ShortID, u"CH");
    // A short ID found twice resolves to the first, without regard to case.
    EXPECT_EQ(table.FindLanguage(u"ch"), 2);
    EXPECT_EQ(table.Language(u"0409"), &table.Languages()[0]);
}

TEST(TableStream, EveryTruncationIsRejectedAndBytesAfterACompleteTableIgnored) {
    const Bytes bytes = TableBytes(MakeTable({u"OK", u"Exit"}, {{u"CH", {{u"OK", u"确定"}}}}));
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_FALSE(ReadTableStream(std::span(bytes.data(), length))) << "length " << length;
    const auto complete = ReadTableStream(bytes);
    ASSERT_TRUE(complete);
    for (const Bytes& tail : {Bytes{0}, Bytes{0xFF, 0xFF}, Bytes(4, 0x7F), Bytes(1000, 'x')}) {
        Bytes longer = bytes;
        longer.insert(longer.end(), tail.begin(), tail.end());
        EXPECT_EQ(ReadTableStream(longer), complete) << tail.size() << " bytes after the table";
    }
}

TEST(TableStream, CountsBeyondTheBytesLeftAreRejectedBeforeAnyAllocation) {
    for (const std::uint32_t languages : {2000000000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 2u}) {
        Bytes bytes;
        AppendUnits(bytes, u"OK\r\n");
        AppendInt32(bytes, languages);
        AppendUnits(bytes, u"CH");
        AppendUnits(bytes, u"");
        EXPECT_FALSE(ReadTableStream(bytes)) << languages;
    }
    for (const std::uint32_t units : {0x40000000u, 0x7FFFFFFFu, 0xFFFFFFFFu, 3u}) {
        Bytes bytes;
        AppendInt32(bytes, units);
        bytes.insert(bytes.end(), {'O', 0, 'K', 0});
        AppendInt32(bytes, 0);
        EXPECT_FALSE(ReadTableStream(bytes)) << units;
    }
}

TEST(TableStream, ZerosAndLoneSurrogatesAreRejectedPairsAccepted) {
    auto withOriginals = [](std::u16string_view units) {
        Bytes bytes;
        AppendUnits(bytes, units);
        AppendInt32(bytes, 0);
        return bytes;
    };
    EXPECT_FALSE(ReadTableStream(withOriginals(std::u16string_view(u"O\0K", 3))));
    EXPECT_FALSE(ReadTableStream(withOriginals(u"a\xD83D")));
    EXPECT_FALSE(ReadTableStream(withOriginals(u"\xD83D"
                                               u"a")));
    EXPECT_FALSE(ReadTableStream(withOriginals(u"\xDE00")));
    EXPECT_TRUE(ReadTableStream(withOriginals(u"\xD83D\xDE00")));
    EXPECT_TRUE(ReadTableStream(withOriginals(u"")));

    Bytes inShortId;
    AppendUnits(inShortId, u"");
    AppendInt32(inShortId, 1);
    AppendUnits(inShortId, std::u16string_view(u"C\0", 2));
    AppendUnits(inShortId, u"");
    EXPECT_FALSE(ReadTableStream(inShortId));
}

TEST(TableStream, ARejectedStreamChangesNothing) {
    TLanguageTable table = MakeTable({u"OK"}, {{u"CH", {{u"OK", u"确定"}}}});
    const TLanguageTable before = MakeTable({u"OK"}, {{u"CH", {{u"OK", u"确定"}}}});
    Bytes bytes = TableBytes(MakeTable({u"other"}, {{u"US", {}}}));
    bytes.pop_back();
    EXPECT_FALSE(table.LoadFromStream(bytes));
    EXPECT_EQ(table, before);
}

TEST(LanguageTableFile, SavingCreatesOrReplacesTheWholeFile) {
    TempFolder folder;
    const auto file = folder.Write("ui.local", std::string(5000, 'x'));
    const TLanguageTable table = MakeTable({u"OK"}, {{u"0804", {{u"OK", u"确定"}}}});
    ASSERT_TRUE(table.SaveToFile(file));
    EXPECT_EQ(ReadBytes(file), table.SaveToStream());
    ASSERT_TRUE(table.SaveToFile(file)); // and once more over a file it wrote
    EXPECT_EQ(ReadBytes(file), table.SaveToStream());
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);

    TLanguageTable read;
    ASSERT_TRUE(read.LoadFromFile(file));
    EXPECT_EQ(read, table);
}

TEST(LanguageTableFile, MissingUnwritableOversizedOrCorruptFilesChangeNothing) {
    TempFolder folder;
    TLanguageTable table = MakeTable({u"OK"});
    const TLanguageTable before = MakeTable({u"OK"});
    EXPECT_FALSE(table.LoadFromFile(folder.Path() / "missing.local"));
    EXPECT_FALSE(
        table.LoadFromFile(folder.Write("corrupt.local", std::string_view("\x10\0\0\0abc", 7))));
    EXPECT_FALSE(table.LoadFromFile(folder.Path())); // a folder
    // A file larger than any table is not read at all.
    const auto huge = folder.Write("huge.local", "");
    std::filesystem::resize_file(huge, TLanguageTable::MaxFileSize + 1);
    EXPECT_FALSE(table.LoadFromFile(huge));
    EXPECT_EQ(table, before);

    EXPECT_FALSE(table.SaveToFile(folder.Path() / "no such folder" / "ui.local"));
}

} // namespace
} // namespace zq::test

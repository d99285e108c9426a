#include "profiles/TuiProfile.h"
#include "profiles/PathText.h"
#include "support/ProfileWorld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zq::test {
namespace {

constexpr char16_t Key[] = u"software\\ZQTEST";

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A registry that lets keys open but refuses the transfer itself.
class RefusingRegistry : public sim::SimRegistry {
public:
    RegistryResult ReadValue(RegistryRoot, const std::u16string&, const std::u16string&,
                             RegistryValue&) override {
        return RegistryResult::Failed;
    }
    bool WriteBinary(RegistryRoot, const std::u16string&, const std::u16string&,
                     std::span<const std::uint8_t>) override {
        return false;
    }
};

class TuiProfileTest : public ::testing::Test {
protected:
    TuiProfileTest() {
        Profile.SetRootKey(RegistryRoot::CurrentUser);
        Profile.SetKeyPath(Key);
        Profile.SetFileName(u"a.pfd");
    }
    void StoreValue(std::vector<std::uint8_t> bytes, std::uint32_t type = REG_BINARY_) {
        Registry.SetValue(RegistryRoot::CurrentUser, Key, u"a.pfd", {type, std::move(bytes)});
    }

    sim::SimRegistry Registry;
    TuiProfile Profile{Registry};
    TempFolder Folder;
};

TEST_F(TuiProfileTest, WriteGrowsNeverShrinksAndSetsSize) {
    const auto big = Pattern(121400, 1);
    EXPECT_EQ(Profile.Write(big.data(), 121400), 121400);
    const auto small = Pattern(896, 90);
    EXPECT_EQ(Profile.Write(small.data(), 896), 896);
    EXPECT_EQ(Profile.Size(), 121400);
    const auto stream = StreamBytes(Profile);
    ASSERT_EQ(stream.size(), 121400u);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), stream.begin()));
    EXPECT_TRUE(std::equal(big.begin() + 896, big.end(), stream.begin() + 896));
}

TEST_F(TuiProfileTest, SizeResizesTheStream) {
    Profile.SetSize(10);
    EXPECT_EQ(Profile.Size(), 10);
    EXPECT_EQ(Profile.Stream().Size(), 10);
    EXPECT_EQ(Profile.Stream().Position(), 0);
}

TEST_F(TuiProfileTest, ShorterStoredValueLeavesAShorterStream) {
    const auto big = Pattern(121400, 3);
    Profile.Write(big.data(), 121400);
    const auto stored = Pattern(100, 50);
    StoreValue(stored);

    ASSERT_TRUE(Profile.LoadStreamFromRegistry());
    EXPECT_EQ(Profile.Stream().Size(), 100);
    // The size property follows writes only.
    EXPECT_EQ(Profile.Size(), 121400);

    std::vector<std::uint8_t> buffer(121400, 0xAB);
    EXPECT_EQ(Profile.Read(buffer.data(), 121400), 100);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), buffer.begin()));
    EXPECT_EQ(buffer[100], 0xAB);
    EXPECT_EQ(buffer.back(), 0xAB);
}

TEST_F(TuiProfileTest, ValueOfTheStreamsSizeLoadsInPlace) {
    Profile.SetSize(896);
    const std::uint8_t* memory = Profile.Stream().Memory();
    StoreValue(Pattern(896, 9));
    ASSERT_TRUE(Profile.LoadStreamFromRegistry());
    EXPECT_EQ(Profile.Stream().Memory(), memory);
    EXPECT_EQ(StreamBytes(Profile), Pattern(896, 9));
}

TEST_F(TuiProfileTest, SaveWritesTheWholeStreamAsBinaryValue) {
    const auto bytes = Pattern(30954, 4);
    Profile.Write(bytes.data(), 30954);
    ASSERT_TRUE(Profile.SaveStreamToRegistry());
    const auto stored = Registry.GetValue(RegistryRoot::CurrentUser, Key, u"a.pfd");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Type, REG_BINARY_);
    EXPECT_EQ(stored->Data, bytes);

    Profile.SetRootKey(RegistryRoot::LocalMachine);
    EXPECT_TRUE(Profile.SaveStreamToRegistry());
    EXPECT_TRUE(Registry.GetValue(RegistryRoot::LocalMachine, Key, u"a.pfd"));
}

TEST_F(TuiProfileTest, UnusableRootOrNamesAnswerFalse) {
    StoreValue(Pattern(10, 1));
    Profile.SetRootKey(RegistryRoot::None);
    EXPECT_FALSE(Profile.LoadStreamFromRegistry());
    EXPECT_FALSE(Profile.SaveStreamToRegistry());

    TuiProfile noKey(Registry);
    noKey.SetRootKey(RegistryRoot::CurrentUser);
    noKey.SetFileName(u"a.pfd");
    EXPECT_FALSE(noKey.LoadStreamFromRegistry());
    TuiProfile noName(Registry);
    noName.SetRootKey(RegistryRoot::CurrentUser);
    noName.SetKeyPath(Key);
    EXPECT_FALSE(noName.SaveStreamToRegistry());
    EXPECT_EQ(Registry.WriteCount(), 0);
    EXPECT_EQ(Profile.Stream().Size(), 0);
}

TEST_F(TuiProfileTest, MissingValueOrKeyAnswersFalseAndKeepsTheStream) {
    Profile.SetSize(4);
    EXPECT_FALSE(Profile.LoadStreamFromRegistry());
    EXPECT_EQ(Profile.Stream().Size(), 4);
    // The key is made on the way: the registry operations create a missing key.
    EXPECT_TRUE(Registry.KeyExists(RegistryRoot::CurrentUser, Key));

    Registry.SetFailing(true);
    EXPECT_FALSE(Profile.LoadStreamFromRegistry());
    EXPECT_FALSE(Profile.SaveStreamToRegistry());
}

TEST_F(TuiProfileTest, AKeyThatMayOnlyBeReadLoadsButRefusesTheSave) {
    StoreValue(Pattern(16, 3));
    Registry.SetReadOnly(true);
    ASSERT_TRUE(Profile.LoadStreamFromRegistry());
    Profile.Write(Pattern(4, 8).data(), 4);
    bool after = false;
    Profile.OnAfterSaveToRegistry = [&](TMemoryStream&) { after = true; };
    EXPECT_FALSE(Profile.SaveStreamToRegistry());
    EXPECT_FALSE(after);
    EXPECT_EQ(Registry.GetValue(RegistryRoot::CurrentUser, Key, u"a.pfd")->Data, Pattern(16, 3));
}

TEST_F(TuiProfileTest, VetoStopsBeforeTheRegistryIsTouched) {
    std::vector<std::string> calls;
    Profile.OnBeforeLoadFromRegistry = [&](TMemoryStream&, bool& bContinue) {
        calls.push_back("before-load");
        bContinue = false;
    };
    Profile.OnAfterLoadFromRegistry = [&](TMemoryStream&) { calls.push_back("after-load"); };
    Profile.OnBeforeSaveToRegistry = [&](TMemoryStream&, bool& bContinue) {
        calls.push_back("before-save");
        bContinue = false;
    };
    EXPECT_FALSE(Profile.LoadStreamFromRegistry());
    EXPECT_FALSE(Profile.SaveStreamToRegistry());
    EXPECT_FALSE(Registry.KeyExists(RegistryRoot::CurrentUser, Key));
    EXPECT_EQ(calls, (std::vector<std::string>{"before-load", "before-save"}));
}

TEST_F(TuiProfileTest, EventsSurroundEveryTransfer) {
    std::vector<std::string> calls;
    Profile.OnBeforeSaveToRegistry = [&](TMemoryStream&, bool&) { calls.push_back("b-save-reg"); };
    Profile.OnAfterSaveToRegistry = [&](TMemoryStream&) { calls.push_back("a-save-reg"); };
    Profile.OnBeforeLoadFromRegistry = [&](TMemoryStream&, bool&) {
        calls.push_back("b-load-reg");
    };
    Profile.OnAfterLoadFromRegistry = [&](TMemoryStream& s) {
        calls.push_back("a-load-reg " + std::to_string(s.Size()));
    };
    Profile.OnBeforeSaveToFile = [&](TMemoryStream&, bool&) { calls.push_back("b-save-file"); };
    Profile.OnAfterSaveToFile = [&](TMemoryStream&) { calls.push_back("a-save-file"); };
    Profile.OnBeforeLoadFromFile = [&](TMemoryStream&, bool&) { calls.push_back("b-load-file"); };
    Profile.OnAfterLoadFromFile = [&](TMemoryStream&) { calls.push_back("a-load-file"); };

    Profile.Write("abc", 3);
    Profile.SetFilePath(Folder.Path().u16string());
    ASSERT_TRUE(Profile.SaveStreamToRegistry());
    ASSERT_TRUE(Profile.LoadStreamFromRegistry());
    ASSERT_TRUE(Profile.SaveStreamToFile());
    ASSERT_TRUE(Profile.LoadStreamFromFile());
    Registry.DeleteValue(RegistryRoot::CurrentUser, Key, u"a.pfd");
    EXPECT_FALSE(Profile.LoadStreamFromRegistry());
    EXPECT_EQ(calls, (std::vector<std::string>{"b-save-reg", "a-save-reg", "b-load-reg",
                                               "a-load-reg 3", "b-save-file", "a-save-file",
                                               "b-load-file", "a-load-file", "b-load-reg"}));
}

TEST_F(TuiProfileTest, ValueOfAnotherTypeIsAnErrorAndChangesNothing) {
    Profile.SetSize(8);
    StoreValue({'1', 0, '2', 0}, REG_SZ_);
    bool after = false;
    Profile.OnAfterLoadFromRegistry = [&](TMemoryStream&) { after = true; };
    EXPECT_THROW(Profile.LoadStreamFromRegistry(), EProfileStorageError);
    EXPECT_FALSE(after);
    EXPECT_EQ(Profile.Stream().Size(), 8);
    EXPECT_EQ(Registry.GetValue(RegistryRoot::CurrentUser, Key, u"a.pfd")->Type, REG_SZ_);
}

TEST_F(TuiProfileTest, RefusedRegistryTransfersAreErrors) {
    RefusingRegistry refusing;
    TuiProfile profile(refusing);
    profile.SetRootKey(RegistryRoot::CurrentUser);
    profile.SetKeyPath(Key);
    profile.SetFileName(u"a.pfd");
    bool after = false;
    profile.OnAfterSaveToRegistry = [&](TMemoryStream&) { after = true; };
    EXPECT_THROW(profile.LoadStreamFromRegistry(), EProfileStorageError);
    EXPECT_THROW(profile.SaveStreamToRegistry(), EProfileStorageError);
    EXPECT_FALSE(after);
}

TEST_F(TuiProfileTest, FilePathIsTakenOnlyForAnExistingFolder) {
    const std::u16string folder = Folder.Path().u16string();
    Profile.SetFilePath(folder);
    EXPECT_EQ(Profile.FilePath(), folder + PathDelim);
    Profile.SetFilePath((Folder.Path() / "missing").u16string());
    EXPECT_EQ(Profile.FilePath(), folder + PathDelim);

    Profile.Write("xyz", 3);
    ASSERT_TRUE(Profile.SaveStreamToFile());
    EXPECT_EQ(ReadFile(Folder.Path() / "a.pfd"), "xyz");
}

TEST_F(TuiProfileTest, FileOperationsWithoutFolderOrFileAnswerFalse) {
    EXPECT_FALSE(Profile.LoadStreamFromFile());
    EXPECT_FALSE(Profile.SaveStreamToFile());
    Profile.SetFilePath(Folder.Path().u16string());
    EXPECT_FALSE(Profile.LoadStreamFromFile());

    bool before = false;
    Profile.OnBeforeLoadFromFile = [&](TMemoryStream&, bool&) { before = true; };
    EXPECT_FALSE(Profile.LoadStreamFromFile((Folder.Path() / "none.pfd").u16string()));
    EXPECT_FALSE(before);
}

TEST_F(TuiProfileTest, FileLoadTakesTheFilesWholeLength) {
    Profile.Write(Pattern(500, 1).data(), 500);
    const auto file = Folder.Write("b.pfd", "0123456789");
    ASSERT_TRUE(Profile.LoadStreamFromFile(file.u16string()));
    EXPECT_EQ(Profile.Stream().Size(), 10);
    EXPECT_EQ(Profile.Size(), 500);
    EXPECT_EQ(Profile.FileName(), u"a.pfd");
    EXPECT_EQ(Profile.FilePath(), u"");
}

TEST_F(TuiProfileTest, LoadFromAFileTheBeforeEventRemoved) {
    const auto file = Folder.Write("b.pfd", "0123");
    Profile.OnBeforeLoadFromFile = [&](TMemoryStream&, bool&) { std::filesystem::remove(file); };
    EXPECT_FALSE(Profile.LoadStreamFromFile(file.u16string()));
    EXPECT_EQ(Profile.Stream().Size(), 0);
}

TEST_F(TuiProfileTest, SaveToAPathMakesOneFolderLevel) {
    Profile.Write("data", 4);
    const auto deep = Folder.Path() / "missing" / "sub" / "c.pfd";
    EXPECT_FALSE(Profile.SaveStreamToFile(deep.u16string()));
    EXPECT_FALSE(std::filesystem::exists(deep.parent_path()));

    const auto oneLevel = Folder.Path() / "new" / "c.pfd";
    ASSERT_TRUE(Profile.SaveStreamToFile(oneLevel.u16string()));
    EXPECT_EQ(ReadFile(oneLevel), "data");
    EXPECT_EQ(Profile.FilePath(), u"");
}

TEST_F(TuiProfileTest, FileThatCannotBeWrittenIsAnError) {
    Profile.Write("data", 4);
    std::filesystem::create_directory(Folder.Path() / "a.pfd");
    Profile.SetFilePath(Folder.Path().u16string());
    bool after = false;
    Profile.OnAfterSaveToFile = [&](TMemoryStream&) { after = true; };
    EXPECT_THROW(Profile.SaveStreamToFile(), EProfileStorageError);
    EXPECT_FALSE(after);
}

TEST_F(TuiProfileTest, FileThatCannotBeReadIsAnErrorAndChangesNothing) {
    const auto file = Folder.Path() / "a.pfd";
    if (!MakeUnreadableFile(file))
        GTEST_SKIP() << "no way to make an unreadable file here";
    Profile.Write("abc", 3);
    Profile.SetFilePath(Folder.Path().u16string());
    bool after = false;
    Profile.OnAfterLoadFromFile = [&](TMemoryStream&) { after = true; };
    EXPECT_THROW(Profile.LoadStreamFromFile(), EProfileStorageError);
    EXPECT_THROW(Profile.LoadStreamFromFile(file.u16string()), EProfileStorageError);
    EXPECT_FALSE(after);
    EXPECT_EQ(StreamBytes(Profile), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
}

TEST_F(TuiProfileTest, AFileTooLargeForAnyRecordIsRefusedAsUnreadable) {
    const auto file = Folder.Path() / "a.pfd";
    { std::ofstream{file}; }
    std::filesystem::resize_file(file, TuiProfile::MaxFileBytes + 1); // sparse: no real size
    Profile.Write("abc", 3);
    EXPECT_THROW(Profile.LoadStreamFromFile(file.u16string()), EProfileStorageError);
    EXPECT_EQ(StreamBytes(Profile), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    std::filesystem::resize_file(file, TuiProfile::MaxFileBytes);
    EXPECT_TRUE(Profile.LoadStreamFromFile(file.u16string()));
    EXPECT_EQ(Profile.Stream().Size(), static_cast<std::int64_t>(TuiProfile::MaxFileBytes));
}

TEST_F(TuiProfileTest, PreSaveTakesFolderAndNameWithoutWriting) {
    bool before = false;
    Profile.OnBeforeSaveToFile = [&](TMemoryStream&, bool&) { before = true; };
    const auto file = Folder.Path() / "pre" / "d.pfd";
    ASSERT_TRUE(Profile.PreSaveStreamToFile(file.u16string()));
    EXPECT_EQ(Profile.FilePath(), (Folder.Path() / "pre").u16string() + PathDelim);
    EXPECT_EQ(Profile.FileName(), u"d.pfd");
    EXPECT_TRUE(std::filesystem::is_directory(Folder.Path() / "pre"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(before);
    EXPECT_FALSE(Profile.PreSaveStreamToFile((Folder.Path() / "x" / "y" / "e.pfd").u16string()));
    EXPECT_EQ(Profile.FileName(), u"d.pfd");
}

TEST_F(TuiProfileTest, RestoreToDefaultHandsTheStreamToItsHandler) {
    Profile.Write("abc", 3);
    Profile.RestoreToDefault();
    EXPECT_EQ(StreamBytes(Profile), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    Profile.OnRestoreToDefault = [](TMemoryStream& s) { s.Memory()[1] = 'X'; };
    Profile.RestoreToDefault();
    EXPECT_EQ(StreamBytes(Profile), (std::vector<std::uint8_t>{'a', 'X', 'c'}));
}

TEST(PathText, FolderAndNameOfAPath) {
    const std::u16string d(1, PathDelim);
    EXPECT_EQ(ExtractFilePath(u"data" + d + u"a.pfd"), u"data" + d);
    EXPECT_EQ(ExtractFileName(u"data" + d + u"a.pfd"), u"a.pfd");
    EXPECT_EQ(ExtractFilePath(u"a.pfd"), u"");
    EXPECT_EQ(IncludeTrailingPathDelimiter(u"data"), u"data" + d);
    EXPECT_EQ(IncludeTrailingPathDelimiter(u"data" + d), u"data" + d);
    EXPECT_EQ(IncludeTrailingPathDelimiter(u""), d);
#ifdef _WIN32
    EXPECT_EQ(ExtractFilePath(u"C:a.pfd"), u"C:");
    EXPECT_EQ(ExtractFilePath(u"C:/x/a.pfd"), u"C:/x/");
#endif
}

TEST(PathText, FoldersAreCheckedWithoutTheirTrailingSeparator) {
    const std::u16string d(1, PathDelim);
    EXPECT_EQ(ExcludeTrailingPathDelimiter(u"data" + d), u"data");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(u"data" + d + d), u"data");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(u"data"), u"data");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(d), d);
#ifdef _WIN32
    EXPECT_EQ(ExcludeTrailingPathDelimiter(u"C:\\"), u"C:\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(u"C:\\x/"), u"C:\\x");
#endif
    TempFolder folder;
    const std::u16string existing = FromPath(folder.Path());
    EXPECT_TRUE(DirectoryExists(existing));
    EXPECT_TRUE(DirectoryExists(existing + d));
    EXPECT_FALSE(FileExists(existing + d));
    // Made with its separator, the folder is there once the profiles look for it.
    const std::u16string made = existing + d + u"Profile" + d;
    EXPECT_FALSE(DirectoryExists(made));
    EXPECT_TRUE(CreateDir(made));
    EXPECT_TRUE(DirectoryExists(made));
    EXPECT_FALSE(CreateDir(made)); // there already
}

} // namespace
} // namespace zq::test

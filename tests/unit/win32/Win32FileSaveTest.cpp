// Saves of the profile and language files on Windows: the new content is on the
// disk before it takes the old file's place in one step, so a power loss during
// a save leaves the old file or the new one, never an empty one.
#include "ImportPatch.h"
#include "language/LanguageTable.h"
#include "platform/win32/Win32Registry.h"
#include "profiles/PathText.h"
#include "profiles/TuiProfile.h"
#include "support/LanguageTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zq::test {
namespace {

std::vector<std::string> GFileCalls;
decltype(&::FlushFileBuffers) GFlush = nullptr;
decltype(&::MoveFileExW) GMove = nullptr;

std::string NameOf(const std::wstring& path) {
    const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return std::string(name.begin(), name.end());
}

BOOL WINAPI RecordFlush(HANDLE file) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetFinalPathNameByHandleW(file, path, MAX_PATH, 0);
    GFileCalls.push_back("flush " + NameOf(std::wstring(path, length < MAX_PATH ? length : 0)));
    return GFlush(file);
}

BOOL WINAPI RecordMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    GFileCalls.push_back("move " + NameOf(from) + " " + NameOf(to) + " " + std::to_string(flags));
    return GMove(from, to, flags);
}

class Win32FileSaveTest : public ::testing::Test {
protected:
    Win32FileSaveTest() {
        GFileCalls.clear();
        GFlush = FFlushPatch.Original<decltype(GFlush)>();
        GMove = FMovePatch.Original<decltype(GMove)>();
    }
    void SetUp() override {
        ASSERT_TRUE(FFlushPatch.Applied()) << "FlushFileBuffers is not imported";
        ASSERT_TRUE(FMovePatch.Applied()) << "MoveFileExW is not imported";
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(FFolder.Path()),
                          std::filesystem::directory_iterator()));
    }

    ImportPatch FFlushPatch{"kernel32.dll", "FlushFileBuffers",
                            reinterpret_cast<void*>(&RecordFlush)};
    ImportPatch FMovePatch{"kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&RecordMove)};
    TempFolder FFolder;
};

// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
const std::string ReplaceFlags = std::to_string(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);

TEST_F(Win32FileSaveTest, AProfileFileIsFlushedAsANewFileThenReplacesTheOld) {
    const auto file = FFolder.Write("Profile1.pfd", std::string(121400, 'o'));
    win32::Win32Registry registry;
    TuiProfile profile(registry);
    const std::vector<std::uint8_t> record(121400, 0x5A);
    profile.Write(record.data(), static_cast<std::int32_t>(record.size()));
    ASSERT_TRUE(profile.SaveStreamToFile(FromPath(file)));
    EXPECT_EQ(GFileCalls,
              (std::vector<std::string>{"flush Profile1.pfd.new",
                                        "move Profile1.pfd.new Profile1.pfd " + ReplaceFlags}));
    EXPECT_EQ(ReadBytes(file), record);
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(Win32FileSaveTest, TheLanguageFileIsFlushedAsANewFileThenReplacesTheOld) {
    const auto file = FFolder.Write("ui.local", "old");
    const TLanguageTable table = MakeTable({u"OK"}, {{u"0804", {{u"OK", u"确定"}}}});
    ASSERT_TRUE(table.SaveToFile(file));
    EXPECT_EQ(GFileCalls, (std::vector<std::string>{"flush ui.local.new",
                                                    "move ui.local.new ui.local " + ReplaceFlags}));
    EXPECT_EQ(ReadBytes(file), table.SaveToStream());
    EXPECT_EQ(FilesInFolder(), 1u);
}

} // namespace
} // namespace zq::test

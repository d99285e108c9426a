// The real program's texts follow the language stored by the configuration
// program, with a translators' "ui.local" beside it.

#include "MonitorProcess.h"
#include "support/LanguageTesting.h"

#include <gtest/gtest.h>

namespace zq::e2e {
namespace {

constexpr wchar_t Key[] = L"software\\software\\ZQGMMOUSE";

// Settings across profiles with the language index, as the configuration program stores them.
void StoreLanguage(std::uint8_t language) {
    std::vector<BYTE> settings(30954, 0);
    settings[30950] = 2; // CurrentGame
    settings[30952] = language;
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                nullptr),
              ERROR_SUCCESS);
    const win32::UniqueKey key(raw);
    ::RegSetValueExW(key.Get(), L"allsettings.pfd", 0, REG_BINARY, settings.data(),
                     static_cast<DWORD>(settings.size()));
}

std::wstring MonitorTitle() {
    wchar_t title[256] = {};
    ::GetWindowTextW(MonitorWindow(), title, 256);
    return title;
}

class LanguageE2E : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, Key); }
    void TearDown() override {
        FMonitor.Kill();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    }
    MonitorInstall FInstall;
    Process FMonitor;
};

TEST_F(LanguageE2E, TitleFollowsTheStoredLanguageAndItsChange) {
    const auto table =
        test::MakeTable({u"GAMING MOUSE MONITOR", u"Exit"},
                        {{u"0407", {{u"GAMING MOUSE MONITOR", u"SPIELEMAUS-MONITOR"}}}});
    test::WriteLanguageFile(FInstall.Folder(), table);
    StoreLanguage(0); // the file's language comes first
    FMonitor = FInstall.StartMonitor();
    ASSERT_NE(MonitorWindow(), nullptr);
    EXPECT_EQ(MonitorTitle(), L"SPIELEMAUS-MONITOR");

    StoreLanguage(2); // after the file's language: CH, then US
    DWORD_PTR result = 0;
    ASSERT_NE(::SendMessageTimeoutW(MonitorWindow(), 7037, 0, 0, SMTO_NORMAL, 10000, &result), 0);
    EXPECT_EQ(MonitorTitle(), L"GAMING MOUSE MONITOR");
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(LanguageE2E, ACorruptOrTruncatedTranslatorsFileDoesNotStopTheMonitor) {
    auto bytes = test::TableBytes(test::MakeTable({u"Exit"}, {{u"0407", {{u"Exit", u"Beenden"}}}}));
    bytes.resize(bytes.size() - 3);
    FInstall.WriteFile("ui.local", test::AsString(bytes));
    StoreLanguage(1); // "US" of the embedded table
    FMonitor = FInstall.StartMonitor();
    ASSERT_NE(MonitorWindow(), nullptr);
    EXPECT_EQ(MonitorTitle(), L"GAMING MOUSE MONITOR");
    FInstall.WriteFile("ui.local", std::string(4096, '\xFF'));
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

} // namespace
} // namespace zq::e2e

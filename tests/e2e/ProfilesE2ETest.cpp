// What the real program stores on its first start on a system without profiles.

#include "MonitorProcess.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace zq::e2e {
namespace {

std::optional<std::vector<BYTE>> ReadBinary(const wchar_t* key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_BINARY)
        return std::nullopt;
    std::vector<BYTE> data(size);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

bool ValueExists(const wchar_t* key, const wchar_t* name) {
    return ::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::filesystem::path Documents() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

class ProfilesE2E : public ::testing::Test {
protected:
    void RunOnce(const MonitorInstall& install) {
        Process monitor = install.StartMonitor();
        ASSERT_NE(MonitorWindow(), nullptr);
        ChooseTrayMenuEntry(monitor.Id(), MenuExit);
        ASSERT_EQ(monitor.WaitForExit(), std::optional<DWORD>(0));
    }
};

TEST_F(ProfilesE2E, FirstStartStoresTheSettingsAndMakesTheFolders) {
    constexpr wchar_t Key[] = L"software\\software\\ZQGMMOUSE";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    MonitorInstall install; // no config.ini
    RunOnce(install);

    const auto group = ReadBinary(Key, L"ProfileSettingGroup.pfd");
    ASSERT_TRUE(group.has_value());
    EXPECT_EQ(group->size(), 30964u);
    const auto all = ReadBinary(Key, L"allsettings.pfd");
    ASSERT_TRUE(all.has_value());
    ASSERT_EQ(all->size(), 30954u);
    EXPECT_EQ((*all)[30950] | ((*all)[30951] << 8), 2); // CurrentGame
    EXPECT_EQ((*all)[30952], 10);                       // CurrentLanguage
    for (const wchar_t* name : {L"Profile1.pfd", L"Profile2.pfd", L"Profile3.pfd", L"Profile4.pfd",
                                L"Profile5.pfd", L"RecordRPROFILE.pfd"})
        EXPECT_FALSE(ValueExists(Key, name)) << "profiles are defaulted in memory only";

    const auto folder = Documents() / L"Profile";
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(
            std::filesystem::is_directory(folder / (L"Profile" + std::to_wstring(n) + L"_Macros")));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
}

TEST_F(ProfilesE2E, ConfigurationNamesTheRegistryKey) {
    constexpr wchar_t Key[] = L"software\\ZQGMMOUSE";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    MonitorInstall install;
    install.WriteFile("config.ini", "[options]\r\nProfileRegFolder=ZQGMMOUSE\r\n");
    RunOnce(install);
    EXPECT_TRUE(ReadBinary(Key, L"allsettings.pfd").has_value());
    EXPECT_TRUE(ReadBinary(Key, L"ProfileSettingGroup.pfd").has_value());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
}

TEST_F(ProfilesE2E, AStoredValueOfAnotherTypeIsNeitherFatalNorOverwritten) {
    constexpr wchar_t Key[] = L"software\\software\\ZQGMMOUSE";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                nullptr),
              ERROR_SUCCESS);
    {
        const win32::UniqueKey key(raw);
        const wchar_t text[] = L"not a profile";
        ::RegSetValueExW(key.Get(), L"allsettings.pfd", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text), sizeof(text));
    }
    MonitorInstall install;
    RunOnce(install);
    DWORD type = 0;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, Key, L"allsettings.pfd", RRF_RT_ANY, &type, nullptr,
                             nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
}

} // namespace
} // namespace zq::e2e

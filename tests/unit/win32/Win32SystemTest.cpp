// System facts, named mutexes and the registry on Windows, under wine.

#include "platform/win32/Win32System.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace zq::win32 {
namespace {

TEST(Win32System, FactsAboutTheSystemAndTheProgram) {
    Win32System system;
    const OsVersion os = system.GetOsVersion();
    EXPECT_EQ(os.PlatformId, 2u);
    EXPECT_GE(os.Major, 6u);
    const auto folder = system.ExecutableFolder().wstring();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_FALSE(system.DocumentsFolder().empty());
}

TEST(Win32System, AMutexExistsWhileItsOwnerHoldsIt) {
    Win32System system;
    const std::u16string name = u"ZQMON.TestMutex." + std::u16string(u"1");
    EXPECT_FALSE(system.NamedMutexExists(name));
    {
        const auto first = system.CreateNamedMutex(name);
        ASSERT_NE(first.Mutex, nullptr);
        EXPECT_FALSE(first.AlreadyExists);
        EXPECT_TRUE(system.NamedMutexExists(name));
        // A second creation learns of the first in the same call.
        const auto second = system.CreateNamedMutex(name);
        EXPECT_TRUE(second.AlreadyExists);
        EXPECT_EQ(second.Mutex, nullptr);
    }
    EXPECT_FALSE(system.NamedMutexExists(name));
}

TEST(Win32Registry, BinaryValuesRoundTripAndOtherTypesAreReported) {
    Win32Registry registry;
    const std::u16string key = u"software\\ZQMON.Test\\Registry";
    ASSERT_TRUE(registry.OpenOrCreateKey(RegistryRoot::CurrentUser, key, KeyAccess::ReadWrite));
    const std::vector<std::uint8_t> bytes{0x00, 0x01, 0xFE, 0xFF, 0x00};
    ASSERT_TRUE(registry.WriteBinary(RegistryRoot::CurrentUser, key, u"blob.pfd", bytes));
    RegistryValue value;
    ASSERT_EQ(registry.ReadValue(RegistryRoot::CurrentUser, key, u"BLOB.PFD", value),
              RegistryResult::Ok);
    EXPECT_EQ(value.Type, REG_BINARY_);
    EXPECT_EQ(value.Data, bytes);

    HKEY raw = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"software\\ZQMON.Test\\Registry", 0,
                              KEY_SET_VALUE, &raw),
              ERROR_SUCCESS);
    const UniqueKey textKey(raw);
    const wchar_t text[] = L"text";
    ::RegSetValueExW(textKey.Get(), L"text.pfd", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     sizeof(text));
    ASSERT_EQ(registry.ReadValue(RegistryRoot::CurrentUser, key, u"text.pfd", value),
              RegistryResult::Ok);
    EXPECT_EQ(value.Type, REG_SZ_);

    EXPECT_EQ(registry.ReadValue(RegistryRoot::CurrentUser, key, u"missing.pfd", value),
              RegistryResult::NotFound);
    EXPECT_EQ(
        registry.ReadValue(RegistryRoot::CurrentUser, u"software\\ZQMON.Test\\NoKey", u"x", value),
        RegistryResult::NotFound);
    EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, key, u"blob.pfd"));
    EXPECT_EQ(registry.ReadValue(RegistryRoot::CurrentUser, key, u"blob.pfd", value),
              RegistryResult::NotFound);
    EXPECT_FALSE(registry.WriteBinary(RegistryRoot::None, key, u"x", bytes));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"software\\ZQMON.Test");
}

} // namespace
} // namespace zq::win32

// Profile blobs through the Windows registry: binary values under a key of the
// current user, as the configuration program reads them. Each test uses a key of
// its own below HKCU\software and removes it afterwards.

#include "platform/win32/Win32Registry.h"
#include "profiles/DMUnit.h"
#include "profiles/TuiProfile.h"
#include "support/ProfileWorld.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

// Packed record fields are read by value (unary +) in assertions: the assertion
// macros take references, which a packed field cannot safely give.

namespace zq::test {
namespace {

std::u16string UniqueKeyName() {
    static int counter = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name =
        "ZQMonProfileTest-" + std::to_string(stamp) + "-" + std::to_string(counter++);
    return std::u16string(name.begin(), name.end());
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return bytes;
}

class Win32ProfileRegistry : public ::testing::Test {
protected:
    Win32ProfileRegistry() {
        Profile.SetRootKey(RegistryRoot::CurrentUser);
        Profile.SetKeyPath(Key);
        Profile.SetFileName(u"Profile1.pfd");
    }
    ~Win32ProfileRegistry() override { Registry.DeleteKeyTree(RegistryRoot::CurrentUser, Key); }

    std::optional<RegistryValue> Read(const std::u16string& name) {
        RegistryValue value;
        if (Registry.ReadValue(RegistryRoot::CurrentUser, Key, name, value) != RegistryResult::Ok)
            return std::nullopt;
        return value;
    }

    std::u16string KeyName = UniqueKeyName();
    std::u16string Key = u"software\\" + KeyName;
    win32::Win32Registry Registry;
    TuiProfile Profile{Registry};
};

TEST_F(Win32ProfileRegistry, BinaryValuesRoundTrip) {
    const auto bytes = Pattern(sizeof(TMouseProfileInfo));
    Profile.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    ASSERT_TRUE(Profile.SaveStreamToRegistry());

    const auto stored = Read(u"Profile1.pfd");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Type, REG_BINARY_);
    EXPECT_EQ(stored->Data, bytes);

    TuiProfile loaded(Registry);
    loaded.SetRootKey(RegistryRoot::CurrentUser);
    loaded.SetKeyPath(Key);
    loaded.SetFileName(u"profile1.PFD"); // names without regard to case, as the registry has them
    ASSERT_TRUE(loaded.LoadStreamFromRegistry());
    const auto stream = loaded.Stream().Bytes();
    EXPECT_EQ(std::vector<std::uint8_t>(stream.begin(), stream.end()), bytes);
}

TEST_F(Win32ProfileRegistry, ShorterValueGivesAShorterStream) {
    const auto bytes = Pattern(100);
    ASSERT_TRUE(Registry.WriteBinary(RegistryRoot::CurrentUser, Key, u"Profile1.pfd", bytes));
    Profile.SetSize(sizeof(TMouseProfileInfo));
    ASSERT_TRUE(Profile.LoadStreamFromRegistry());
    EXPECT_EQ(Profile.Stream().Size(), 100);
}

TEST_F(Win32ProfileRegistry, MissingValueAndValueOfAnotherType) {
    EXPECT_FALSE(Profile.LoadStreamFromRegistry());
    const RegistryValue text{REG_SZ_, {'h', 0, 'i', 0, 0, 0}};
    ASSERT_TRUE(Registry.WriteValue(RegistryRoot::CurrentUser, Key, u"Profile1.pfd", text));
    EXPECT_THROW(Profile.LoadStreamFromRegistry(), EProfileStorageError);
    EXPECT_EQ(Read(u"Profile1.pfd")->Type, REG_SZ_);
}

TEST_F(Win32ProfileRegistry, FirstStartOfTheManagerStoresBinarySettings) {
    ProfileWorld world;
    const std::string key(KeyName.begin(), KeyName.end());
    world.WriteConfig("[options]\r\nProfileRegFolder=" + key + "\r\n");
    const auto dm =
        std::make_unique<TDM>(Registry, world.System, world.Ini, [] { return TestNow(); });

    const auto group = Read(ProfileSettingGroupName);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->Type, REG_BINARY_);
    EXPECT_EQ(group->Data.size(), 30964u);
    const auto all = Read(AllSettingsName);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->Type, REG_BINARY_);
    EXPECT_EQ(all->Data.size(), 30954u);
    EXPECT_EQ(Peek16(all->Data, 30950), 2);
    EXPECT_EQ(all->Data[30952], 10);
    EXPECT_FALSE(Read(u"Profile1.pfd"));
    EXPECT_EQ(dm->FProfileIndex, 2);

    // A second start loads what the first stored and writes nothing new.
    const auto again = std::make_unique<TDM>(Registry, world.System, world.Ini, [] { return 1.0; });
    EXPECT_EQ(Read(AllSettingsName)->Data, all->Data);
    EXPECT_EQ(+again->FAllProfileSettingInfo.CurrentLanguage, 10);
}

} // namespace
} // namespace zq::test

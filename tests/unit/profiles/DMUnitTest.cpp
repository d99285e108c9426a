#include "profiles/DMUnit.h"
#include "platform/Text.h"
#include "profiles/DeviceUsage.h"
#include "profiles/FactoryDefaults.h"
#include "profiles/PathText.h"
#include "support/ProfileWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

// Packed record fields are read by value (unary +) in assertions: the assertion
// macros take references, which a packed field cannot safely give.

namespace zq::test {
namespace {

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

// A profile that stands out: its first button bound to microphone mute and a
// marker in its CPI index.
std::vector<std::uint8_t> MarkedProfile(int marker) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    profile->ConfigInfo.ButtonFuncInfo[0].FunctionCode = MicrophoneMuteFunctionCode;
    profile->ConfigInfo.CurrentCPIIndex = marker;
    return BytesOf(*profile);
}

// The group settings as the defaults make them, with changes.
std::unique_ptr<TProfileSettingGroup> DefaultGroup(const ProfileWorld& world) {
    auto group = std::make_unique<TProfileSettingGroup>();
    TOptionsFromConfigFile options{DefaultProfileKey, u"Profile", u"Profile", u"MacroDB"};
    SetProfileSettingGroupDefaults(*group, options,
                                   ProfileWorld::FolderText(world.Documents / "Profile"));
    return group;
}

std::vector<std::uint8_t> AllSettings(std::uint16_t currentGame, std::uint8_t language) {
    auto info = std::make_unique<TALLGAMESINFO>();
    info->CurrentGame = currentGame;
    info->CurrentLanguage = language;
    return BytesOf(*info);
}

std::int32_t CpiMarker(const TMouseProfileInfo& profile) {
    return profile.ConfigInfo.CurrentCPIIndex;
}

TEST(DMUnit, FirstStartStoresTheSettingsAndDefaultsTheProfilesInMemory) {
    ProfileWorld world;
    DeviceUsageAndPage = {};
    const auto dm = world.CreateDM();

    EXPECT_EQ(DeviceUsageAndPage, VendorUsageAndPage);
    auto names = world.Registry.ValueNames(RegistryRoot::CurrentUser, DefaultProfileKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{ProfileSettingGroupName, AllSettingsName}));
    const auto group = world.Stored(ProfileSettingGroupName);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->Type, REG_BINARY_);
    EXPECT_EQ(group->Data.size(), 30964u);
    const auto all = world.Stored(AllSettingsName);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->Data.size(), 30954u);
    EXPECT_EQ(Peek16(all->Data, 30950), 2);
    EXPECT_EQ(all->Data[30952], 10);

    const auto profileFolder = world.Documents / "Profile";
    EXPECT_TRUE(std::filesystem::is_directory(profileFolder));
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(std::filesystem::is_directory(profileFolder /
                                                  ("Profile" + std::to_string(n) + "_Macros")));
    EXPECT_FALSE(std::filesystem::exists(profileFolder / "MacroDB"));

    EXPECT_EQ(dm->FProfileIndex, 2);
    EXPECT_EQ(dm->FProfileGroupIndex, 0);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 2);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentLanguage, 10);
    // The current profile is game 3's defaults.
    EXPECT_EQ(+dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.B, 255);
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 2);
    EXPECT_EQ(+dm->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[4].FunctionCode, 45);
    EXPECT_EQ(+dm->FCurrentProfileInfo.ProfileHeader.FProfileUID.DataTime, TestNow());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dm->FProfileGroup[i]->FileName(), u"Profile" + IntToText(i + 1) + u".pfd");
        EXPECT_EQ(dm->FProfileGroup[i]->FilePath(), ProfileWorld::FolderText(profileFolder));
        EXPECT_FALSE(dm->IsProfileChanged(i));
    }
    EXPECT_EQ(dm->uiProfileRecordMacroInfo.Stream().Size(), 896);
    EXPECT_EQ(dm->FOtherConfig.OfficialWebsite, u"http://");
}

TEST(DMUnit, ConfigFileNamesTheKeyAndTheFolders) {
    ProfileWorld world;
    world.WriteConfig(
        "[options]\r\nProfileRegFolder=ZQGMMOUSE\r\nprofileFolder=Mice\r\n"
        "profilePrefix=Game\r\n[OtherConfig]\r\nOfficialWebsite=http://zq.example\r\n");
    const auto dm = world.CreateDM();
    world.Key = u"software\\ZQGMMOUSE";
    ASSERT_TRUE(world.Stored(ProfileSettingGroupName));
    ASSERT_TRUE(world.Stored(AllSettingsName));
    EXPECT_TRUE(std::filesystem::is_directory(world.Documents / "Mice" / "Game3_Macros"));
    EXPECT_EQ(dm->uiProfileGame3.FileName(), u"Game3.pfd");
    EXPECT_EQ(dm->uiProfileGame3.KeyPath(), u"software\\ZQGMMOUSE");
    EXPECT_EQ(dm->FOtherConfig.OfficialWebsite, u"http://zq.example");
}

TEST(DMUnit, StoredBlobsAreLoadedAndNothingIsWritten) {
    ProfileWorld world;
    world.Store(ProfileSettingGroupName, BytesOf(*DefaultGroup(world)));
    world.Store(AllSettingsName, AllSettings(4, 3));
    for (int i = 0; i < 5; ++i)
        world.Store(u"Profile" + IntToText(i + 1) + u".pfd", MarkedProfile(100 + i));

    const auto dm = world.CreateDM();
    EXPECT_EQ(world.Registry.WriteCount(), 0);
    EXPECT_EQ(dm->FProfileIndex, 4);
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 104);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentLanguage, 3);
    EXPECT_EQ(StreamBytes(dm->uiProfileGame2), MarkedProfile(101));
}

TEST(DMUnit, MissingProfileFileIsCreatedFromTheDefaults) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->ProfileSettingList[1].StorageKind = StorageInFile;
    const auto folder = world.Folder.Path() / "files";
    group->ProfileSettingList[1].FilePath.Set(folder.u16string());
    world.Store(ProfileSettingGroupName, BytesOf(*group));

    const auto dm = world.CreateDM();
    const auto file = folder / "Profile2.pfd";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(FileBytes(file), StreamBytes(dm->uiProfileGame2));
    EXPECT_EQ(FileBytes(file).size(), sizeof(TMouseProfileInfo));
    EXPECT_EQ(Peek16(FileBytes(file), 75952 + 10), 800); // CPI level 1 of game 2
    EXPECT_FALSE(world.Stored(u"Profile2.pfd"));
}

TEST(DMUnit, ProfileFileIsLoadedFromItsFolder) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->ProfileSettingList[0].StorageKind = StorageInFile;
    group->ProfileSettingList[0].FilePath.Set(world.Folder.Path().u16string());
    group->ProfileSettingList[0].FileName.Set(u"mine.pfd");
    world.Store(ProfileSettingGroupName, BytesOf(*group));
    world.Store(AllSettingsName, AllSettings(0, 10));
    const auto marked = MarkedProfile(77);
    world.Folder.Write("mine.pfd", std::string(marked.begin(), marked.end()));

    const auto dm = world.CreateDM();
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 77);
    EXPECT_EQ(dm->uiProfileGame1.FilePath(), ProfileWorld::FolderText(world.Folder.Path()));
    EXPECT_EQ(world.Registry.WriteCount(), 0);
}

TEST(DMUnit, OtherStorageKindsLoadNothing) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->ProfileSettingList[3].StorageKind = 7;
    world.Store(ProfileSettingGroupName, BytesOf(*group));
    world.Store(u"Profile4.pfd", MarkedProfile(5));
    const auto dm = world.CreateDM();
    EXPECT_EQ(StreamBytes(dm->uiProfileGame4),
              std::vector<std::uint8_t>(sizeof(TMouseProfileInfo)));
}

TEST(DMUnit, SwitchToProfileCopiesTheCachedStream) {
    ProfileWorld world;
    world.Store(u"Profile1.pfd", MarkedProfile(11));
    const auto dm = world.CreateDM();
    world.Store(u"Profile1.pfd", MarkedProfile(12));

    EXPECT_TRUE(dm->SwitchToProfile(0));
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 0);
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 11);

    EXPECT_FALSE(dm->SwitchToProfile(5));
    EXPECT_FALSE(dm->SwitchToProfile(-1));
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 0);
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 11);
    // In memory only.
    EXPECT_EQ(Peek16(world.Stored(AllSettingsName)->Data, 30950), 2);
}

TEST(DMUnit, ReloadsRefreshFromTheRegistry) {
    ProfileWorld world;
    world.Store(u"Profile3.pfd", MarkedProfile(30));
    const auto dm = world.CreateDM();
    ASSERT_EQ(CpiMarker(dm->FCurrentProfileInfo), 30);

    world.Store(u"Profile3.pfd", MarkedProfile(31));
    dm->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = 99;
    EXPECT_TRUE(dm->LoadCurrentProfileInfoFromRegistry());
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 31);

    world.Registry.DeleteValue(RegistryRoot::CurrentUser, world.Key, u"Profile3.pfd");
    dm->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = 99;
    EXPECT_FALSE(dm->LoadCurrentProfileInfoFromRegistry());
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 31);

    world.Store(AllSettingsName, AllSettings(1, 4));
    dm->LoadAllProfileInfoFromRegistry();
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 1);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentLanguage, 4);

    world.Store(u"Profile5.pfd", MarkedProfile(50));
    EXPECT_TRUE(dm->LoadProfileInfoFromRegistry(4));
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 31);
    const auto copy = std::make_unique<TMouseProfileInfo>();
    EXPECT_TRUE(dm->ReadProfileInfo(*copy, 4));
    EXPECT_EQ(CpiMarker(*copy), 50);
    EXPECT_FALSE(dm->ReadProfileInfo(*copy, 5));
    EXPECT_THROW(dm->LoadProfileInfoFromRegistry(5), std::out_of_range);
}

TEST(DMUnit, ShortStoredProfileReadsAsZerosPastItsEnd) {
    ProfileWorld world;
    world.Store(AllSettingsName, AllSettings(0, 10));
    world.Store(u"Profile2.pfd", std::vector<std::uint8_t>(100, 0xAA));
    const auto dm = world.CreateDM();
    ASSERT_EQ(dm->uiProfileGame2.Stream().Size(), 100);
    const auto before = BytesOf(dm->FCurrentProfileInfo); // game 1's defaults
    ASSERT_TRUE(std::any_of(before.begin() + 100, before.end(), [](auto b) { return b != 0; }));
    ASSERT_TRUE(dm->SwitchToProfile(1));
    const auto after = BytesOf(dm->FCurrentProfileInfo);
    EXPECT_TRUE(std::all_of(after.begin(), after.begin() + 100, [](auto b) { return b == 0xAA; }));
    EXPECT_TRUE(std::all_of(after.begin() + 100, after.end(), [](auto b) { return b == 0; }));
    const auto copy = std::make_unique<TMouseProfileInfo>();
    std::memset(copy.get(), 0x55, sizeof(TMouseProfileInfo));
    ASSERT_TRUE(dm->ReadProfileInfo(*copy, 1));
    EXPECT_EQ(BytesOf(*copy), after);
}

TEST(DMUnit, SettingsThatBecomeUnreadableKeepTheLastGoodCopy) {
    ProfileWorld world;
    world.Store(AllSettingsName, AllSettings(4, 3));
    const auto dm = world.CreateDM();
    const std::vector<std::uint8_t> text = {'h', 0, 'i', 0, 0, 0};
    world.Store(AllSettingsName, text, REG_SZ_); // another type written over it
    dm->LoadAllProfileInfoFromRegistry();
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 4);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentLanguage, 3);
    EXPECT_EQ(world.Stored(AllSettingsName)->Data, text);
    // A value removed altogether still gets the defaults, stored.
    world.Registry.DeleteValue(RegistryRoot::CurrentUser, world.Key, AllSettingsName);
    dm->LoadAllProfileInfoFromRegistry();
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 2);
    EXPECT_EQ(world.Stored(AllSettingsName)->Type, REG_BINARY_);
}

TEST(DMUnit, OutOfRangeStoredGroupFallsBackForTheRunAndStaysStored) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->CurrentProfileGroup = 7;
    const auto stored = BytesOf(*group);
    world.Store(ProfileSettingGroupName, stored);
    world.Store(AllSettingsName, AllSettings(9, 10));

    const auto dm = world.CreateDM();
    EXPECT_EQ(dm->FProfileGroupIndex, 0);
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(world.Stored(ProfileSettingGroupName)->Data, stored);
    // The current profile works: saving it back reaches profile 0.
    dm->SaveBackToCurrentProfileInfo();
    EXPECT_TRUE(dm->IsProfileChanged(0));
}

TEST(DMUnit, OutOfRangeStoredProfileOfAGroupFallsBack) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->CurrentProfileGroup = 1;
    group->ProfileIndexOfProfileGroup[0] = 3;
    group->ProfileIndexOfProfileGroup[1] = -4;
    world.Store(ProfileSettingGroupName, BytesOf(*group));
    world.Store(AllSettingsName, AllSettings(77, 10));

    const auto dm = world.CreateDM();
    EXPECT_EQ(dm->FProfileGroupIndex, 1);
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_FALSE(dm->LoadCurrentProfileInfoFromRegistry());
    EXPECT_FALSE(dm->SwitchToProfileGroup(1));
    EXPECT_FALSE(dm->RestoreProfileGroupToDefault(1));
    EXPECT_EQ(dm->FProfileGroupIndex, 1);

    EXPECT_TRUE(dm->SwitchToProfileGroup(0));
    EXPECT_EQ(dm->FProfileIndex, 3);
    EXPECT_EQ(+dm->FProfileSettingGroup.CurrentProfileGroup, 0);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 3);
    EXPECT_FALSE(dm->SwitchToProfileGroup(2));
}

TEST(DMUnit, ValuesOfAnotherTypeAreNeitherReadNorOverwritten) {
    ProfileWorld world;
    const std::vector<std::uint8_t> text = {'h', 0, 'i', 0, 0, 0};
    world.Store(ProfileSettingGroupName, {1, 0, 0, 0}, REG_DWORD_);
    world.Store(AllSettingsName, text, REG_SZ_);
    world.Store(u"Profile3.pfd", text, REG_SZ_);

    const auto dm = world.CreateDM();
    EXPECT_EQ(world.Stored(ProfileSettingGroupName)->Type, REG_DWORD_);
    EXPECT_EQ(world.Stored(AllSettingsName)->Data, text);
    EXPECT_EQ(world.Stored(u"Profile3.pfd")->Type, REG_SZ_);
    // The run goes on with the defaults.
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentGame, 2);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentLanguage, 10);
    EXPECT_EQ(dm->FProfileIndex, 2);
    EXPECT_EQ(dm->uiProfileGame3.FileName(), u"Profile3.pfd");
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 2);

    // Reloads at run time keep to the same rules.
    EXPECT_FALSE(dm->LoadCurrentProfileInfoFromRegistry());
    dm->LoadAllProfileInfoFromRegistry();
    EXPECT_EQ(world.Stored(AllSettingsName)->Data, text);
    EXPECT_EQ(+dm->FAllProfileSettingInfo.CurrentLanguage, 10);
}

TEST(DMUnit, UnreadableProfileFileIsLeftAlone) {
    ProfileWorld world;
    const auto file = world.Folder.Path() / "Profile1.pfd";
    if (!MakeUnreadableFile(file))
        GTEST_SKIP() << "no way to make an unreadable file here";
    auto group = DefaultGroup(world);
    group->ProfileSettingList[0].StorageKind = StorageInFile;
    group->ProfileSettingList[0].FilePath.Set(world.Folder.Path().u16string());
    world.Store(ProfileSettingGroupName, BytesOf(*group));
    world.Store(AllSettingsName, AllSettings(0, 10));

    const auto dm = world.CreateDM();
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 0);
    EXPECT_EQ(+dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 255); // game 1 defaults
}

TEST(DMUnit, ProfileFileThatCannotBeWrittenLeavesDefaultsInMemory) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->ProfileSettingList[0].StorageKind = StorageInFile;
    group->ProfileSettingList[0].FilePath.Set(world.Folder.Path().u16string());
    world.Store(ProfileSettingGroupName, BytesOf(*group));
    world.Store(AllSettingsName, AllSettings(0, 10));
    // A folder where the file should be.
    std::filesystem::create_directory(world.Folder.Path() / "Profile1.pfd");

    const auto dm = world.CreateDM();
    EXPECT_EQ(+dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 255);
}

TEST(DMUnit, FileEntryWithoutFolderWritesNothing) {
    ProfileWorld world;
    auto group = DefaultGroup(world);
    group->ProfileSettingList[0].StorageKind = StorageInFile;
    group->ProfileSettingList[0].FilePath.Set(u"");
    world.Store(ProfileSettingGroupName, BytesOf(*group));
    world.Store(AllSettingsName, AllSettings(0, 10));
    const auto dm = world.CreateDM();
    EXPECT_EQ(+dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 255);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(u"/Profile1.pfd")));
}

TEST(DMUnit, UnknownDocumentsFolderStillRunsOnRegistryProfiles) {
    ProfileWorld world;
    world.System.SetDocumentsFolder({});
    world.Store(u"Profile3.pfd", MarkedProfile(33));
    const auto dm = world.CreateDM();
    // The group settings stay unsaved so the next start tries the folders again.
    EXPECT_FALSE(world.Stored(ProfileSettingGroupName));
    EXPECT_TRUE(world.Stored(AllSettingsName));
    EXPECT_EQ(dm->uiProfileGame3.FileName(), u"Profile3.pfd");
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 33);
    EXPECT_EQ(dm->FProfileSettingGroup.ProfileSettingList[0].FilePath.Get(), u"");
    EXPECT_EQ(dm->FProfileSettingGroup.ProfileSettingList[0].MacroFolder.Get(), u"");
    EXPECT_THROW(dm->GetPersonalDocumentProfilePath(), EProfileStorageError);
}

TEST(DMUnit, ProfileFolderThatCannotBeMadeLeavesTheGroupSettingsUnsaved) {
    ProfileWorld world;
    world.Folder.Write("documents/Profile", "a file in the way");
    const auto dm = world.CreateDM();
    EXPECT_FALSE(world.Stored(ProfileSettingGroupName));
    EXPECT_EQ(dm->FProfileSettingGroup.ProfileSettingList[4].FileName.Get(), u"Profile5.pfd");
    EXPECT_EQ(+dm->FProfileSettingGroup.ProfileIndexOfProfileGroup[1], 1);
    EXPECT_EQ(dm->FProfileIndex, 2);
}

TEST(DMUnit, MacroIndexListTakesEachMacroOnceInOrder) {
    ProfileWorld world;
    const auto dm = world.CreateDM();
    auto profile = std::make_unique<TMouseProfileInfo>();
    auto bind = [&](int button, int macro) {
        profile->ConfigInfo.ButtonFuncInfo[button].FunctionType = FunctionTypeMacro;
        profile->ConfigInfo.ButtonFuncInfo[button].MacroIndex = static_cast<std::uint16_t>(macro);
    };
    for (int i = 0; i < 5; ++i) {
        std::memset(profile.get(), 0, sizeof(*profile));
        profile->ConfigInfo.ButtonCount = 14;
        if (i == 0) {
            bind(1, 3);
            bind(4, 1);
        } else if (i == 2) {
            bind(0, 3);
            bind(13, 2);
        } else if (i == 3) {
            // Beyond the count: not walked.
            profile->ConfigInfo.ButtonCount = 2;
            bind(5, 9);
        }
        dm->SaveBackToProfileInfo(*profile, i);
    }
    EXPECT_EQ(dm->GetAllProfilesMacroIndexList(), (std::vector<std::int32_t>{3, 1, 2}));

    // A stored count above the 14 entries walks the 14 there are.
    std::memset(profile.get(), 0, sizeof(*profile));
    profile->ConfigInfo.ButtonCount = 100000;
    bind(13, 8);
    dm->SaveBackToProfileInfo(*profile, 4);
    EXPECT_EQ(dm->GetAllProfilesMacroIndexList(), (std::vector<std::int32_t>{3, 1, 2, 8}));
}

TEST(DMUnit, SavesReachTheRegistryAndFiles) {
    ProfileWorld world;
    const auto dm = world.CreateDM();
    dm->SwitchToProfile(1);
    dm->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = 42;
    dm->SaveCurrentProfileInfoToRegistry();
    EXPECT_TRUE(dm->IsProfileChanged(1));
    EXPECT_EQ(Peek32(world.Stored(u"Profile2.pfd")->Data, 75916), 42);

    dm->SaveBackAllProfileSettingInfo();
    EXPECT_EQ(Peek16(world.Stored(AllSettingsName)->Data, 30950), 1);

    EXPECT_TRUE(dm->SaveProfileInfoToRegistry(4));
    EXPECT_FALSE(dm->SaveProfileInfoToRegistry(5));
    ASSERT_TRUE(world.Stored(u"Profile5.pfd"));
    dm->SaveBackAllProfileInfoToRegistry();
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(world.Stored(u"Profile" + IntToText(n) + u".pfd"));

    dm->SaveBackAllProfileInfoToFile();
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(std::filesystem::exists(world.Documents / "Profile" /
                                            ("Profile" + std::to_string(n) + ".pfd")));
    const auto exported = world.Folder.Path() / "export.pfd";
    dm->SaveCurrentProfileInfoToFile(exported.u16string());
    EXPECT_EQ(Peek32(FileBytes(exported), 75916), 42);

    dm->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = 0;
    EXPECT_TRUE(dm->LoadCurrentProfileInfoFromFile(exported.u16string()));
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 42);

    dm->FProfileSettingGroup.ProfileIndexOfProfileGroup[1] = 4;
    dm->SaveProfileGroupSettingInfoToRegistry();
    EXPECT_EQ(Peek32(world.Stored(ProfileSettingGroupName)->Data, 8), 4);
}

TEST(DMUnit, RecordedMacroGoesToItsOwnValue) {
    ProfileWorld world;
    const auto dm = world.CreateDM();
    auto macro = std::make_unique<TMACROKEYINFO>();
    macro->nMacroIndex = 6;
    macro->szMacroName.Set(u"burst");
    dm->SaveBackRecordMacroInfoToRegistry(*macro);
    const auto stored = world.Stored(RecordMacroName);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Data.size(), 896u);
    EXPECT_EQ(Peek16(stored->Data, 778), 6);
    EXPECT_EQ(PeekText(stored->Data, 782, 51), u"burst");

    const auto other = world.CreateDM();
    other->LoadRecordMacroInfoFromRegistry();
    EXPECT_EQ(+other->FRecordMacroInfo.nMacroIndex, 6);
}

TEST(DMUnit, RestoresMarkProfilesChanged) {
    ProfileWorld world;
    world.Store(u"Profile3.pfd", MarkedProfile(70));
    world.Store(u"Profile2.pfd", MarkedProfile(71));
    const auto dm = world.CreateDM();
    ASSERT_EQ(dm->FProfileIndex, 2);

    EXPECT_TRUE(dm->RestoreProfileGroupToDefault(1)); // profile 1, not current
    EXPECT_FALSE(dm->IsProfileChanged(1));
    EXPECT_EQ(Peek32(StreamBytes(dm->uiProfileGame2), 75916), 1);

    dm->RestoreCurrentProfileInfoToDefault();
    EXPECT_TRUE(dm->IsProfileChanged(2));
    EXPECT_EQ(CpiMarker(dm->FCurrentProfileInfo), 2);
    EXPECT_FALSE(dm->RestoreProfileInfoToDefault(9));

    dm->SetProfileChanged(2, false);
    dm->RestoreAllProfileInfoToDefault();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(dm->IsProfileChanged(i));
    EXPECT_THROW(dm->SetProfileChanged(5, true), std::out_of_range);
    EXPECT_THROW(dm->IsProfileChanged(-1), std::out_of_range);
    // Nothing of it is stored.
    EXPECT_EQ(Peek32(world.Stored(u"Profile3.pfd")->Data, 75916), 70);
}

TEST(DMUnit, DocumentFoldersAndTheMacroDatabase) {
    ProfileWorld world;
    const auto dm = world.CreateDM();
    const std::u16string folder = ProfileWorld::FolderText(world.Documents / "Profile");
    EXPECT_EQ(dm->GetPersonalDocumentProfilePath(), folder);
    EXPECT_EQ(dm->GetPersonalDocumentMacroDatabasePath(),
              folder + u"MacroDB" + PathDelim + u"MacroSet.MSDB");
    EXPECT_TRUE(std::filesystem::is_directory(world.Documents / "Profile" / "MacroDB"));
}

TEST(DMUnit, CurrentProfileCanBePointedAtAnotherFile) {
    ProfileWorld world;
    const auto dm = world.CreateDM();
    const auto file = world.Folder.Path() / "other.pfd";
    EXPECT_TRUE(dm->ChangeCurrentProfileFileNameAndPath(file.u16string()));
    EXPECT_EQ(dm->uiProfileGame3.FileName(), u"other.pfd");
    EXPECT_EQ(dm->uiProfileGame3.FilePath(), ProfileWorld::FolderText(world.Folder.Path()));
    const TPROFILELOCATION& entry = dm->FProfileSettingGroup.ProfileSettingList[2];
    EXPECT_EQ(entry.FileName.Get(), u"other.pfd");
    EXPECT_EQ(entry.FilePath.Get(), ProfileWorld::FolderText(world.Folder.Path()));

    const auto tooLong = world.Folder.Path() / "a-name-longer-than-twenty.pfd";
    EXPECT_FALSE(dm->ChangeCurrentProfileFileNameAndPath(tooLong.u16string()));
    EXPECT_EQ(entry.FileName.Get(), u"other.pfd");
}

TEST(DMUnit, TheProgramsInstance) {
    ProfileWorld world;
    const auto dm = world.CreateDM();
    EXPECT_FALSE(HasDM());
    EXPECT_THROW(DM(), std::logic_error);
    {
        const ScopedDM scoped(*dm);
        EXPECT_EQ(&DM(), dm.get());
    }
    EXPECT_FALSE(HasDM());
}

} // namespace
} // namespace zq::test

#include "profiles/DMUnit.h"

#include "platform/Text.h"
#include "profiles/DeviceUsage.h"
#include "profiles/FactoryDefaults.h"
#include "profiles/PathText.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

namespace zq {

namespace {

TDM* GInstance = nullptr;

template <typename Record> std::int32_t RecordSize() {
    return static_cast<std::int32_t>(sizeof(Record));
}

void CheckProfileIndex(std::int32_t index) {
    if (!TDM::IsProfileIndexInRange(index))
        throw std::out_of_range("profile index " + std::to_string(index) + " is not 0 to 4");
}

// Copies a profile's stream into a record. A stream shorter than the record (a
// truncated write) gives zeros for the rest, never the bytes of another profile.
void ReadProfileRecord(TuiProfile& profile, TMouseProfileInfo& record) {
    const std::int32_t size = RecordSize<TMouseProfileInfo>();
    const std::int32_t read = std::clamp(profile.Read(&record, size), 0, size);
    auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
    std::fill(bytes + read, bytes + size, std::uint8_t{0});
}

using FolderText = decltype(TPROFILELOCATION::FilePath);
using NameText = decltype(TPROFILELOCATION::FileName);

} // namespace

TDM::TDM(IRegistry& registry, ISystem& system, IIniReader& ini, DateTimeSource now)
    : uiProfileSettingGroup(registry), uiProfileAllSettingInfo(registry),
      uiProfileRecordMacroInfo(registry), uiProfileGame1(registry), uiProfileGame2(registry),
      uiProfileGame3(registry), uiProfileGame4(registry), uiProfileGame5(registry),
      uiProfileDefaultGame(registry),
      uiProfileTest(registry), FProfileGroup{&uiProfileGame1, &uiProfileGame2, &uiProfileGame3,
                                             &uiProfileGame4, &uiProfileGame5},
      FSystem(system), FNow(std::move(now)) {
    BindDefaultHandlers();
    DataModuleCreate(ini);
}

void TDM::BindDefaultHandlers() {
    uiProfileSettingGroup.OnRestoreToDefault = [this](TMemoryStream& s) {
        uiProfileSettingGroupRestoreToDefault(s);
    };
    uiProfileAllSettingInfo.OnRestoreToDefault = [this](TMemoryStream& s) {
        uiProfileAllSettingInfoRestoreToDefault(s);
    };
    // Game n's defaults for the profile of index n - 1; the default game is game 1.
    for (int i = 0; i < ProfileCount; ++i)
        FProfileGroup[i]->OnRestoreToDefault = [this, game = i + 1](TMemoryStream& s) {
            RestoreGameDefaults(s, game);
        };
    uiProfileDefaultGame.OnRestoreToDefault = [this](TMemoryStream& s) {
        RestoreGameDefaults(s, 1);
    };
    uiProfileTest.OnRestoreToDefault = [this](TMemoryStream& s) {
        uiProfileTestRestoreToDefault(s);
    };
    // The recorded macro has no defaults: its stream stays as it is.
}

void TDM::Bind(TuiProfile& profile, const std::u16string& name) {
    profile.SetRootKey(RegistryRoot::CurrentUser);
    profile.SetFileName(name);
    profile.SetKeyPath(FOptionsFromConfigFile.ProfileRegFolder);
}

void TDM::DataModuleCreate(IIniReader& ini) {
    {
        const auto config = OpenConfigFile(ini, FSystem);
        FOptionsFromConfigFile = ReadOptionsFromConfigFile(*config);
        FMonitorOptions = ReadMonitorOptions(*config);
        FOtherConfig = ReadOtherConfig(*config);
    }
    DeviceUsageAndPage = VendorUsageAndPage;
    FProfileGroupIndex = 0;

    Bind(uiProfileSettingGroup, ProfileSettingGroupName);
    uiProfileSettingGroup.Write(&FProfileSettingGroup, RecordSize<TProfileSettingGroup>());
    LoadProfileGroupSettingInfoFromRegistry();

    Bind(uiProfileAllSettingInfo, AllSettingsName);
    uiProfileAllSettingInfo.Write(&FAllProfileSettingInfo, RecordSize<TALLGAMESINFO>());
    LoadAllProfileInfoFromRegistry();

    // The recorded macro is sized only; it is loaded when asked for.
    Bind(uiProfileRecordMacroInfo, RecordMacroName);
    uiProfileRecordMacroInfo.Write(&FRecordMacroInfo, RecordSize<TMACROKEYINFO>());

    for (int i = 0; i < ProfileCount; ++i)
        LoadGameProfileAtStart(i);

    // A stored CurrentGame outside 0 to 4 leaves the profile the group chose.
    SwitchToProfile(FAllProfileSettingInfo.CurrentGame);
}

void TDM::LoadSettingsBlob(TuiProfile& profile, bool haveCopy) {
    bool unreadable = false;
    try {
        if (profile.LoadStreamFromRegistry())
            return;
    } catch (const EProfileStorageError&) {
        // The value exists but cannot be read: it stays as it is, never overwritten,
        // and a copy read before serves on.
        if (haveCopy)
            return;
        unreadable = true;
    }
    try {
        profile.RestoreToDefault();
        if (!unreadable)
            profile.SaveStreamToRegistry();
    } catch (const EProfileStorageError&) {
        // A folder of the defaults or the registry refused: the defaults, complete in
        // the stream, serve this run, and the next start tries again.
    }
}

void TDM::LoadGameProfileAtStart(int index) {
    TuiProfile& game = *FProfileGroup[index];
    const TPROFILELOCATION& entry = FProfileSettingGroup.ProfileSettingList[index];
    Bind(game, entry.FileName.Get());
    game.SetFilePath(entry.FilePath.Get());
    // Sized with zeros before a load or a default: the defaults leave those bytes
    // in place wherever they write nothing.
    game.SetSize(RecordSize<TMouseProfileInfo>());

    if (entry.StorageKind == StorageInRegistry) {
        bool loaded = false;
        try {
            loaded = game.LoadStreamFromRegistry();
        } catch (const EProfileStorageError&) {
            // Unreadable: defaults for this run, the stored value left alone.
        }
        if (!loaded)
            game.RestoreToDefault();
        return;
    }
    if (entry.StorageKind != StorageInFile)
        return;

    // An entry without a folder names no file; nothing is written anywhere for it.
    const std::u16string folder = entry.FilePath.Get();
    if (folder.empty()) {
        game.RestoreToDefault();
        return;
    }
    const std::u16string file = IncludeTrailingPathDelimiter(folder) + entry.FileName.Get();
    try {
        if (game.LoadStreamFromFile())
            return;
    } catch (const EProfileStorageError&) {
        // A file that cannot be read is never overwritten: defaults for this run.
        game.RestoreToDefault();
        return;
    }
    // No file yet (or no folder): the defaults, saved there when it can be written.
    game.RestoreToDefault();
    try {
        game.SaveStreamToFile(file);
    } catch (const EProfileStorageError&) {
        // Cannot be written: the defaults stay in memory and the run goes on.
    }
}

void TDM::FallBackToValidGroupAndProfile() {
    // Stored indices out of range would make every operation on the current profile
    // fail; the run uses valid ones instead and the stored blob stays as it is.
    const std::int32_t group = FProfileSettingGroup.CurrentProfileGroup;
    FProfileGroupIndex = IsProfileGroupIndexInRange(group) ? group : 0;
    const std::int32_t profile =
        FProfileSettingGroup.ProfileIndexOfProfileGroup[FProfileGroupIndex];
    FProfileIndex = IsProfileIndexInRange(profile) ? profile : 0;
}

bool TDM::IsProfileIndexInRange(std::int32_t AProfileIndex) {
    return AProfileIndex >= 0 && AProfileIndex < ProfileCount;
}

bool TDM::IsProfileGroupIndexInRange(std::int32_t AProfileGroupIndex) {
    return AProfileGroupIndex >= 0 && AProfileGroupIndex < ProfileGroupCount;
}

bool TDM::SwitchToProfile(std::int32_t AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex))
        return false;
    FProfileIndex = AProfileIndex;
    ReadCurrentProfileInfo();
    FAllProfileSettingInfo.CurrentGame = static_cast<std::uint16_t>(AProfileIndex);
    return true;
}

void TDM::LoadAllProfileInfoFromRegistry() {
    LoadSettingsBlob(uiProfileAllSettingInfo, FAllSettingsHeld);
    FAllSettingsHeld = true;
    uiProfileAllSettingInfo.Read(&FAllProfileSettingInfo, RecordSize<TALLGAMESINFO>());
}

bool TDM::LoadCurrentProfileInfoFromRegistry() {
    bool loaded = false;
    try {
        loaded = CurrentProfile().LoadStreamFromRegistry();
    } catch (const EProfileStorageError&) {
        // Unreadable: the cached stream stays the current profile.
    }
    ReadCurrentProfileInfo();
    return loaded;
}

std::int32_t TDM::ProfileOfGroup(std::int32_t AProfileGroupIndex) const {
    if (!IsProfileGroupIndexInRange(AProfileGroupIndex))
        return -1;
    const std::int32_t profile =
        FProfileSettingGroup.ProfileIndexOfProfileGroup[AProfileGroupIndex];
    return IsProfileIndexInRange(profile) ? profile : -1;
}

bool TDM::SwitchToProfileGroup(std::int32_t AProfileGroupIndex) {
    const std::int32_t profile = ProfileOfGroup(AProfileGroupIndex);
    if (profile < 0)
        return false;
    FProfileSettingGroup.CurrentProfileGroup = AProfileGroupIndex;
    FProfileGroupIndex = AProfileGroupIndex;
    SwitchToProfile(profile);
    return true;
}

bool TDM::LoadCurrentProfileInfoFromFile(const std::u16string& AFile) {
    const bool loaded = CurrentProfile().LoadStreamFromFile(AFile);
    ReadCurrentProfileInfo();
    return loaded;
}

bool TDM::LoadProfileInfoFromRegistry(std::int32_t AProfileIndex) {
    CheckProfileIndex(AProfileIndex);
    return FProfileGroup[AProfileIndex]->LoadStreamFromRegistry();
}

void TDM::LoadProfileGroupSettingInfoFromRegistry() {
    LoadSettingsBlob(uiProfileSettingGroup, false);
    uiProfileSettingGroup.Read(&FProfileSettingGroup, RecordSize<TProfileSettingGroup>());
    FallBackToValidGroupAndProfile();
}

bool TDM::ReadProfileInfo(TMouseProfileInfo& AProfileInfo, std::int32_t AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex))
        return false;
    ReadProfileRecord(*FProfileGroup[AProfileIndex], AProfileInfo);
    return true;
}

bool TDM::ReadCurrentProfileInfo() {
    ReadProfileRecord(CurrentProfile(), FCurrentProfileInfo);
    return true;
}

bool TDM::SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, std::int32_t AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex))
        return false;
    FProfileGroup[AProfileIndex]->Write(&AProfileInfo, RecordSize<TMouseProfileInfo>());
    return true;
}

void TDM::SaveBackToCurrentProfileInfo() {
    CurrentProfile().Write(&FCurrentProfileInfo, RecordSize<TMouseProfileInfo>());
    SetProfileChanged(FProfileIndex, true);
}

void TDM::SaveCurrentProfileInfoToRegistry() {
    SaveBackToCurrentProfileInfo();
    CurrentProfile().SaveStreamToRegistry();
}

void TDM::SaveCurrentProfileInfoToFile(const std::u16string& AFile) {
    CurrentProfile().SaveStreamToFile(AFile);
}

void TDM::SaveCurrentProfileInfoToFile() {
    CurrentProfile().SaveStreamToFile();
}

bool TDM::SaveProfileInfoToRegistry(std::int32_t AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex))
        return false;
    FProfileGroup[AProfileIndex]->SaveStreamToRegistry();
    return true;
}

void TDM::SaveBackAllProfileInfo() {
    for (TuiProfile* profile : FProfileGroup)
        profile->SaveStreamToRegistry();
}

void TDM::SaveBackAllProfileInfoToRegistry() {
    SaveBackAllProfileInfo();
}

void TDM::SaveBackAllProfileInfoToFile() {
    for (TuiProfile* profile : FProfileGroup)
        profile->SaveStreamToFile();
}

void TDM::SaveBackAllProfileSettingInfo() {
    FAllProfileSettingInfo.CurrentGame = static_cast<std::uint16_t>(FProfileIndex);
    uiProfileAllSettingInfo.Write(&FAllProfileSettingInfo, RecordSize<TALLGAMESINFO>());
    uiProfileAllSettingInfo.SaveStreamToRegistry();
}

void TDM::SaveBackToProfileGroupSettingInfo() {
    uiProfileSettingGroup.Write(&FProfileSettingGroup, RecordSize<TProfileSettingGroup>());
}

void TDM::SaveProfileGroupSettingInfoToRegistry() {
    SaveBackToProfileGroupSettingInfo();
    uiProfileSettingGroup.SaveStreamToRegistry();
}

void TDM::SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo) {
    uiProfileRecordMacroInfo.Write(&ARecordMacroInfo, RecordSize<TMACROKEYINFO>());
    uiProfileRecordMacroInfo.SaveStreamToRegistry();
}

void TDM::LoadRecordMacroInfoFromRegistry() {
    // A missing value leaves the stream (and so the record) as it was.
    uiProfileRecordMacroInfo.LoadStreamFromRegistry();
    uiProfileRecordMacroInfo.Read(&FRecordMacroInfo, RecordSize<TMACROKEYINFO>());
}

void TDM::RestoreCurrentProfileInfoToDefault() {
    RestoreProfileInfoToDefault(FProfileIndex);
    ReadCurrentProfileInfo();
}

void TDM::RestoreAllProfileInfoToDefault() {
    for (int i = 0; i < ProfileCount; ++i)
        RestoreProfileInfoToDefault(i);
    ReadCurrentProfileInfo();
}

bool TDM::RestoreProfileInfoToDefault(std::int32_t AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex))
        return false;
    FProfileGroup[AProfileIndex]->RestoreToDefault();
    SetProfileChanged(AProfileIndex, true);
    return true;
}

bool TDM::RestoreProfileGroupToDefault(std::int32_t AProfileGroupIndex) {
    const std::int32_t profile = ProfileOfGroup(AProfileGroupIndex);
    if (profile < 0)
        return false;
    if (profile == FProfileIndex)
        RestoreCurrentProfileInfoToDefault();
    else
        FProfileGroup[profile]->RestoreToDefault();
    return true;
}

void TDM::RestoreProfileSettingGroupToDefault() {
    uiProfileSettingGroup.RestoreToDefault();
    uiProfileSettingGroup.SaveStreamToRegistry();
}

void TDM::RestoreToDefaultCPISetting() {
    SetCPISettingDefaults(FCurrentProfileInfo);
}

void TDM::RestoreToDefaultLightAndReportAdvancedSetting() {
    SetLightAndReportDefaults(FCurrentProfileInfo);
}

void TDM::SetProfileChanged(std::int32_t AIndex, bool AIsChanged) {
    CheckProfileIndex(AIndex);
    FProfileChanged[static_cast<std::size_t>(AIndex)] = AIsChanged;
}

bool TDM::IsProfileChanged(std::int32_t AIndex) const {
    CheckProfileIndex(AIndex);
    return FProfileChanged[static_cast<std::size_t>(AIndex)];
}

bool TDM::ChangeCurrentProfileFileNameAndPath(const std::u16string& AProfileFilePath) {
    const std::u16string folder = ExtractFilePath(AProfileFilePath);
    const std::u16string name = ExtractFileName(AProfileFilePath);
    // A name or folder cut to fit would point the entry at another file than the
    // component; refuse instead.
    if (!NameText::Fits(name) || !FolderText::Fits(folder))
        return false;
    CurrentProfile().SetFileName(name);
    CurrentProfile().SetFilePath(folder);
    TPROFILELOCATION& entry = FProfileSettingGroup.ProfileSettingList[FProfileIndex];
    entry.FileName.Set(name);
    entry.FilePath.Set(folder);
    return true;
}

std::u16string TDM::ProfileFolderText() {
    const std::u16string documents = FromPath(FSystem.DocumentsFolder());
    // Without a documents folder the text would name a folder at the root of the
    // drive; nothing is made there.
    if (documents.empty())
        throw EProfileStorageError("the documents folder is unknown");
    return IncludeTrailingPathDelimiter(documents) + FOptionsFromConfigFile.ProfileFolder +
           PathDelim;
}

void TDM::MakeFolder(const std::u16string& folder) {
    if (!DirectoryExists(folder) && !CreateDir(folder))
        throw EProfileStorageError("the folder " + ToUtf8(folder) + " cannot be made");
}

std::u16string TDM::GetPersonalDocumentProfilePath() {
    const std::u16string folder = ProfileFolderText();
    MakeFolder(folder);
    return folder;
}

std::u16string TDM::GetPersonalDocumentMacroDatabasePath() {
    const std::u16string folder =
        GetPersonalDocumentProfilePath() + FOptionsFromConfigFile.ProfileMacroFolder;
    MakeFolder(folder);
    return folder + PathDelim + MacroDatabaseName;
}

std::vector<std::int32_t> TDM::GetAllProfilesMacroIndexList() {
    std::vector<std::int32_t> list;
    const auto profile = std::make_unique<TMouseProfileInfo>();
    for (TuiProfile* game : FProfileGroup) {
        game->Read(profile.get(), RecordSize<TMouseProfileInfo>());
        // A stored count above the 14 entries walks the 14 there are.
        const std::int32_t stored = profile->ConfigInfo.ButtonCount;
        const std::int32_t count = std::clamp<std::int32_t>(stored, 0, ButtonFuncCount);
        for (int button = 0; button < count; ++button) {
            const TBUTTONFUNCINFO& entry = profile->ConfigInfo.ButtonFuncInfo[button];
            if (entry.FunctionType != FunctionTypeMacro)
                continue;
            const std::int32_t macro = entry.MacroIndex;
            if (std::find(list.begin(), list.end(), macro) == list.end())
                list.push_back(macro);
        }
    }
    return list;
}

void TDM::InitTestDefaultValue() {
    Bind(uiProfileTest, TestProfileName);
    Bind(uiProfileDefaultGame, DefaultProfileName);
    uiProfileTest.Write(&FTestProfileInfo, RecordSize<TMouseProfileInfo>());
    uiProfileDefaultGame.Write(&FDefaultProfileInfo, RecordSize<TMouseProfileInfo>());
    uiProfileTest.RestoreToDefault();
    uiProfileDefaultGame.RestoreToDefault();
    uiProfileTest.Read(&FTestProfileInfo, RecordSize<TMouseProfileInfo>());
    uiProfileDefaultGame.Read(&FDefaultProfileInfo, RecordSize<TMouseProfileInfo>());
}

void TDM::RestoreGameDefaults(TMemoryStream& AStream, int game) {
    EditStreamAs<TMouseProfileInfo>(
        AStream, [&](TMouseProfileInfo& p) { SetGameProfileDefaults(p, game, FNow()); });
}

void TDM::uiProfileTestRestoreToDefault(TMemoryStream& AStream) {
    if (AStream.Size() == 0)
        return;
    EditStreamAs<TMouseProfileInfo>(
        AStream, [this](TMouseProfileInfo& p) { SetTestProfileDefaults(p, FNow()); });
}

void TDM::uiProfileSettingGroupRestoreToDefault(TMemoryStream& AStream) {
    std::u16string profileFolder;
    try {
        profileFolder = ProfileFolderText();
    } catch (const EProfileStorageError&) {
        // Written with empty folder texts below; the error follows once they are.
    }
    // A folder text the fields cannot hold would be cut into another folder.
    const std::u16string& prefix = FOptionsFromConfigFile.ProfileNamePrefix;
    if (!FolderText::Fits(ProfileMacroFolderOf(profileFolder, prefix, ProfileCount)))
        profileFolder.clear();

    EditStreamAs<TProfileSettingGroup>(AStream, [&](TProfileSettingGroup& group) {
        SetProfileSettingGroupDefaults(group, FOptionsFromConfigFile, profileFolder);
    });

    // The folders come last, so one that cannot be made leaves complete defaults.
    if (profileFolder.empty())
        throw EProfileStorageError("the profile folder cannot be formed");
    MakeFolder(profileFolder);
    for (int n = 1; n <= ProfileCount; ++n)
        MakeFolder(ProfileMacroFolderOf(profileFolder, prefix, n));
}

void TDM::uiProfileAllSettingInfoRestoreToDefault(TMemoryStream& AStream) {
    EditStreamAs<TALLGAMESINFO>(AStream, SetAllGamesInfoDefaults);
}

TDM& DM() {
    if (!GInstance)
        throw std::logic_error("the profile manager has not been created");
    return *GInstance;
}

bool HasDM() {
    return GInstance != nullptr;
}

ScopedDM::ScopedDM(TDM& dm) : FPrevious(std::exchange(GInstance, &dm)) {}

ScopedDM::~ScopedDM() {
    GInstance = FPrevious;
}

} // namespace zq

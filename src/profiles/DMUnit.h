#pragma once
// The profile manager: all profile and settings state of the program, and its only
// way to the stored profiles. Exactly one exists for the run, created before the
// main window; everything else reaches it through DM().
//
// At creation it reads config.ini, sets DeviceUsageAndPage, loads the profile group
// settings, the settings for all profiles and the five game profiles (from the
// registry or from profile files), stores factory defaults for whatever is missing,
// and makes one profile current. Its storage components are its cache of the stored
// blobs: switching profiles copies from a component's stream and reads no storage;
// only the load operations refresh a stream.
//
// Start-up always succeeds: a stored value that exists but cannot be read is left
// untouched and its defaults serve the run in memory, and stored group or profile
// indices outside their range are replaced for the run by valid ones. The
// operations the monitor uses at run time (SwitchToProfile and the two registry
// reloads) keep to the same rules. The other operations are the configuration
// side's interface; storage errors there reach the caller as EProfileStorageError,
// and the operations that name a range error throw std::out_of_range.
//
// It holds three whole profiles: create it on the heap (std::make_unique).

#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "profiles/ConfigFile.h"
#include "profiles/DateTime.h"
#include "profiles/ProfileRecords.h"
#include "profiles/TuiProfile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zq {

// Names of the stored blobs (registry value and file names).
inline constexpr char16_t ProfileSettingGroupName[] = u"ProfileSettingGroup.pfd";
inline constexpr char16_t AllSettingsName[] = u"allsettings.pfd";
inline constexpr char16_t RecordMacroName[] = u"RecordRPROFILE.pfd";
inline constexpr char16_t DefaultProfileName[] = u"K4700ProfileDef.pfd";
inline constexpr char16_t TestProfileName[] = u"K4700ProfileTest.pfd";
inline constexpr char16_t MacroDatabaseName[] = u"MacroSet.MSDB";

class TDM {
public:
    // Runs the whole creation sequence. now gives the creation stamp of default
    // profiles.
    TDM(IRegistry& registry, ISystem& system, IIniReader& ini,
        DateTimeSource now = LocalDateTimeNow);
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    // Operations the monitor uses.

    // Makes profile AProfileIndex (0 to 4) current from its cached stream and notes
    // it as CurrentGame, in memory only. False, changing nothing, for other indices.
    bool SwitchToProfile(std::int32_t AProfileIndex);
    // Reloads "allsettings.pfd" into FAllProfileSettingInfo; a missing value gets the
    // defaults, stored. A value that became unreadable keeps the copy in memory.
    void LoadAllProfileInfoFromRegistry();
    // Reloads the current profile's stream from the registry and copies the stream
    // into FCurrentProfileInfo whether or not that worked; whether it worked.
    bool LoadCurrentProfileInfoFromRegistry();

    // The configuration side's interface.

    static bool IsProfileIndexInRange(std::int32_t AProfileIndex);
    static bool IsProfileGroupIndexInRange(std::int32_t AProfileGroupIndex);
    bool SwitchToProfileGroup(std::int32_t AProfileGroupIndex);
    bool LoadCurrentProfileInfoFromFile(const std::u16string& AFile);
    // Refreshes that profile's stream only; std::out_of_range for a bad index.
    bool LoadProfileInfoFromRegistry(std::int32_t AProfileIndex);
    void LoadProfileGroupSettingInfoFromRegistry();
    bool ReadProfileInfo(TMouseProfileInfo& AProfileInfo, std::int32_t AProfileIndex);
    bool ReadCurrentProfileInfo();
    bool SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, std::int32_t AProfileIndex);
    void SaveBackToCurrentProfileInfo();
    void SaveCurrentProfileInfoToRegistry();
    // The stream as it is; FCurrentProfileInfo is not copied into it first.
    void SaveCurrentProfileInfoToFile(const std::u16string& AFile);
    void SaveCurrentProfileInfoToFile();
    bool SaveProfileInfoToRegistry(std::int32_t AProfileIndex);
    void SaveBackAllProfileInfo();
    void SaveBackAllProfileInfoToRegistry();
    void SaveBackAllProfileInfoToFile();
    void SaveBackAllProfileSettingInfo();
    void SaveBackToProfileGroupSettingInfo();
    void SaveProfileGroupSettingInfoToRegistry();
    void SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo);
    void LoadRecordMacroInfoFromRegistry();
    void RestoreCurrentProfileInfoToDefault();
    void RestoreAllProfileInfoToDefault();
    bool RestoreProfileInfoToDefault(std::int32_t AProfileIndex);
    bool RestoreProfileGroupToDefault(std::int32_t AProfileGroupIndex);
    void RestoreProfileSettingGroupToDefault();
    void RestoreToDefaultCPISetting();
    void RestoreToDefaultLightAndReportAdvancedSetting();
    // std::out_of_range for an index outside 0 to 4.
    void SetProfileChanged(std::int32_t AIndex, bool AIsChanged);
    bool IsProfileChanged(std::int32_t AIndex) const;
    // Points the current profile at another file. False, changing nothing, when the
    // name or the folder is too long for the profile's location entry.
    bool ChangeCurrentProfileFileNameAndPath(const std::u16string& AProfileFilePath);
    // The profile folder in the documents folder, with its trailing separator; made
    // (one level) when missing.
    std::u16string GetPersonalDocumentProfilePath();
    // Where the macro database lives; its folder is made when missing.
    std::u16string GetPersonalDocumentMacroDatabasePath();
    // The macro numbers bound to buttons of the five profiles, each once, in order of
    // first occurrence.
    std::vector<std::int32_t> GetAllProfilesMacroIndexList();
    // Fills FTestProfileInfo and FDefaultProfileInfo with their defaults; stores nothing.
    void InitTestDefaultValue();

    // The storage components, one per stored blob.
    TuiProfile uiProfileSettingGroup;
    TuiProfile uiProfileAllSettingInfo;
    TuiProfile uiProfileRecordMacroInfo;
    TuiProfile uiProfileGame1;
    TuiProfile uiProfileGame2;
    TuiProfile uiProfileGame3;
    TuiProfile uiProfileGame4;
    TuiProfile uiProfileGame5;
    TuiProfile uiProfileDefaultGame;
    TuiProfile uiProfileTest;

    // State read (and, for CurrentCPIIndex of the current profile, written) by the
    // rest of the program.
    TALLGAMESINFO FAllProfileSettingInfo{};
    std::array<TuiProfile*, ProfileCount> FProfileGroup;
    std::array<bool, ProfileCount> FProfileChanged{};
    TProfileSettingGroup FProfileSettingGroup{};
    std::int32_t FProfileGroupIndex = 0;
    std::int32_t FProfileIndex = 0;
    TMouseProfileInfo FCurrentProfileInfo{};
    TOtherConfig FOtherConfig;
    TMouseProfileInfo FDefaultProfileInfo{};
    TMouseProfileInfo FTestProfileInfo{};
    TMACROKEYINFO FRecordMacroInfo{};
    TOptionsFromConfigFile FOptionsFromConfigFile;
    // The monitor's own choices of [options] (notices, following the default microphone).
    TMonitorOptions FMonitorOptions;

private:
    void DataModuleCreate(IIniReader& ini);
    void BindDefaultHandlers();
    // Root, value name and key of a component as the manager uses them.
    void Bind(TuiProfile& profile, const std::u16string& name);
    // Loads a settings blob; stores its defaults when it is missing. A value that
    // cannot be read gives the defaults unless the stream holds a copy already.
    void LoadSettingsBlob(TuiProfile& profile, bool haveCopy);
    void LoadGameProfileAtStart(int index);
    void FallBackToValidGroupAndProfile();
    TuiProfile& CurrentProfile() { return *FProfileGroup[FProfileIndex]; }
    // The profile folder text, not made; EProfileStorageError when the documents
    // folder is unknown.
    std::u16string ProfileFolderText();
    static void MakeFolder(const std::u16string& folder);

    // The default handlers of the components.
    // The defaults of game 1 to 5 (the profile of index game - 1).
    void RestoreGameDefaults(TMemoryStream& AStream, int game);
    // The profile a group points at; -1 when the group or its profile is out of range.
    std::int32_t ProfileOfGroup(std::int32_t AProfileGroupIndex) const;
    void uiProfileTestRestoreToDefault(TMemoryStream& AStream);
    void uiProfileSettingGroupRestoreToDefault(TMemoryStream& AStream);
    void uiProfileAllSettingInfoRestoreToDefault(TMemoryStream& AStream);

    ISystem& FSystem;
    DateTimeSource FNow;
    // The settings for all profiles have been loaded (or defaulted) once: their
    // stream holds the last good copy.
    bool FAllSettingsHeld = false;
};

// The program's profile manager; std::logic_error when none is registered.
TDM& DM();
bool HasDM();

// Registers a profile manager as the program's one for its own lifetime (the
// program's run, or a test), restoring the previous one afterwards.
class ScopedDM {
public:
    explicit ScopedDM(TDM& dm);
    ~ScopedDM();
    ScopedDM(const ScopedDM&) = delete;
    ScopedDM& operator=(const ScopedDM&) = delete;

private:
    TDM* FPrevious;
};

} // namespace zq

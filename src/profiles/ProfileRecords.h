#pragma once
// The profile and settings records. They are also the stored format: a stored
// profile or settings blob, in the registry or in a ".pfd" file, is the record's
// bytes exactly as laid out here, little-endian, with no header, length or checksum.
// The configuration program writes the same blobs and reads ours, so every size and
// offset below is binding; fields this program does not interpret are carried and
// written back byte for byte.

#include "keycodes/ComboKeyInfo.h"
#include "platform/FixedText.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace zq {

// Five game profiles, two profile groups.
inline constexpr int ProfileCount = 5;
inline constexpr int ProfileGroupCount = 2;
// Entries of ButtonFuncInfo, and the most that are ever walked by ButtonCount.
inline constexpr int ButtonFuncCount = 14;
inline constexpr int CPIStateCount = 11;
inline constexpr int MacroInfoCount = 30;
// FFileVersion of this layout; written into every default, never tested on load.
inline constexpr std::int32_t ProfileFileVersion = 259;

// FunctionType values: what the payload area of a button entry holds.
inline constexpr std::uint8_t FunctionTypeCodeOnly = 1;     // nothing; FunctionCode names it
inline constexpr std::uint8_t FunctionTypeComboKey = 3;     // ComboKeyInfo
inline constexpr std::uint8_t FunctionTypeMacro = 4;        // MacroIndex
inline constexpr std::uint8_t FunctionTypeSingleKey = 8;    // KeyInfo
inline constexpr std::uint8_t FunctionTypeConsumerKey = 10; // nHIDCodeLow, nHIDCodeHigh
inline constexpr std::uint8_t FunctionTypeKeyPattern = 11;  // KeyPattern
inline constexpr std::uint8_t FunctionTypeParameters = 13;  // nParam1 to nParam3

// The one function code this program carries out itself.
inline constexpr std::uint16_t MicrophoneMuteFunctionCode = 28;

// StorageKind of a profile location.
inline constexpr std::uint8_t StorageInRegistry = 0;
inline constexpr std::uint8_t StorageInFile = 1;

#pragma pack(push, 1)

// The creation stamp of a profile: one 8-byte value seen three ways. DataTime is a
// date-time number (days since 30 December 1899, time of day as the fraction).
union TProfileUIDData {
    std::uint8_t RawData[8];
    double DataTime;
    double DoubleData;
};

struct TProfileHeader {
    std::int32_t FFileVersion;
    std::uint8_t FFileType[8];  // not set or read by this program
    std::uint8_t FFileName[44]; // not set or read by this program
    std::uint32_t FProfileSize; // not set or read by this program
    std::uint8_t Padding1[4];
    TProfileUIDData FProfileUID;
};

// Owned by the configuration program.
struct TFUNCTIONLIST {
    std::uint8_t FunctionInfo[800];
};

struct TSINGLEKEYINFO {
    std::uint16_t nKeyValue;    // virtual-key code
    std::uint16_t nKeyExtended; // 1 = extended key
    TFixedText<31> KeyText;
};

// One button function. The first ButtonPayloadSize bytes are the payload area,
// used according to FunctionType.
struct TBUTTONFUNCINFO {
    std::uint8_t Reserved1[2];
    TSINGLEKEYINFO KeyInfo;     // type 8
    TCOMBOKEYINFO ComboKeyInfo; // type 3
    std::uint16_t nHIDCodeLow;  // type 10: low byte of the consumer usage
    std::uint16_t nHIDCodeHigh; // type 10: high byte of the consumer usage
    std::uint8_t Reserved2[966];
    std::uint16_t MacroIndex; // type 4
    std::uint8_t Reserved3[2952];
    std::uint8_t KeyPattern[3]; // type 11: the button's three report mask bytes
    std::uint8_t Reserved4[1];
    std::uint16_t nParam1; // type 13
    std::uint16_t nParam2;
    std::uint16_t nParam3;
    std::uint8_t Reserved5[74];
    std::uint16_t ButtonIndex;  // the entry's own index in its array
    std::uint16_t FunctionCode; // 28 = microphone mute
    std::uint8_t FunctionType;
    std::uint8_t Padding1[3];
    std::int32_t FunctionGroup;
    std::int32_t FunctionId;
    std::uint8_t Reserved6[4];
};
inline constexpr std::size_t ButtonPayloadSize = 4148;

struct TCPISTATEITEM {
    std::uint16_t XCPI;
    std::uint16_t YCPI;
    std::uint16_t Enabled; // 1 = the level is in use
    std::uint8_t Reserved[4];
};

struct TLEDCONFIG {
    std::uint8_t R;
    std::uint8_t G;
    std::uint8_t B;
    std::uint8_t BRIGHT_LEVEL;
    std::uint8_t BREATH_SPEED;
    std::uint8_t BREATH_SECOND;
};

struct TSENSORLIFT {
    std::uint8_t SensorLift;
};

// A path text of the configuration program, carried as it is.
struct TPROFILE_MACRO_PATH {
    std::uint8_t FilePath[1026];
};

struct TMOUSECONFIGINFO {
    TBUTTONFUNCINFO ButtonFuncInfo[ButtonFuncCount]; // by key index
    TBUTTONFUNCINFO VWheelButtonFuncInfo[2];
    TBUTTONFUNCINFO HWheelButtonFuncInfo[2];
    std::uint16_t VWheelType;
    std::uint16_t HWheelType;
    std::uint16_t VWheelSpeed;
    std::uint16_t HWheelSpeed;
    std::uint16_t DoubleClickSpeed;
    std::uint16_t PointerSpeed;
    std::uint16_t PointerAcceleration; // 0 = off
    std::uint16_t UseSystemPointerSpeedSetting;
    std::uint16_t ReportRate; // hertz
    std::uint8_t Padding1[2];
    std::int32_t CurrentCPIIndex; // index into CPIState of the active level
    std::uint16_t CurrentCPIX;
    std::uint16_t CurrentCPIY;
    std::uint16_t MinCPI;
    std::uint16_t MaxCPI;
    std::uint16_t UseDiffentXY[CPIStateCount];
    std::uint16_t UseCPIOnScreenFlyShow;
    TCPISTATEITEM CPIState[CPIStateCount];
    std::uint16_t CPILevel; // levels in use
    std::uint16_t AutoSwitchProfileWhenAppRun;
    std::uint8_t ApplicationList[10260]; // owned by the configuration program
    TLEDCONFIG LEDConfig;
    TSENSORLIFT Sensorlift;
    std::uint8_t Padding2[3];
    std::int32_t ButtonCount; // ButtonFuncInfo entries in use
    TPROFILE_MACRO_PATH ProfilePath;
    TPROFILE_MACRO_PATH MacroPath;
    std::int32_t FireKeySpeed;
    std::int32_t FireKeyCount;
};

struct TMACROKEYINFO {
    std::uint8_t MacroList[768]; // the recorded steps, owned by the configuration program
    std::int32_t MacroListCount;
    std::uint16_t nAutoAddDelay;
    std::uint8_t nLoopRunWhenPressed;
    std::uint8_t Padding1[1];
    std::uint16_t nLoopCount;
    std::uint16_t nMacroIndex;
    std::uint8_t MacroUse;
    std::uint8_t Padding2[1];
    TFixedText<51> szMacroName;
    std::uint32_t Version;
    std::int32_t HaveErrors;
    std::int32_t ErrorCount;
};

struct TMACROKEYINFOLIST {
    TMACROKEYINFO MacroInfos[MacroInfoCount];
    std::uint16_t nMacroInfoCount;
    std::uint8_t Padding1[2];
};

struct TMACROINFOLIST_TO_DEVICE {
    std::uint8_t MacroInfos[4480]; // owned by the configuration program
    std::uint16_t nMacroInfoCount;
    std::uint8_t Padding1[2];
};

// One complete profile.
struct TMouseProfileInfo {
    TProfileHeader ProfileHeader;
    TFUNCTIONLIST FunctionList;
    TMOUSECONFIGINFO ConfigInfo;
    TFUNCTIONLIST HWheelFunctionList;
    TFUNCTIONLIST VWheelFunctionList;
    TMACROKEYINFOLIST MacroKeyInfoList;
    TMACROINFOLIST_TO_DEVICE MacroInfoToDevice;
    // Where the options block sits in memory; in storage it means nothing and is
    // never read.
    std::uint8_t OtherConfig[32];
};

// Where one profile is stored.
struct TPROFILELOCATION {
    std::uint16_t Tag;
    TFixedText<1024> FilePath; // folder of the profile file
    TFixedText<1024> KeyPath;  // registry key written by the defaults; loads use the configured key
    TFixedText<21> FileName;   // file name, also the registry value name
    TFixedText<1024> MacroFolder;
    std::uint8_t StorageKind; // StorageInRegistry or StorageInFile
    std::uint8_t Padding1[1];
};

// Settings for all profiles ("allsettings.pfd").
struct TALLGAMESINFO {
    TPROFILELOCATION Allgameset[ProfileCount]; // carried for the configuration program
    std::uint16_t CurrentGame;                 // index of the current profile
    std::uint8_t CurrentLanguage;              // index in the language list
    std::uint8_t Padding1[1];
};

// Profile groups and where each profile is stored ("ProfileSettingGroup.pfd").
struct TProfileSettingGroup {
    std::int32_t CurrentProfileGroup;
    std::int32_t ProfileIndexOfProfileGroup[ProfileGroupCount];
    TPROFILELOCATION ProfileSettingList[ProfileCount];
    std::uint8_t Padding1[2];
};

#pragma pack(pop)

// Sizes.
static_assert(sizeof(TProfileUIDData) == 8);
static_assert(sizeof(TProfileHeader) == 72);
static_assert(sizeof(TFUNCTIONLIST) == 800);
static_assert(sizeof(TSINGLEKEYINFO) == 66);
static_assert(sizeof(TBUTTONFUNCINFO) == 4168);
static_assert(sizeof(TCPISTATEITEM) == 10);
static_assert(sizeof(TLEDCONFIG) == 6);
static_assert(sizeof(TSENSORLIFT) == 1);
static_assert(sizeof(TPROFILE_MACRO_PATH) == 1026);
static_assert(sizeof(TMOUSECONFIGINFO) == 87528);
static_assert(sizeof(TMACROKEYINFO) == 896);
static_assert(sizeof(TMACROKEYINFOLIST) == 26884);
static_assert(sizeof(TMACROINFOLIST_TO_DEVICE) == 4484);
static_assert(sizeof(TMouseProfileInfo) == 121400);
static_assert(sizeof(TPROFILELOCATION) == 6190);
static_assert(sizeof(TALLGAMESINFO) == 30954);
static_assert(sizeof(TProfileSettingGroup) == 30964);

// Records are copied to and from stored bytes as they are.
static_assert(std::is_trivially_copyable_v<TMouseProfileInfo> &&
              std::is_standard_layout_v<TMouseProfileInfo>);
static_assert(std::is_trivially_copyable_v<TALLGAMESINFO> &&
              std::is_standard_layout_v<TALLGAMESINFO>);
static_assert(std::is_trivially_copyable_v<TProfileSettingGroup> &&
              std::is_standard_layout_v<TProfileSettingGroup>);
static_assert(std::is_trivially_copyable_v<TMACROKEYINFO> &&
              std::is_standard_layout_v<TMACROKEYINFO>);

// TProfileHeader.
static_assert(offsetof(TProfileHeader, FFileVersion) == 0);
static_assert(offsetof(TProfileHeader, FFileType) == 4);
static_assert(offsetof(TProfileHeader, FFileName) == 12);
static_assert(offsetof(TProfileHeader, FProfileSize) == 56);
static_assert(offsetof(TProfileHeader, FProfileUID) == 64);

// TMouseProfileInfo.
static_assert(offsetof(TMouseProfileInfo, ProfileHeader) == 0);
static_assert(offsetof(TMouseProfileInfo, FunctionList) == 72);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo) == 872);
static_assert(offsetof(TMouseProfileInfo, HWheelFunctionList) == 88400);
static_assert(offsetof(TMouseProfileInfo, VWheelFunctionList) == 89200);
static_assert(offsetof(TMouseProfileInfo, MacroKeyInfoList) == 90000);
static_assert(offsetof(TMouseProfileInfo, MacroInfoToDevice) == 116884);
static_assert(offsetof(TMouseProfileInfo, OtherConfig) == 121368);

// TBUTTONFUNCINFO.
static_assert(offsetof(TBUTTONFUNCINFO, KeyInfo) == 2);
static_assert(offsetof(TBUTTONFUNCINFO, ComboKeyInfo) == 68);
static_assert(offsetof(TBUTTONFUNCINFO, nHIDCodeLow) == 140);
static_assert(offsetof(TBUTTONFUNCINFO, nHIDCodeHigh) == 142);
static_assert(offsetof(TBUTTONFUNCINFO, MacroIndex) == 1110);
static_assert(offsetof(TBUTTONFUNCINFO, KeyPattern) == 4064);
static_assert(offsetof(TBUTTONFUNCINFO, nParam1) == 4068);
static_assert(offsetof(TBUTTONFUNCINFO, nParam2) == 4070);
static_assert(offsetof(TBUTTONFUNCINFO, nParam3) == 4072);
static_assert(offsetof(TBUTTONFUNCINFO, ButtonIndex) == ButtonPayloadSize);
static_assert(offsetof(TBUTTONFUNCINFO, FunctionCode) == 4150);
static_assert(offsetof(TBUTTONFUNCINFO, FunctionType) == 4152);
static_assert(offsetof(TBUTTONFUNCINFO, FunctionGroup) == 4156);
static_assert(offsetof(TBUTTONFUNCINFO, FunctionId) == 4160);
static_assert(offsetof(TSINGLEKEYINFO, nKeyExtended) == 2);
static_assert(offsetof(TSINGLEKEYINFO, KeyText) == 4);
static_assert(offsetof(TCPISTATEITEM, YCPI) == 2);
static_assert(offsetof(TCPISTATEITEM, Enabled) == 4);
static_assert(offsetof(TLEDCONFIG, BRIGHT_LEVEL) == 3);
static_assert(offsetof(TLEDCONFIG, BREATH_SPEED) == 4);
static_assert(offsetof(TLEDCONFIG, BREATH_SECOND) == 5);

// TMOUSECONFIGINFO, and where each field lies inside a profile: FunctionCode of
// button a at 5022 + 4168 * a follows from the first three lines.
static_assert(offsetof(TMOUSECONFIGINFO, ButtonFuncInfo) == 0);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo) + offsetof(TBUTTONFUNCINFO, FunctionCode) ==
              5022);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo) + 5 * sizeof(TBUTTONFUNCINFO) +
                  offsetof(TBUTTONFUNCINFO, FunctionCode) ==
              25862);
constexpr std::size_t InProfile(std::size_t configOffset) {
    return offsetof(TMouseProfileInfo, ConfigInfo) + configOffset;
}
static_assert(offsetof(TMOUSECONFIGINFO, VWheelButtonFuncInfo) == 58352 &&
              InProfile(58352) == 59224);
static_assert(offsetof(TMOUSECONFIGINFO, HWheelButtonFuncInfo) == 66688 &&
              InProfile(66688) == 67560);
static_assert(offsetof(TMOUSECONFIGINFO, VWheelType) == 75024 && InProfile(75024) == 75896);
static_assert(offsetof(TMOUSECONFIGINFO, HWheelType) == 75026 && InProfile(75026) == 75898);
static_assert(offsetof(TMOUSECONFIGINFO, VWheelSpeed) == 75028 && InProfile(75028) == 75900);
static_assert(offsetof(TMOUSECONFIGINFO, HWheelSpeed) == 75030 && InProfile(75030) == 75902);
static_assert(offsetof(TMOUSECONFIGINFO, DoubleClickSpeed) == 75032 && InProfile(75032) == 75904);
static_assert(offsetof(TMOUSECONFIGINFO, PointerSpeed) == 75034 && InProfile(75034) == 75906);
static_assert(offsetof(TMOUSECONFIGINFO, PointerAcceleration) == 75036 &&
              InProfile(75036) == 75908);
static_assert(offsetof(TMOUSECONFIGINFO, UseSystemPointerSpeedSetting) == 75038 &&
              InProfile(75038) == 75910);
static_assert(offsetof(TMOUSECONFIGINFO, ReportRate) == 75040 && InProfile(75040) == 75912);
static_assert(offsetof(TMOUSECONFIGINFO, CurrentCPIIndex) == 75044 && InProfile(75044) == 75916);
static_assert(offsetof(TMOUSECONFIGINFO, CurrentCPIX) == 75048 && InProfile(75048) == 75920);
static_assert(offsetof(TMOUSECONFIGINFO, CurrentCPIY) == 75050 && InProfile(75050) == 75922);
static_assert(offsetof(TMOUSECONFIGINFO, MinCPI) == 75052 && InProfile(75052) == 75924);
static_assert(offsetof(TMOUSECONFIGINFO, MaxCPI) == 75054 && InProfile(75054) == 75926);
static_assert(offsetof(TMOUSECONFIGINFO, UseDiffentXY) == 75056 && InProfile(75056) == 75928);
static_assert(offsetof(TMOUSECONFIGINFO, UseCPIOnScreenFlyShow) == 75078 &&
              InProfile(75078) == 75950);
static_assert(offsetof(TMOUSECONFIGINFO, CPIState) == 75080 && InProfile(75080) == 75952);
static_assert(offsetof(TMOUSECONFIGINFO, CPILevel) == 75190 && InProfile(75190) == 76062);
static_assert(offsetof(TMOUSECONFIGINFO, AutoSwitchProfileWhenAppRun) == 75192 &&
              InProfile(75192) == 76064);
static_assert(offsetof(TMOUSECONFIGINFO, ApplicationList) == 75194 && InProfile(75194) == 76066);
static_assert(offsetof(TMOUSECONFIGINFO, LEDConfig) == 85454 && InProfile(85454) == 86326);
static_assert(offsetof(TMOUSECONFIGINFO, Sensorlift) == 85460 && InProfile(85460) == 86332);
static_assert(offsetof(TMOUSECONFIGINFO, ButtonCount) == 85464 && InProfile(85464) == 86336);
static_assert(offsetof(TMOUSECONFIGINFO, ProfilePath) == 85468 && InProfile(85468) == 86340);
static_assert(offsetof(TMOUSECONFIGINFO, MacroPath) == 86494 && InProfile(86494) == 87366);
static_assert(offsetof(TMOUSECONFIGINFO, FireKeySpeed) == 87520 && InProfile(87520) == 88392);
static_assert(offsetof(TMOUSECONFIGINFO, FireKeyCount) == 87524 && InProfile(87524) == 88396);

// TMACROKEYINFO and the macro lists.
static_assert(offsetof(TMACROKEYINFO, MacroListCount) == 768);
static_assert(offsetof(TMACROKEYINFO, nAutoAddDelay) == 772);
static_assert(offsetof(TMACROKEYINFO, nLoopRunWhenPressed) == 774);
static_assert(offsetof(TMACROKEYINFO, nLoopCount) == 776);
static_assert(offsetof(TMACROKEYINFO, nMacroIndex) == 778);
static_assert(offsetof(TMACROKEYINFO, MacroUse) == 780);
static_assert(offsetof(TMACROKEYINFO, szMacroName) == 782);
static_assert(offsetof(TMACROKEYINFO, Version) == 884);
static_assert(offsetof(TMACROKEYINFO, HaveErrors) == 888);
static_assert(offsetof(TMACROKEYINFO, ErrorCount) == 892);
static_assert(offsetof(TMACROKEYINFOLIST, nMacroInfoCount) == 26880);
static_assert(offsetof(TMACROINFOLIST_TO_DEVICE, nMacroInfoCount) == 4480);

// The settings records.
static_assert(offsetof(TPROFILELOCATION, Tag) == 0);
static_assert(offsetof(TPROFILELOCATION, FilePath) == 2);
static_assert(offsetof(TPROFILELOCATION, KeyPath) == 2050);
static_assert(offsetof(TPROFILELOCATION, FileName) == 4098);
static_assert(offsetof(TPROFILELOCATION, MacroFolder) == 4140);
static_assert(offsetof(TPROFILELOCATION, StorageKind) == 6188);
static_assert(offsetof(TALLGAMESINFO, Allgameset) == 0);
static_assert(offsetof(TALLGAMESINFO, CurrentGame) == 30950);
static_assert(offsetof(TALLGAMESINFO, CurrentLanguage) == 30952);
static_assert(offsetof(TProfileSettingGroup, CurrentProfileGroup) == 0);
static_assert(offsetof(TProfileSettingGroup, ProfileIndexOfProfileGroup) == 4);
static_assert(offsetof(TProfileSettingGroup, ProfileSettingList) == 12);

} // namespace zq

#pragma once
// "config.ini" beside the executable: where the profiles live, presentation
// options, the hardware identifiers of the supported devices and the filter-driver
// package. The program only reads it; each user reads what it needs once, when it
// is created.

#include "platform/IniFile.h"
#include "platform/System.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zq {

inline constexpr char16_t ConfigFileName[] = u"config.ini";

// Storage locations of the profiles (section "options").
struct TOptionsFromConfigFile {
    std::u16string ProfileRegFolder;   // registry key below HKEY_CURRENT_USER
    std::u16string ProfileFolder;      // folder in the user's documents folder
    std::u16string ProfileNamePrefix;  // stem of profile and macro folder names
    std::u16string ProfileMacroFolder; // sub-folder holding "MacroSet.MSDB"
};

// What the monitor shows beyond its icon and menu (section "options"); both
// off unless the file turns them on.
struct TMonitorOptions {
    bool ShowNotices = false;             // a balloon notice on each change made with the mouse
    bool FollowDefaultMicrophone = false; // the mute button follows the default capture device
};

// A list of name and value pairs in the order names were first set; names are
// compared without regard to case, and setting an empty value removes the name.
class TNameValueList {
public:
    void SetValue(const std::u16string& name, const std::u16string& value);
    std::u16string Value(const std::u16string& name) const;
    const std::vector<std::pair<std::u16string, std::u16string>>& Entries() const {
        return FEntries;
    }
    std::size_t Count() const { return FEntries.size(); }

private:
    std::vector<std::pair<std::u16string, std::u16string>> FEntries;
};

// Presentation options (sections "OtherConfig" and "HelpFiles"); carried, not used.
struct TOtherConfig {
    std::int32_t ShowNumLock = 0;
    std::int32_t ShowCapsLock = 0;
    std::int32_t ShowScrollLock = 0;
    std::int32_t ShowLockStatePop = 0;
    TNameValueList HelpFile;
    std::int32_t Nologo = 0;
    std::u16string OfficialWebsite;
    std::u16string helppagestyle;
};

// The filter-driver package (section "DEVICE").
struct TDriverInfo {
    std::u16string InfFileName;
    std::u16string FileName;
    std::u16string ServiceName;
    std::u16string ServiceNamex86;
    std::u16string ServiceNamex64;
    std::u16string DeviceName;
    std::int32_t WHQL = 0;
    std::int32_t X32WHQL = 0;
    std::int32_t UpperFilter = 0;
};

// Identifier lists hold at most this many entries (keys id1 to id101).
inline constexpr int MaxIdentifiers = 101;

// The folder of the executable followed by "config.ini".
std::filesystem::path ConfigFilePath(ISystem& system);
std::unique_ptr<IIniFile> OpenConfigFile(IIniReader& reader, ISystem& system);

TOptionsFromConfigFile ReadOptionsFromConfigFile(IIniFile& ini);
TOtherConfig ReadOtherConfig(IIniFile& ini);
TMonitorOptions ReadMonitorOptions(IIniFile& ini);
// Keys id1, id2, ... of the section, up to the first empty or missing one.
std::vector<std::u16string> ReadIdentifierList(IIniFile& ini, const std::u16string& section);
TDriverInfo ReadDriverInfo(IIniFile& ini);

} // namespace zq

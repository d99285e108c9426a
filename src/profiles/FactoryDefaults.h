#pragma once
// The factory values of the profiles and settings, and the function table they take
// function groups and identifiers from. Each default writes only the fields it
// names: every other byte keeps what it held (a profile reset keeps its macros,
// application list and wheel functions). Only the test profile starts from zero.

#include "profiles/ConfigFile.h"
#include "profiles/MemoryStream.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace zq {

// A function a button can be bound to: its code, and the group and identifier that
// the configuration program shows it under.
struct TFunctionDefinition {
    std::uint16_t FunctionCode;
    std::int32_t FunctionGroup;
    std::int32_t FunctionId;
};

inline constexpr std::size_t FunctionTableRows = 48;
// Row n defines function code n.
extern const std::array<TFunctionDefinition, FunctionTableRows> FunctionTable;

// Game profiles 1 to 5 (4 and 5 are game 3 with their own colour and CPI level).
void SetGameProfileDefaults(TMouseProfileInfo& profile, int game, double now);
// The built-in test profile; clears the whole record first.
void SetTestProfileDefaults(TMouseProfileInfo& profile, double now);
// Every profile in the registry, named from the prefix; profileFolder is the profile
// folder with its trailing separator, or empty when the documents folder is unknown
// (then no folder texts are written but empty ones).
void SetProfileSettingGroupDefaults(TProfileSettingGroup& group,
                                    const TOptionsFromConfigFile& options,
                                    const std::u16string& profileFolder);
void SetAllGamesInfoDefaults(TALLGAMESINFO& info);
// The two partial resets of a profile.
void SetCPISettingDefaults(TMouseProfileInfo& profile);
void SetLightAndReportDefaults(TMouseProfileInfo& profile);

// Profile n's (1 to 5) file and registry value name: prefix + n + ".pfd". A prefix
// too long for the 20 characters of the field is cut so that the number and the
// extension stay, and the five names stay different.
std::u16string ProfileFileName(const std::u16string& prefix, int n);
// Profile n's macro folder: the profile folder followed by prefix + n + "_Macros".
std::u16string ProfileMacroFolderOf(const std::u16string& profileFolder,
                                    const std::u16string& prefix, int n);

// Lets edit change the stream's bytes as a Record. A stream shorter than the record
// (one loaded from a shorter stored blob) is first lengthened with zero bytes.
template <typename Record, typename Edit> void EditStreamAs(TMemoryStream& stream, Edit&& edit) {
    if (stream.Size() < static_cast<std::int64_t>(sizeof(Record)))
        stream.SetSize(sizeof(Record));
    const auto record = std::make_unique_for_overwrite<Record>();
    std::memcpy(record.get(), stream.Memory(), sizeof(Record));
    edit(*record);
    std::memcpy(stream.Memory(), record.get(), sizeof(Record));
}

} // namespace zq

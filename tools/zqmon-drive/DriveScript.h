#pragma once
// The simulator's script language (tools/zqmon-sim/demo.zqs) read for the real
// program: each line becomes one step saying what is done to the mouse, the
// configuration program or the monitor, with the simulator's number ranges and
// complaints (the simulator reads words, numbers and bytes with the same
// functions). Also what the configuration program stores for "bind". Portable,
// so that the reading is tested on every build.

#include "profiles/DMUnit.h"
#include "profiles/FactoryDefaults.h"
#include "profiles/ProfileRecords.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace zq::drive {

struct Step {
    enum class Kind {
        None, // an empty line or a comment, or a line in error
        Plug,
        Unplug,
        ActiveProfile, // A: the profile
        CpiIndex,      // A: the profile, B: the CPI level
        Input,         // Reports: input reports of the vendor collection, in order
        Peer,          // On: the configuration program runs
        Send,          // A: the message, B: its lParam (wParam 0)
        Mic,           // On: a recording device is present
        Menu,          // On: Config, else Exit
        Wait,          // A: milliseconds
        Bind,          // A: the profile, B: the button, C: the function code
        Quit,
    };
    Kind Type = Kind::None;
    long long A = 0;
    long long B = 0;
    long long C = 0;
    bool On = false;
    std::vector<std::vector<std::uint8_t>> Reports;
    std::string Error; // what is wrong with the line, when it is not a command
};

// The words of a line up to a '#'.
inline std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// A whole decimal number within [low, high].
inline std::optional<long long> Number(const std::string& text, long long low, long long high) {
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used, 10);
    } catch (...) {
        return std::nullopt;
    }
    if (used != text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

// Bytes written as pairs of hex digits.
inline std::optional<std::vector<std::uint8_t>> HexBytesOf(const std::string& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
    }
    return bytes;
}

// One line of a script.
inline Step ParseLine(const std::string& line) {
    const std::vector<std::string> words = Words(line);
    Step step;
    if (words.empty())
        return step;
    const std::string& name = words[0];
    auto fail = [&](const std::string& text) {
        step = Step{};
        step.Error = text;
        return step;
    };
    auto arguments = [&](std::size_t count) {
        return words.size() - 1 == count ? std::string()
                                         : name + " takes " + std::to_string(count) + " argument" +
                                               (count == 1 ? "" : "s");
    };
    // The numbers of the arguments from the first, each within its range.
    auto numbers = [&](std::initializer_list<std::pair<long long, long long>> ranges) {
        std::vector<long long> values;
        std::size_t index = 1;
        for (const auto& [low, high] : ranges) {
            const auto value = Number(words[index], low, high);
            if (!value) {
                fail(name + ": '" + words[index] + "' is not a number from " + std::to_string(low) +
                     " to " + std::to_string(high));
                return std::vector<long long>{};
            }
            values.push_back(*value);
            ++index;
        }
        return values;
    };
    auto twoWay = [&](Step::Kind kind, const char* on, const char* off) {
        if (auto problem = arguments(1); !problem.empty())
            return fail(problem);
        if (words[1] != on && words[1] != off)
            return fail(name + " takes '" + on + "' or '" + off + "'");
        step.Type = kind;
        step.On = words[1] == on;
        return step;
    };
    auto withNumbers = [&](Step::Kind kind,
                           std::initializer_list<std::pair<long long, long long>> ranges) {
        if (auto problem = arguments(ranges.size()); !problem.empty())
            return fail(problem);
        const auto values = numbers(ranges);
        if (values.empty())
            return step;
        step.Type = kind;
        step.A = values[0];
        step.B = values.size() > 1 ? values[1] : 0;
        step.C = values.size() > 2 ? values[2] : 0;
        return step;
    };
    // Input report 7 carries the pressed buttons' bits in its data bytes 0 to 2,
    // report 8 a status change; both are 8 bytes long.
    auto report8 = [](std::uint8_t id, std::uint32_t data) {
        return std::vector<std::uint8_t>{id,
                                         static_cast<std::uint8_t>(data),
                                         static_cast<std::uint8_t>(data >> 8),
                                         static_cast<std::uint8_t>(data >> 16),
                                         0,
                                         0,
                                         0,
                                         0};
    };

    if (name == "plug" || name == "unplug" || name == "quit") {
        if (auto problem = arguments(0); !problem.empty())
            return fail(problem);
        step.Type = name == "plug"     ? Step::Kind::Plug
                    : name == "unplug" ? Step::Kind::Unplug
                                       : Step::Kind::Quit;
        return step;
    }
    if (name == "active-profile")
        return withNumbers(Step::Kind::ActiveProfile, {{0, 255}});
    if (name == "cpi-index")
        return withNumbers(Step::Kind::CpiIndex, {{0, ProfileCount - 1}, {0, 255}});
    if (name == "button") {
        withNumbers(Step::Kind::Input, {{0, 23}});
        if (step.Type == Step::Kind::Input) // pressed, then released
            step.Reports = {report8(7, 1u << step.A), report8(7, 0)};
        return step;
    }
    if (name == "status") {
        withNumbers(Step::Kind::Input, {{0, 255}, {0, 255}});
        if (step.Type == Step::Kind::Input)
            step.Reports = {report8(8, static_cast<std::uint32_t>(step.A | step.B << 8))};
        return step;
    }
    if (name == "report") {
        if (auto problem = arguments(2); !problem.empty())
            return fail(problem);
        const auto id = numbers({{0, 255}});
        if (id.empty())
            return step;
        const auto data = HexBytesOf(words[2]);
        if (!data)
            return fail("report: '" + words[2] + "' is not bytes in hex");
        step.Type = Step::Kind::Input;
        step.Reports.push_back({static_cast<std::uint8_t>(id[0])});
        step.Reports[0].insert(step.Reports[0].end(), data->begin(), data->end());
        return step;
    }
    if (name == "peer")
        return twoWay(Step::Kind::Peer, "on", "off");
    if (name == "mic")
        return twoWay(Step::Kind::Mic, "present", "absent");
    if (name == "menu")
        return twoWay(Step::Kind::Menu, "config", "exit");
    if (name == "send")
        return withNumbers(Step::Kind::Send, {{0, 0xFFFFFFFFll}, {INT32_MIN, INT32_MAX}});
    if (name == "wait")
        return withNumbers(Step::Kind::Wait, {{0, 365ll * 24 * 3600 * 1000}});
    if (name == "bind")
        return withNumbers(Step::Kind::Bind,
                           {{0, ProfileCount - 1}, {0, ButtonFuncCount - 1}, {0, 0xFFFF}});
    return fail("unknown command '" + name + "'");
}

// Profile P (0 to 4) with the button bound to the function code, as the
// configuration program saves it: the stored record, or the profile's factory
// values when nothing of its size is stored. The simulator's "bind" uses it too.
inline std::unique_ptr<TMouseProfileInfo> ProfileWithBinding(std::span<const std::uint8_t> stored,
                                                             int profile, int button,
                                                             int functionCode) {
    auto record = std::make_unique<TMouseProfileInfo>();
    if (stored.size() == sizeof(TMouseProfileInfo)) {
        std::memcpy(record.get(), stored.data(), sizeof(TMouseProfileInfo));
    } else {
        std::memset(record.get(), 0, sizeof(TMouseProfileInfo));
        SetGameProfileDefaults(*record, profile + 1, 45000.0);
    }
    auto& entry = record->ConfigInfo.ButtonFuncInfo[button];
    entry.FunctionType = FunctionTypeCodeOnly;
    entry.FunctionCode = static_cast<std::uint16_t>(functionCode);
    if (static_cast<std::size_t>(functionCode) < FunctionTableRows) {
        entry.FunctionGroup = FunctionTable[static_cast<std::size_t>(functionCode)].FunctionGroup;
        entry.FunctionId = FunctionTable[static_cast<std::size_t>(functionCode)].FunctionId;
    }
    return record;
}

// What the configuration program stores for "bind P BUTTON FUNCTION" and the
// CPI level it then tells the monitor to apply (7035's lParam).
struct Binding {
    std::u16string ProfileName; // the profile's registry value
    std::vector<std::uint8_t> Profile;
    std::vector<std::uint8_t> AllSettings; // "allsettings.pfd", the profile made current
    int CpiIndex = 0;
};

// The binding over what the monitor's key holds now: read(name) gives a
// value's bytes (empty when there is none). The profile's name comes from the
// stored profile groups, as the monitor named it.
template <typename Read>
Binding BindButton(Read&& read, int profile, int button, int functionCode) {
    Binding binding;
    binding.ProfileName = ProfileFileName(u"Profile", profile + 1);
    const std::vector<std::uint8_t> groups = read(std::u16string(ProfileSettingGroupName));
    if (groups.size() >= sizeof(TProfileSettingGroup)) {
        auto group = std::make_unique<TProfileSettingGroup>();
        std::memcpy(group.get(), groups.data(), sizeof(TProfileSettingGroup));
        const auto name = group->ProfileSettingList[profile].FileName.Get();
        if (!name.empty())
            binding.ProfileName = name;
    }

    const auto record =
        ProfileWithBinding(read(binding.ProfileName), profile, button, functionCode);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record.get());
    binding.Profile.assign(bytes, bytes + sizeof(TMouseProfileInfo));
    binding.CpiIndex = record->ConfigInfo.CurrentCPIIndex;

    auto settings = std::make_unique<TALLGAMESINFO>();
    const std::vector<std::uint8_t> all = read(std::u16string(AllSettingsName));
    if (all.size() == sizeof(TALLGAMESINFO))
        std::memcpy(settings.get(), all.data(), sizeof(TALLGAMESINFO));
    else
        SetAllGamesInfoDefaults(*settings);
    settings->CurrentGame = static_cast<std::uint16_t>(profile);
    const auto* settingBytes = reinterpret_cast<const std::uint8_t*>(settings.get());
    binding.AllSettings.assign(settingBytes, settingBytes + sizeof(TALLGAMESINFO));
    return binding;
}

} // namespace zq::drive

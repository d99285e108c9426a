#include "Simulator.h"

#include "DriveScript.h"
#include "EffectWords.h"
#include "app/Messages.h"
#include "platform/Text.h"
#include "profiles/ConfigFile.h"
#include "profiles/FactoryDefaults.h"
#include "profiles/ProfileRecords.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <system_error>

namespace zq::sim {

namespace {

constexpr std::uintmax_t MaxSeedFileSize = 16u * 1024 * 1024;

std::filesystem::path MakeFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto folder = std::filesystem::temp_directory_path() /
                  ("zqmon-sim-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder / "program");
    std::filesystem::create_directories(folder / "Documents");
    return folder;
}

// Words, numbers and bytes are read as the Windows run reads them.
using drive::HexBytesOf;
using drive::Number;
using drive::Words;

} // namespace

Simulator::Simulator(const SimulatorOptions& options, std::ostream& out, std::ostream& errors)
    : FFolder(MakeFolder()), FOptions(options), FOut(out), FErrors(errors) {
    auto program = FFolder / "program";
    if (FOptions.ConfigFile) {
        std::error_code ec;
        std::filesystem::copy_file(*FOptions.ConfigFile, program / "config.ini",
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec)
            FErrors << "error: config file " << FOptions.ConfigFile->string() << ": "
                    << ec.message() << "\n";
    }
    program += std::filesystem::path::preferred_separator;
    FWorld = std::make_unique<SimWorld>(program);
    FWorld->System.SetDocumentsFolder(FFolder / "Documents");
    FWorld->Log.SetListener([this](const Effect& effect) {
        FOut << SimLog::Format(effect) << "\n";
        if (FOptions.Words)
            if (const auto words = drive::WordsLine(effect.Time, effect.Channel, effect.Details))
                FOut << *words << "\n";
        FOut << std::flush;
    });
    // What a person sees in the notification area: the icon's form and hint, and
    // the notices.
    FWorld->Desktop.OnTrayChange = [this](const std::string& look) {
        FWorld->Log.Add("tray", look);
    };
    FKey = ReadOptionsFromConfigFile(*OpenConfigFile(FWorld->Ini, FWorld->System)).ProfileRegFolder;
    Seed();
    // The mouse is plugged in from the start, on profile 0 with CPI level 0.
    FMouse = &FWorld->Hid.AddMouse();
    FSession = std::make_unique<MonitorSession>(FWorld->Platform());
    FWorld->Loop.RunUntilQuiet();
}

Simulator::~Simulator() {
    Finish();
    FWorld->Log.SetListener(nullptr);
    FSession.reset();
    FWorld.reset();
    std::error_code ec;
    std::filesystem::remove_all(FFolder, ec);
}

void Simulator::Run(std::istream& script) {
    for (std::string line; Running() && std::getline(script, line);)
        Execute(line);
    Finish();
}

bool Simulator::Execute(const std::string& line) {
    ++FLine;
    const auto words = Words(line);
    if (words.empty() || !Running())
        return Running();
    if (!Command(words))
        return Running();
    if (Running()) {
        FWorld->Loop.RunUntilQuiet();
        // Exit from the tray menu ended the message loop: the program ends.
        if (FWorld->Loop.IsTerminated())
            Finish();
    }
    return Running();
}

void Simulator::Finish() {
    if (!FSession)
        return;
    FSession.reset(); // the window's shutdown: readers stop, the last CPI record goes out
    FWorld->Log.Add("exit", "0");
    WriteBack();
}

void Simulator::Error(const std::string& text) {
    FErrors << "error: line " << FLine << ": " << text << "\n";
}

bool Simulator::Command(const std::vector<std::string>& words) {
    const std::string& name = words[0];
    const auto argc = words.size() - 1;
    auto expect = [&](std::size_t count) {
        if (argc != count)
            Error(name + " takes " + std::to_string(count) + " argument" + (count == 1 ? "" : "s"));
        return argc == count;
    };
    auto number = [&](std::size_t index, long long low, long long high) {
        const auto value = Number(words[index], low, high);
        if (!value)
            Error(name + ": '" + words[index] + "' is not a number from " + std::to_string(low) +
                  " to " + std::to_string(high));
        return value;
    };

    if (name == "plug" || name == "unplug") {
        if (!expect(0))
            return false;
        const bool plug = name == "plug";
        if (FMouse->Plugged() != plug)
            plug ? FMouse->Plug() : FMouse->Unplug();
        return true;
    }
    if (name == "active-profile") {
        if (!expect(1))
            return false;
        const auto p = number(1, 0, 255);
        if (p)
            FMouse->SetActiveProfile(static_cast<std::uint8_t>(*p));
        return p.has_value();
    }
    if (name == "cpi-index") {
        if (!expect(2))
            return false;
        const auto p = number(1, 0, ProfileCount - 1);
        const auto i = p ? number(2, 0, 255) : std::nullopt;
        if (i)
            FMouse->SetProfileCpiIndex(static_cast<std::uint8_t>(*p),
                                       static_cast<std::uint8_t>(*i));
        return i.has_value();
    }
    if (name == "button") {
        if (!expect(1))
            return false;
        const auto bit = number(1, 0, 23);
        if (!bit)
            return false;
        FMouse->SendButtonReport(1u << *bit);
        FMouse->SendButtonReport(0);
        return true;
    }
    if (name == "report") {
        if (!expect(2))
            return false;
        const auto id = number(1, 0, 255);
        const auto data = id ? HexBytesOf(words[2]) : std::nullopt;
        if (id && !data)
            Error("report: '" + words[2] + "' is not bytes in hex");
        if (!data)
            return false;
        std::vector<std::uint8_t> report{static_cast<std::uint8_t>(*id)};
        report.insert(report.end(), data->begin(), data->end());
        FMouse->SendInputReport(report);
        return true;
    }
    if (name == "status") {
        if (!expect(2))
            return false;
        const auto sub = number(1, 0, 255);
        const auto value = sub ? number(2, 0, 255) : std::nullopt;
        if (value)
            FMouse->SendStatusReport(static_cast<std::uint8_t>(*sub),
                                     static_cast<std::uint8_t>(*value));
        return value.has_value();
    }
    if (name == "resume") {
        // The computer wakes up: the system's automatic resume notice.
        if (!expect(0))
            return false;
        FWorld->Desktop.BroadcastToOwnWindows(WM_POWERBROADCAST_, PBT_APMRESUMEAUTOMATIC_, 0);
        return true;
    }
    if (name == "mic" && argc == 1 && (words[1] == "muted" || words[1] == "unmuted")) {
        // Changed elsewhere (the system's settings, a headset's button).
        FWorld->Microphone.SetMuted(words[1] == "muted");
        return true;
    }
    if (name == "peer" || name == "mic") {
        const std::string on = name == "peer" ? "on" : "present";
        const std::string off = name == "peer" ? "off" : "absent";
        if (!expect(1))
            return false;
        if (words[1] != on && words[1] != off) {
            Error(name + " takes '" + on + "' or '" + off + "'");
            return false;
        }
        if (name == "peer")
            FWorld->Desktop.Peer().SetPresent(words[1] == on);
        else
            FWorld->Microphone.SetPresent(words[1] == on);
        return true;
    }
    if (name == "send") {
        if (!expect(2))
            return false;
        const auto msg = number(1, 0, 0xFFFFFFFFll);
        const auto lParam = msg ? number(2, INT32_MIN, INT32_MAX) : std::nullopt;
        if (lParam)
            FWorld->Desktop.Peer().SendToMonitor(static_cast<std::uint32_t>(*msg), 0,
                                                 static_cast<LParam>(*lParam));
        return lParam.has_value();
    }
    if (name == "menu") {
        if (!expect(1))
            return false;
        if (words[1] != "config" && words[1] != "exit") {
            Error("menu takes 'config' or 'exit'");
            return false;
        }
        auto* tray = FWorld->Desktop.Tray();
        if (tray)
            tray->ChooseMenuEntry(words[1] == "config" ? MouseMonitor::Config1
                                                       : MouseMonitor::Exit1);
        return true;
    }
    if (name == "wait") {
        if (!expect(1))
            return false;
        const auto ms = number(1, 0, 365ll * 24 * 3600 * 1000);
        if (ms)
            FWorld->Loop.AdvanceBy(static_cast<std::uint64_t>(*ms));
        return ms.has_value();
    }
    if (name == "bind") {
        if (!expect(3))
            return false;
        const auto profile = number(1, 0, ProfileCount - 1);
        const auto button = profile ? number(2, 0, ButtonFuncCount - 1) : std::nullopt;
        const auto code = button ? number(3, 0, 0xFFFF) : std::nullopt;
        if (code)
            Bind(static_cast<int>(*profile), static_cast<int>(*button), static_cast<int>(*code));
        return code.has_value();
    }
    if (name == "quit") {
        if (expect(0))
            Finish();
        return true;
    }
    Error("unknown command '" + name + "'");
    return false;
}

// What the configuration program does when the user binds a function to a
// button of a profile and saves: the profile is stored with the new binding and
// made the current one, and the monitor is told to apply it (7035 with the
// profile's CPI level).
void Simulator::Bind(int profile, int button, int functionCode) {
    const std::u16string name =
        FSession->DM().FProfileGroup[static_cast<std::size_t>(profile)]->FileName();
    RegistryValue stored;
    if (FWorld->Registry.ReadValue(RegistryRoot::CurrentUser, FKey, name, stored) !=
        RegistryResult::Ok)
        stored.Data.clear();
    const auto record = drive::ProfileWithBinding(stored.Data, profile, button, functionCode);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record.get());
    FWorld->Registry.WriteBinary(RegistryRoot::CurrentUser, FKey, name,
                                 {bytes, sizeof(TMouseProfileInfo)});

    TALLGAMESINFO settings = FSession->DM().FAllProfileSettingInfo;
    settings.CurrentGame = static_cast<std::uint16_t>(profile);
    FWorld->Registry.WriteBinary(
        RegistryRoot::CurrentUser, FKey, u"allsettings.pfd",
        {reinterpret_cast<const std::uint8_t*>(&settings), sizeof(settings)});
    FWorld->Desktop.Peer().SendToMonitor(MSG_APPLY_PROFILE, 0, record->ConfigInfo.CurrentCPIIndex);
}

void Simulator::Seed() {
    if (!FOptions.RegistryFolder)
        return;
    std::error_code ec;
    // A first run starts with nothing stored; the folder is made at the end.
    if (!std::filesystem::exists(*FOptions.RegistryFolder, ec) && !ec)
        return;
    for (const auto& entry : std::filesystem::directory_iterator(*FOptions.RegistryFolder, ec)) {
        std::error_code sizeError;
        if (!entry.is_regular_file(sizeError) || entry.file_size(sizeError) > MaxSeedFileSize ||
            sizeError)
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        FWorld->Registry.SetValue(RegistryRoot::CurrentUser, FKey,
                                  entry.path().filename().u16string(),
                                  RegistryValue{REG_BINARY_, std::move(bytes)});
    }
    if (ec)
        FErrors << "error: registry folder " << FOptions.RegistryFolder->string() << ": "
                << ec.message() << "\n";
}

void Simulator::WriteBack() {
    if (!FOptions.RegistryFolder)
        return;
    std::error_code ec;
    std::filesystem::create_directories(*FOptions.RegistryFolder, ec);
    for (const auto& name : FWorld->Registry.ValueNames(RegistryRoot::CurrentUser, FKey)) {
        const auto value = FWorld->Registry.GetValue(RegistryRoot::CurrentUser, FKey, name);
        if (!value)
            continue;
        // A value name comes from stored profile data: only a plain file name
        // may become a file, never a path out of the folder.
        const std::filesystem::path file(name);
        if (name.empty() || file != file.filename() || file == u"." || file == u"..") {
            FErrors << "error: value " << ToUtf8(name)
                    << " is not a file name and stays out of the registry folder\n";
            continue;
        }
        std::ofstream out(*FOptions.RegistryFolder / file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(value->Data.data()),
                  static_cast<std::streamsize>(value->Data.size()));
        if (!out)
            FErrors << "error: cannot write " << ToUtf8(name) << " to the registry folder\n";
    }
}

} // namespace zq::sim

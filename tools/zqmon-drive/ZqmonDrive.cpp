// zqmon-drive: runs a script of the simulator's language (tools/zqmon-sim/demo.zqs)
// on the real ZQMON.EXE against the virtual mouse and the virtual filter driver,
// and prints what they and the configuration program's stand-in received, one
// line per effect: "t=<ms since the monitor started> <channel> <details>".
//
//   zqmon-drive [--words] [SCRIPT]   (the script from standard input without SCRIPT;
//                                     --words: each line is followed by its words)
//
// The virtual devices and their client libraries are those of the Windows tests
// (tests/devices); this tool uses them to let the real program meet a device.
// It installs and plugs them in the wine prefix, installs the monitor with the
// stand-in as ZQCFG.EXE in a fresh folder with its own registry key, starts it
// and plays the script on real time, reading the devices' logs every 20 ms.
//
// Channels: hid-set / hid-get (feature reports of the vendor collection, as the
// simulated mouse logs them), hid-write, driver (request code and bytes), peer
// (a message the stand-in received: number, wParam, lParam; its log does not
// tell sent from posted messages), peer-window (the stand-in started or shown)
// and exit. The monitor's debugger output and the microphone's mute state are
// not seen from outside the process: no debug or mic lines, and "mic present|
// absent" is skipped with a line saying so.

#include "DriveScript.h"
#include "EffectWords.h"
#include "app/Messages.h"
#include "devices/VirtualMouse.h"
#include "devices/vfilter/VirtualFilterDriver.h"
#include "e2e/MonitorProcess.h"
#include "platform/sim/SimLog.h"
#include "platform/win32/Handles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using zq::devices::MouseTransfer;
using zq::devices::VirtualFilterDriver;
using zq::devices::VirtualMouse;
using zq::drive::Step;
using zq::e2e::ConfigWindow;
using zq::e2e::MonitorInstall;
using zq::e2e::MonitorWindow;
using zq::e2e::Process;

// The stored profiles of the run go under a key of their own, cleared first.
constexpr wchar_t ProfileKey[] = L"software\\ZQMONDEMO";
constexpr char Config[] = "[options]\r\nProfileRegFolder=ZQMONDEMO\r\n"
                          "[IncludeHIDDeviceList]\r\nid1=HID\\VID_7A51&PID_0C01&MI_01\r\n";
constexpr auto PollInterval = 20ms;
constexpr auto WindowLimit = 20s; // for a window to appear or a process to end

std::vector<std::uint8_t> ReadValue(const std::u16string& name) {
    const std::wstring wide(name.begin(), name.end());
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, ProfileKey, wide.c_str(), RRF_RT_REG_BINARY, nullptr,
                       nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::vector<std::uint8_t> bytes(size);
    if (::RegGetValueW(HKEY_CURRENT_USER, ProfileKey, wide.c_str(), RRF_RT_REG_BINARY, nullptr,
                       bytes.data(), &size) != ERROR_SUCCESS)
        return {};
    bytes.resize(size);
    return bytes;
}

bool WriteValue(const std::u16string& name, const std::vector<std::uint8_t>& bytes) {
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, ProfileKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const zq::win32::UniqueKey key(opened);
    const std::wstring wide(name.begin(), name.end());
    return ::RegSetValueExW(key.Get(), wide.c_str(), 0, REG_BINARY, bytes.data(),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

class Drive {
public:
    // words: each line is followed by the effect in plain words.
    Drive(const MonitorInstall& install, bool words) : FInstall(install), FWords(words) {}
    // Processes of the run left after a failure end with it.
    ~Drive() {
        FMonitor.Kill();
        FPeer.Kill();
    }
    Drive(const Drive&) = delete;
    Drive& operator=(const Drive&) = delete;

    // Starts the monitor; false, having said why, when it does not come up.
    bool Start() {
        if (MonitorWindow()) {
            std::cerr << "zqmon-drive: a monitor already runs in this wine prefix\n";
            return false;
        }
        FStart = std::chrono::steady_clock::now();
        // Started here rather than by the install: the logs are polled while it comes up.
        FMonitor = Process::Start(FInstall.Folder() / L"ZQMON.EXE");
        if (!FMonitor.Handle()) {
            std::cerr << "zqmon-drive: ZQMON.EXE did not start\n";
            return false;
        }
        if (!PollUntil([] { return MonitorWindow() != nullptr; }, WindowLimit)) {
            std::cerr << "zqmon-drive: the monitor's window did not appear\n";
            return false;
        }
        return true;
    }

    void Run(std::istream& script) {
        int lineNumber = 0;
        for (std::string line; FMonitor.Handle() && std::getline(script, line);) {
            ++lineNumber;
            const Step step = zq::drive::ParseLine(line);
            if (!step.Error.empty())
                Complain(lineNumber, step.Error);
            else if (const std::string problem = Execute(step); !problem.empty())
                Complain(lineNumber, problem);
            Poll();
        }
        Finish();
    }

private:
    // Does one step on the real world; what went wrong, or empty.
    std::string Execute(const Step& step) {
        switch (step.Type) {
        case Step::Kind::None:
            return {};
        case Step::Kind::Plug:
            return VirtualMouse::Plug() ? "" : "the virtual mouse was not plugged in";
        case Step::Kind::Unplug:
            return VirtualMouse::Unplug() ? "" : "the virtual mouse was not unplugged";
        case Step::Kind::ActiveProfile:
            return VirtualMouse::SetActiveProfile(static_cast<std::uint8_t>(step.A))
                       ? ""
                       : "the virtual mouse has no profile " + std::to_string(step.A);
        case Step::Kind::CpiIndex:
            return VirtualMouse::SetCpiIndex(static_cast<std::uint8_t>(step.A),
                                             static_cast<std::uint8_t>(step.B))
                       ? ""
                       : "the virtual mouse did not take the CPI level";
        case Step::Kind::Input:
            for (const auto& report : step.Reports)
                if (!VirtualMouse::SendInput(report))
                    return "the virtual mouse did not take the input report";
            return {};
        case Step::Kind::Peer:
            return step.On ? StartPeer() : StopPeer();
        case Step::Kind::Send:
            SendToMonitor(static_cast<UINT>(step.A), step.B);
            return {};
        case Step::Kind::Mic:
            Print("skipped", std::string("mic ") + (step.On ? "present" : "absent") +
                                 ": the system's recording device is not switched here");
            return {};
        case Step::Kind::Menu:
            if (step.On)
                return ChooseMenuEntry(zq::e2e::MenuConfig);
            return EndMonitor([this] { return ChooseMenuEntry(zq::e2e::MenuExit); });
        case Step::Kind::Wait:
            PollUntil([] { return false; }, std::chrono::milliseconds(step.A));
            return {};
        case Step::Kind::Bind:
            return Bind(static_cast<int>(step.A), static_cast<int>(step.B),
                        static_cast<int>(step.C));
        case Step::Kind::Quit:
            Finish();
            return {};
        }
        return {};
    }

    // The configuration program's window, as the stand-in; the logs are polled
    // while it comes up.
    std::string StartPeer() {
        if (ConfigWindow())
            return {};
        FPeer = Process::Start(FInstall.Folder() / L"ZQCFG.EXE");
        if (!FPeer.Handle() || !PollUntil([] { return ConfigWindow() != nullptr; }, WindowLimit))
            return "the configuration program's stand-in did not start";
        return {};
    }

    // Closes every window of the stand-in, the ones the monitor started too.
    std::string StopPeer() {
        for (HWND window; (window = ConfigWindow());) {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            if (!PollUntil([window] { return !::IsWindow(window); }, WindowLimit))
                return "the configuration program's stand-in did not close";
        }
        if (FPeer.Handle() && !PollUntil([this] { return !FPeer.Running(); }, WindowLimit))
            FPeer.Kill();
        FPeer = {};
        return {};
    }

    // As the configuration program tells the monitor (wParam 0).
    void SendToMonitor(UINT msg, long long lParam) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(MonitorWindow(), msg, 0, static_cast<LPARAM>(lParam), SMTO_NORMAL,
                              5000, &answer);
    }

    // A choice from the tray menu, as the shell reports it.
    std::string ChooseMenuEntry(int position) {
        if (!zq::e2e::TrayWindowOf(FMonitor.Id()))
            return "the monitor has no tray icon";
        zq::e2e::ChooseTrayMenuEntry(FMonitor.Id(), position);
        return {};
    }

    // What the configuration program does when the user binds a function to a
    // button and saves: the profile is stored with the binding and made the
    // current one, and the monitor is told to apply it.
    std::string Bind(int profile, int button, int functionCode) {
        const auto binding = zq::drive::BindButton(ReadValue, profile, button, functionCode);
        if (!WriteValue(binding.ProfileName, binding.Profile) ||
            !WriteValue(zq::AllSettingsName, binding.AllSettings))
            return "the profile could not be stored";
        SendToMonitor(zq::MSG_APPLY_PROFILE, binding.CpiIndex);
        return {};
    }

    // Asks the monitor to end and waits until it has; the exit is printed by Poll.
    std::string EndMonitor(const std::function<std::string()>& ask) {
        if (!FMonitor.Handle())
            return {};
        if (std::string problem = ask(); !problem.empty())
            return problem;
        if (!PollUntil([this] { return !FMonitor.Handle(); }, WindowLimit)) {
            FMonitor.Kill();
            PollUntil([this] { return !FMonitor.Handle(); }, WindowLimit);
            return "the monitor did not end and was terminated";
        }
        return {};
    }

    // The end of the script: the monitor ends as at the end of the user's session
    // (it shuts the devices down), then the stand-in is closed.
    void Finish() {
        EndMonitor([] {
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(MonitorWindow(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000,
                                  &answer);
            return std::string();
        });
        StopPeer();
        Poll();
    }

    // Polls the logs every 20 ms until cond holds or the time is up; true when it held.
    template <typename Cond> bool PollUntil(Cond cond, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            Poll();
            if (cond())
                return true;
            const auto now = std::chrono::steady_clock::now();
            if (now >= end)
                return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
            ::Sleep(static_cast<DWORD>(std::min(left, PollInterval).count()));
        }
    }

    // Prints what happened since the last poll: the mouse's transfers, the
    // driver's requests, the stand-in's log, and the monitor's exit.
    void Poll() {
        const auto exitCode = FMonitor.WaitForExit(0ms); // only once it has ended
        const auto transfers = VirtualMouse::Transfers();
        for (; FTransfersSeen < transfers.size(); ++FTransfersSeen)
            PrintTransfer(transfers[FTransfersSeen]);
        const auto requests = VirtualFilterDriver::Requests();
        for (; FRequestsSeen < requests.size(); ++FRequestsSeen) {
            char code[16];
            std::snprintf(code, sizeof code, "%08x ",
                          static_cast<unsigned>(requests[FRequestsSeen].Code));
            Print("driver", code + zq::sim::HexBytes(requests[FRequestsSeen].Input));
        }
        const auto peerLog = FInstall.PeerLog();
        for (; FPeerLinesSeen < peerLog.size(); ++FPeerLinesSeen) {
            const std::string& line = peerLog[FPeerLinesSeen];
            if (line.rfind("message ", 0) == 0)
                Print("peer", line.substr(8));
            else if (line.rfind("started", 0) == 0 || line == "shown")
                Print("peer-window", line.substr(0, line.find(' ')));
        }
        if (exitCode) {
            Print("exit", std::to_string(*exitCode));
            FMonitor = {};
        }
    }

    // As the simulated mouse logs a transfer: the report as set, the report's
    // own bytes of what was answered (the class driver hands a get the whole
    // collection's buffer).
    void PrintTransfer(const MouseTransfer& t) {
        static const std::size_t ReportSize[7] = {0, 0, 16, 64, 1024, 2048, 4096};
        if (t.Interface != 1)
            return;
        if (t.Type == MouseTransfer::Kind::Write) {
            Print("hid-write", zq::sim::HexBytes(t.Bytes));
            return;
        }
        const bool get = t.Type == MouseTransfer::Kind::GetFeature;
        const auto& bytes = get ? t.Answer : t.Bytes;
        if (get && bytes.empty())
            return; // failed: nothing was answered
        const std::size_t size = t.ReportId < 7 ? ReportSize[t.ReportId] : bytes.size();
        Print(get ? "hid-get" : "hid-set",
              zq::sim::HexBytes(std::span(bytes.data(), std::min(size, bytes.size()))));
    }

    void Print(const std::string& channel, const std::string& details) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - FStart)
                            .count();
        std::cout << "t=" << ms << " " << channel << " " << details << "\n";
        if (FWords)
            if (const auto words =
                    zq::drive::WordsLine(static_cast<std::uint64_t>(ms), channel, details))
                std::cout << *words << "\n";
        std::cout << std::flush;
    }

    static void Complain(int line, const std::string& text) {
        std::cerr << "error: line " << line << ": " << text << "\n";
    }

    const MonitorInstall& FInstall;
    bool FWords = false;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
    Process FMonitor; // empty once its exit is printed
    Process FPeer;
    std::size_t FTransfersSeen = 0;
    std::size_t FRequestsSeen = 0;
    std::size_t FPeerLinesSeen = 0; // lines of the stand-in's log printed
};

// The virtual devices in place and in their power-on state, their logs empty.
std::string PrepareDevices() {
    if (std::string problem = VirtualMouse::Install(); !problem.empty())
        return problem;
    if (std::string problem = VirtualFilterDriver::Install(); !problem.empty())
        return problem;
    if (!VirtualMouse::Plug() || !VirtualMouse::Reset() || !VirtualMouse::ClearTransfers())
        return "the virtual mouse is not ready";
    if (!VirtualFilterDriver::Clear())
        return "the virtual filter driver is not ready";
    return {};
}

} // namespace

int main(int argc, char** argv) {
    bool words = false;
    const char* scriptFile = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--words") {
            words = true;
        } else if (!arg.empty() && arg[0] != '-' && !scriptFile) {
            scriptFile = argv[i];
        } else {
            std::cerr << "usage: zqmon-drive [--words] [SCRIPT]\n";
            return 2;
        }
    }
    std::ifstream file;
    if (scriptFile) {
        file.open(scriptFile);
        if (!file) {
            std::cerr << "error: cannot read " << scriptFile << "\n";
            return 2;
        }
    }
    if (const std::string problem = PrepareDevices(); !problem.empty()) {
        std::cerr << "zqmon-drive: " << problem << "\n";
        return 1;
    }
    int result = 0;
    {
        const MonitorInstall install; // with the stand-in as ZQCFG.EXE
        install.WriteFile(L"config.ini", Config);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);

        Drive drive(install, words);
        if (drive.Start())
            drive.Run(scriptFile ? static_cast<std::istream&>(file) : std::cin);
        else
            result = 1;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);
    }
    // Other programs of the prefix expect it without HID devices.
    VirtualMouse::Unplug();
    return result;
}

// Runs the monitor idle beside the yardstick program and tells the measuring
// script when to take its readings. With the virtual mouse plugged (and the
// virtual filter driver running, as on a machine with the product installed),
// it installs ZQMON.EXE in a fresh folder with a config.ini that lists the
// mouse's vendor interface and a registry key of its own, starts it and
// zqbench-baseline.exe, lets the monitor finish its start-up resynchronisation,
// then prints, one line each and flushed:
//
//   monitor <windows pid> <install folder>
//   baseline <windows pid>
//   start                      the idle period begins
//   end                        it is over (after --measure seconds)
//   win <name> cpu-ms <n> working-set-kb <n> private-kb <n>
//
// The "win" lines are the system's own view (GetProcessTimes over the period,
// GetProcessMemoryInfo at its end). After "end" both programs keep running
// until a line (or the end of input) arrives on standard input, so the script
// can read their memory; then they are ended and the mouse unplugged. A line
// "error: ..." and exit code 1 say what went wrong.
//
//   zqbench-idle [--settle SECONDS] [--measure SECONDS]

#include "devices/VirtualMouse.h"
#include "devices/vfilter/VirtualFilterDriver.h"
#include "e2e/MonitorProcess.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace zq;
using devices::VirtualFilterDriver;
using devices::VirtualMouse;

constexpr wchar_t ProfileKey[] = L"software\\ZQBENCHIDLE";
const std::string Config = "[options]\r\nProfileRegFolder=ZQBENCHIDLE\r\n"
                           "[IncludeHIDDeviceList]\r\nid1=HID\\VID_7A51&PID_0C01&MI_01\r\n";

void Line(const char* format, auto... values) {
    std::printf(format, values...);
    std::printf("\n");
    std::fflush(stdout);
}

int Fail(const std::string& what) {
    Line("error: %s", what.c_str());
    return 1;
}

std::uint64_t CpuTime100ns(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    const auto value = [](FILETIME t) {
        return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

void ReportSystemView(const char* name, HANDLE process, std::uint64_t cpuBefore) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof(memory));
    Line("win %s cpu-ms %.1f working-set-kb %llu private-kb %llu", name,
         double(CpuTime100ns(process) - cpuBefore) / 10000.0,
         static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
         static_cast<unsigned long long>(memory.PrivateUsage / 1024));
}

HWND BaselineWindow() {
    return ::FindWindowW(L"ZQBENCHBASELINE", nullptr);
}

std::wstring WindowTitle(HWND window) {
    wchar_t title[128] = {};
    ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    return title;
}

int Run(int settleSeconds, int measureSeconds) {
    if (const std::string problem = VirtualMouse::Install(); !problem.empty())
        return Fail("no virtual mouse: " + problem);
    if (const std::string problem = VirtualFilterDriver::Install(); !problem.empty())
        return Fail("no virtual filter driver: " + problem);
    if (!VirtualMouse::Plug() || !VirtualMouse::Reset())
        return Fail("the virtual mouse could not be plugged");
    if (e2e::MonitorWindow() || BaselineWindow())
        return Fail("a monitor or baseline program is running already in this prefix");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);

    e2e::MonitorInstall install(false);
    install.WriteFile("config.ini", Config);
    e2e::Process monitor = install.StartMonitor();
    e2e::Process baseline = e2e::Process::Start(e2e::BuildFolder() / L"zqbench-baseline.exe");
    const auto finish = [&] {
        monitor.Kill();
        baseline.Kill();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);
        VirtualMouse::Unplug();
    };
    if (!monitor.Running() || !e2e::MonitorWindow()) {
        finish();
        return Fail("ZQMON.EXE did not start");
    }
    if (!e2e::WaitFor([] { return BaselineWindow() && !WindowTitle(BaselineWindow()).empty(); },
                      std::chrono::seconds(20))) {
        finish();
        return Fail("zqbench-baseline.exe did not start");
    }
    if (const std::wstring status = WindowTitle(BaselineWindow()); status != L"ready") {
        finish();
        return Fail("the baseline program is incomplete: " +
                    std::string(status.begin(), status.end()));
    }
    Line("monitor %lu %ls", monitor.Id(), install.Folder().wstring().c_str());
    Line("baseline %lu", baseline.Id());

    ::Sleep(static_cast<DWORD>(settleSeconds) * 1000);
    const std::uint64_t monitorBefore = CpuTime100ns(monitor.Handle());
    const std::uint64_t baselineBefore = CpuTime100ns(baseline.Handle());
    Line("start");
    ::Sleep(static_cast<DWORD>(measureSeconds) * 1000);
    Line("end");
    const bool bothRan = monitor.Running() && baseline.Running();
    ReportSystemView("monitor", monitor.Handle(), monitorBefore);
    ReportSystemView("baseline", baseline.Handle(), baselineBefore);
    char acknowledgement[16];
    std::fgets(acknowledgement, sizeof acknowledgement, stdin);
    finish();
    return bothRan ? 0 : Fail("a program ended during the idle period");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int settle = 6;
    int measure = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--settle") == 0)
            settle = std::max(0, _wtoi(argv[i + 1]));
        else if (std::wcscmp(argv[i], L"--measure") == 0)
            measure = std::max(1, _wtoi(argv[i + 1]));
    }
    return Run(settle, measure);
}

// How long an input report takes from the virtual mouse to the program, through
// the monitor's HID component against a bare read on the same interface, in one
// process on the system's own HID stack.
//
// One sample: the report (id 7, a sequence number in its next two bytes) is
// injected with a request to the mouse's control device, and the time runs from
// just before that request until
//   bare:    an overlapped ReadFile on the vendor interface, pending before the
//            injection, has completed (the event wait returns);
//   monitor: TuiHIDData's OnData runs on the main thread, handed over by its
//            reader thread through Synchronize while the main thread waits for
//            messages, as the monitor's loop does;
//   fast:    TuiHIDData's OnData runs on the reader thread (FastOnData): the
//            component's own reading without the hand-over, for comparison.
// Between samples both wait the same short gap, so the monitor's reader is back
// on its read. The two kinds alternate in blocks so that a change of load on
// the machine falls on both. Timestamps are QueryPerformanceCounter readings.
//
// Prints, for each kind (bare, monitor, fast), one line:
//   <kind> n <samples> lost <n> p50-us <x> p99-us <x> mean-us <x> max-us <x>
// A line "error: ..." and exit code 1 say what went wrong.
//
//   zqbench-latency [--reports N] [--block N]

#include "devices/VirtualMouse.h"
#include "hid/TuiHIDData.h"
#include "profiles/DeviceUsage.h"
#include "support/TempFolder.h"
#include "unit/win32/FolderPlatform.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zq;
using devices::VirtualMouse;

constexpr DWORD ReportTimeoutMs = 2000;
constexpr DWORD GapMs = 2;
constexpr int WarmUpReports = 20;

std::int64_t Now() {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double Microseconds(std::int64_t ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    return double(ticks) * 1e6 / frequency;
}

std::vector<std::uint8_t> Report(std::uint16_t sequence) {
    return {7,
            static_cast<std::uint8_t>(sequence),
            static_cast<std::uint8_t>(sequence >> 8),
            0,
            0,
            0,
            0,
            0};
}

struct Samples {
    std::vector<double> Us;
    int Lost = 0; // timed out, or another report than the one injected arrived
};

// The vendor interface of the virtual mouse, as the setup lists it.
std::optional<std::wstring> VendorInterfacePath(win32::Win32HidBus& hid) {
    const std::u16string vendorId(std::begin(VirtualMouse::VendorHardwareId),
                                  std::end(VirtualMouse::VendorHardwareId) - 1);
    for (const auto& iface : hid.Enumerate(hid.InterfaceClass()))
        for (const auto& id : iface.HardwareIds)
            if (id == vendorId)
                return win32::Wide(iface.Path);
    return std::nullopt;
}

// Bare: one handle, one overlapped read at a time, waited for on its event.
bool MeasureBare(const std::wstring& path, int count, std::uint16_t& sequence, Samples& samples) {
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    win32::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!file || !event)
        return false;
    std::uint8_t buffer[8];
    for (int i = 0; i < count; ++i) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.Get();
        ::ResetEvent(event.Get());
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, nullptr, &overlapped) &&
            ::GetLastError() != ERROR_IO_PENDING)
            return false;
        ::Sleep(GapMs);
        const auto report = Report(++sequence);
        const std::int64_t start = Now();
        if (!VirtualMouse::SendInput(report))
            return false;
        DWORD read = 0;
        const bool done = ::WaitForSingleObject(event.Get(), ReportTimeoutMs) == WAIT_OBJECT_0 &&
                          ::GetOverlappedResult(file.Get(), &overlapped, &read, FALSE);
        const std::int64_t end = Now();
        if (!done) {
            ::CancelIoEx(file.Get(), &overlapped);
            ::GetOverlappedResult(file.Get(), &overlapped, &read, TRUE);
            ++samples.Lost;
        } else if (read != report.size() || !std::equal(report.begin(), report.end(), buffer)) {
            ++samples.Lost;
        } else {
            samples.Us.push_back(Microseconds(end - start));
        }
    }
    return true;
}

// Monitor: the HID component's reader, delivering to OnData on this thread.
// Fast: the same component with OnData run on the reader thread itself (its
// FastOnData), which shows what the hand-over to the main thread costs.
bool MeasureComponent(test::FolderPlatform& platform, bool fast, int count, std::uint16_t& sequence,
                      Samples& samples) {
    TuiHIDData data(platform.Platform());
    data.SetFastOnData(fast);
    std::atomic<std::int64_t> arrived = 0;
    std::atomic<std::uint16_t> arrivedSequence = 0;
    win32::UniqueHandle arrival(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t id,
                      const std::uint8_t* bytes, std::uint16_t size) {
        arrived = Now();
        arrivedSequence = id == 7 && size >= 2 ? std::uint16_t(bytes[0] | bytes[1] << 8) : 0;
        ::SetEvent(arrival.Get());
    };
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    if (!arrival || data.ReaderCount() != 1)
        return false;
    auto& loop = platform.Windows().Loop;
    for (int i = 0; i < count; ++i) {
        ::Sleep(GapMs);
        loop.ProcessMessages();
        arrived = 0;
        ::ResetEvent(arrival.Get());
        const std::int64_t start = Now();
        if (!VirtualMouse::SendInput(Report(++sequence)))
            return false;
        if (fast) {
            ::WaitForSingleObject(arrival.Get(), ReportTimeoutMs);
        } else {
            const DWORD deadline = ::GetTickCount() + ReportTimeoutMs;
            while (!arrived && ::GetTickCount() < deadline) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ReportTimeoutMs, QS_ALLINPUT);
                loop.ProcessMessages();
            }
        }
        if (!arrived || arrivedSequence != sequence)
            ++samples.Lost;
        else
            samples.Us.push_back(Microseconds(arrived - start));
    }
    data.HidStopRead();
    return true;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

void Print(const char* kind, const Samples& samples) {
    const auto& us = samples.Us;
    const double mean = us.empty() ? 0 : std::accumulate(us.begin(), us.end(), 0.0) / us.size();
    std::printf("%s n %zu lost %d p50-us %.1f p99-us %.1f mean-us %.1f max-us %.1f\n", kind,
                us.size(), samples.Lost, Percentile(us, 0.50), Percentile(us, 0.99), mean,
                us.empty() ? 0 : *std::max_element(us.begin(), us.end()));
}

int Fail(const char* what) {
    std::printf("error: %s\n", what);
    VirtualMouse::Unplug();
    return 1;
}

int Run(int reports, int block) {
    if (const std::string problem = VirtualMouse::Install(); !problem.empty()) {
        std::printf("error: no virtual mouse: %s\n", problem.c_str());
        return 1;
    }
    if (!VirtualMouse::Plug() || !VirtualMouse::Reset())
        return Fail("the virtual mouse could not be plugged");
    // The program's folder with the monitor's include list, as installed.
    test::TempFolder folder;
    folder.Write("config.ini", "[IncludeHIDDeviceList]\r\nid1=HID\\VID_7A51&PID_0C01&MI_01\r\n");
    test::FolderPlatform platform(folder.WithSeparator());
    DeviceUsageAndPage = VendorUsageAndPage; // as the profile manager sets it
    const auto path = VendorInterfacePath(platform.Windows().Hid);
    if (!path)
        return Fail("the virtual mouse's vendor interface is not listed");

    std::uint16_t sequence = 0;
    Samples warmUp, bare, monitor, fast;
    if (!MeasureBare(*path, WarmUpReports, sequence, warmUp) ||
        !MeasureComponent(platform, false, WarmUpReports, sequence, warmUp))
        return Fail("the reports could not be read (warm-up)");
    for (int done = 0; done < reports; done += block) {
        const int count = std::min(block, reports - done);
        if (!MeasureBare(*path, count, sequence, bare) ||
            !MeasureComponent(platform, false, count, sequence, monitor) ||
            !MeasureComponent(platform, true, count, sequence, fast))
            return Fail("the reports could not be read");
    }
    Print("bare", bare);
    Print("monitor", monitor);
    Print("fast", fast);
    std::fflush(stdout);
    VirtualMouse::Unplug();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int reports = 500;
    int block = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--reports") == 0)
            reports = std::max(1, _wtoi(argv[i + 1]));
        else if (std::wcscmp(argv[i], L"--block") == 0)
            block = std::max(1, _wtoi(argv[i + 1]));
    }
    return Run(reports, block);
}

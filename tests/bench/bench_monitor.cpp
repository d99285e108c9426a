// The main window's report path: how many reports a second the dispatcher and
// the MSG_DEVICE_ACTION handler take (a mouse polled at 8 kHz sends 8,000), and
// how long a press takes from the mouse's input report to the microphone
// toggle, through a real reader thread and the simulated loop. Goals: over
// 1,000,000 reports a second, under 50 us from report to toggle.

#include "app/DeviceReports.h"
#include "platform/sim/SimMouse.h"
#include "support/MonitorWorld.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace zq;

// A monitor reading the mouse, with button 0 of the current profile bound to
// microphone mute.
struct Running {
    Running() : Mouse(World.AddMouse()) {
        auto profile = test::MonitorWorld::DefaultProfile(2);
        profile->ConfigInfo.ButtonFuncInfo[0].FunctionCode = MicrophoneMuteFunctionCode;
        World.StoreProfile(2, *profile);
        Mouse.SetActiveProfile(2);
        World.Start();
        World.World.Loop.AdvanceBy(3100);
        World.World.Log.Clear();
    }
    test::MonitorWorld World;
    sim::SimMouse& Mouse;
};

// Status reports of a CPI change: decoded, told to the configuration program,
// the debounce timer restarted. No log line is written per report.
void BM_DispatchCpiReports(benchmark::State& state) {
    Running run;
    const std::uint8_t data[7] = {StatusCpiChanged, 1, 0, 0, 0, 0, 0};
    for (auto _ : state)
        run.World.Monitor->uiHIDData1Data(u"", u"", StatusReportId, data, 7);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchCpiReports);

// Button reports of a key without a function: decoded, the debug line written,
// MSG_DEVICE_ACTION posted and handled from the loop.
void BM_DispatchButtonReportsAndActions(benchmark::State& state) {
    Running run;
    const std::uint8_t data[7] = {0x00, 0x80, 0x00, 0, 0, 0, 0}; // key 15
    std::int64_t handled = 0;
    for (auto _ : state) {
        run.World.Monitor->uiHIDData1Data(u"", u"", ButtonReportId, data, 7);
        run.World.World.Loop.ProcessMessages();
        if (++handled % 4096 == 0) {
            state.PauseTiming();
            run.World.World.Log.Clear();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchButtonReportsAndActions);

// From the mouse's input report to the microphone toggled: the reader thread's
// read, the hand-over to the main thread, decoding, the posted action, the mute.
// The time ends when the microphone changes, not when the reader is back at
// its next read. Each press wakes two sleeping threads (the reader, then the
// main thread); on an idle virtual machine a wake-up alone costs tens of
// microseconds (see BM_ThreadHandOverFloor). With the argument 1 another
// thread keeps the processors awake, which leaves the path's own cost.
void BM_ReportToMicrophoneToggle(benchmark::State& state) {
    std::atomic<bool> spin = state.range(0) != 0;
    std::thread awake([&] {
        while (spin.load(std::memory_order_relaxed)) {
        }
    });
    Running run;
    auto& loop = run.World.World.Loop;
    std::chrono::steady_clock::time_point toggled;
    run.World.World.Log.SetListener([&](const sim::Effect& effect) {
        if (effect.Channel == "mic")
            toggled = std::chrono::steady_clock::now();
    });
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        run.Mouse.SendButtonReport(1);
        loop.RunUntilQuiet();
        state.SetIterationTime(std::chrono::duration<double>(toggled - start).count());
        state.PauseTiming();
        run.Mouse.SendButtonReport(0);
        loop.RunUntilQuiet();
        run.World.World.Log.Clear();
        state.ResumeTiming();
    }
    spin = false;
    awake.join();
}
BENCHMARK(BM_ReportToMicrophoneToggle)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

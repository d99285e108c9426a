// The input-report reader against a reference reader that waits the way the
// readers used to: an alertable 1 ms sleep and a 1 ms wait on the stop signal
// per turn. Both run over the simulated mouse in the same run.
//   latency: from the mouse's input report to OnData running on the main thread
//   idle CPU: four readers with nothing to read, over two seconds
#include "hid/TuiHIDData.h"
#include "platform/sim/SimWorld.h"
#include "profiles/DeviceUsage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The readers as they used to be, reduced to their waits, over the same platform seam
// and with the same hand-over to the main thread.
class ReferenceReader {
public:
    ReferenceReader(zq::Platform& platform, const std::u16string& path,
                    std::function<void()> onReport)
        : FPlatform(platform), FOnReport(std::move(onReport)),
          FStop(platform.Hid.CreateStopSignal()), FNever(platform.Hid.CreateStopSignal()),
          FDevice(platform.Hid.Open(path, true)),
          FReport(FDevice ? FDevice->Caps()->InputReportByteLength : 0),
          FThread([this] { Execute(); }) {}
    ~ReferenceReader() {
        FStop->Set();
        FPlatform.Loop.CancelSynchronize(FCancel);
        FThread.join();
    }

private:
    void Execute() {
        const std::function<void()> deliver = FOnReport;
        while (FDevice && !FStop->IsSet()) {
            std::fill(FReport.begin(), FReport.end(), 0);
            const std::uint32_t started = FDevice->StartRead(FReport);
            if (started != 0 && started != zq::HidError::IoPending)
                return;
            for (;;) {
                // SleepEx(1, TRUE): ends early when the read completes.
                const auto read = FDevice->WaitRead(*FNever, 1);
                // WaitForSingleObject(StopReadEvent, 1).
                if (FStop->Wait(1))
                    return;
                if (read.Status == zq::HidReadStatus::Completed) {
                    if (read.Error == 0 && read.BytesRead > 0)
                        FPlatform.Loop.Synchronize(deliver, FCancel);
                    break;
                }
            }
        }
    }

    zq::Platform& FPlatform;
    std::function<void()> FOnReport;
    std::unique_ptr<zq::IHidStopSignal> FStop;
    std::unique_ptr<zq::IHidStopSignal> FNever;
    std::shared_ptr<zq::SyncCancel> FCancel = std::make_shared<zq::SyncCancel>();
    std::unique_ptr<zq::IHidDevice> FDevice;
    std::vector<std::uint8_t> FReport;
    std::thread FThread;
};

struct Bench {
    explicit Bench(int mice) {
        zq::DeviceUsageAndPage = zq::VendorUsageAndPage;
        for (int i = 0; i < mice; ++i)
            Mice.push_back(&World.Hid.AddMouse());
    }
    void StartReaders(bool reference, std::function<void()> onReport) {
        if (reference) {
            for (auto* mouse : Mice)
                References.push_back(std::make_unique<ReferenceReader>(
                    World.Platform(), mouse->Path(mouse->FirmwareCollection()), onReport));
        } else {
            Data.OnData = [onReport](const std::u16string&, const std::u16string&, std::uint8_t,
                                     const std::uint8_t*, std::uint16_t) { onReport(); };
            Data.HidFindAndReadDevice(zq::VendorUsageAndPage, u"*");
        }
        World.Loop.RunUntilQuiet(); // every reader waits on its read
    }

    zq::sim::SimWorld World{"/nonexistent-zq-bench/"};
    std::vector<zq::sim::SimMouse*> Mice;
    zq::TuiHIDData Data{World.Platform()};
    std::vector<std::unique_ptr<ReferenceReader>> References;
};

double Percentile(std::vector<double> samples, double p) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1));
    return samples[index];
}

void ReportLatency(benchmark::State& state, bool reference) {
    Bench bench(1);
    Clock::time_point handled;
    bench.StartReaders(reference, [&] { handled = Clock::now(); });
    std::vector<double> micros;
    for (auto _ : state) {
        // Reports come from a person pressing buttons: each one finds the
        // reader waiting, and the machine idle.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state.ResumeTiming();
        const auto sent = Clock::now();
        bench.Mice[0]->SendButtonReport(1);
        bench.World.Loop.RunUntilQuiet();
        micros.push_back(std::chrono::duration<double, std::micro>(handled - sent).count());
    }
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p90_us"] = Percentile(micros, 0.90);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}

void BM_ReportLatency_EventDriven(benchmark::State& state) {
    ReportLatency(state, false);
}
void BM_ReportLatency_Reference(benchmark::State& state) {
    ReportLatency(state, true);
}

// The machine's own floor for the same path: one thread wakes another, which
// wakes the first again (the mouse waking the reader, the reader waking the
// main thread), with nothing else done.
void BM_ThreadHandOverFloor(benchmark::State& state) {
    std::mutex lock;
    std::condition_variable toReader, toMain;
    int turn = 0;
    bool quit = false;
    std::thread reader([&] {
        std::unique_lock guard(lock);
        for (;;) {
            toReader.wait(guard, [&] { return turn == 1 || quit; });
            if (quit)
                return;
            turn = 2;
            toMain.notify_one();
        }
    });
    std::vector<double> micros;
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state.ResumeTiming();
        const auto sent = Clock::now();
        {
            std::lock_guard guard(lock);
            turn = 1;
        }
        toReader.notify_one();
        std::unique_lock guard(lock);
        toMain.wait(guard, [&] { return turn == 2; });
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
        turn = 0;
    }
    {
        std::lock_guard guard(lock);
        quit = true;
    }
    toReader.notify_one();
    reader.join();
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p90_us"] = Percentile(micros, 0.90);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}

// Processor time of the whole process (all threads) while four readers idle
// and the main thread sleeps.
double IdleCpuMs(bool reference) {
    Bench bench(4);
    bench.StartReaders(reference, [] {});
    const std::clock_t before = std::clock();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const std::clock_t after = std::clock();
    return 1000.0 * static_cast<double>(after - before) / CLOCKS_PER_SEC;
}

// Side by side, three times each; the medians count.
void BM_IdleReadersCpu(benchmark::State& state) {
    std::vector<double> eventDriven, reference;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            eventDriven.push_back(IdleCpuMs(false));
            reference.push_back(IdleCpuMs(true));
        }
    }
    const double e = Percentile(eventDriven, 0.5), r = Percentile(reference, 0.5);
    state.counters["event_driven_cpu_ms"] = e;
    state.counters["reference_cpu_ms"] = r;
    state.counters["share_of_reference_pct"] = r > 0 ? 100.0 * e / r : 0;
}

BENCHMARK(BM_ReportLatency_EventDriven)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReportLatency_Reference)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThreadHandOverFloor)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleReadersCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

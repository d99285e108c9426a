#include "platform/sim/SimLoop.h"

#include <chrono>
#include <stdexcept>
#include <utility>

namespace zq::sim {

namespace {
// How long a test may wait for announced activity before the run is declared
// stuck; real time, and far longer than any simulated device takes.
constexpr auto ActivityTimeout = std::chrono::seconds(20);
} // namespace

SimLoop::SimLoop() : FMainThread(std::this_thread::get_id()) {}

SimLoop::~SimLoop() {
    FSync.Stop();
}

void SimLoop::Run() {
    for (;;) {
        if (IsTerminated())
            return;
        if (RunOneTask() || FireOneDueTimer() || WaitForActivity())
            continue;
        const auto due = NextTimerDue();
        if (!due)
            return;
        if (*due > FNow)
            FNow = *due;
    }
}

void SimLoop::Terminate() {
    {
        std::lock_guard lock(FMutex);
        FTerminated = true;
    }
    FSync.Stop();
    FWork.notify_all();
}

bool SimLoop::IsTerminated() const {
    std::lock_guard lock(FMutex);
    return FTerminated;
}

void SimLoop::ProcessMessages() {
    if (FHandlerDepth > 0 && !FInsideNextPump.empty())
        for (const auto& fn : std::exchange(FInsideNextPump, {}))
            Guarded(fn);
    while (RunOneTask() || FireOneDueTimer() || WaitForActivity()) {
    }
}

void SimLoop::DeliverInsideNextPump(std::function<void()> fn) {
    FInsideNextPump.push_back(std::move(fn));
}

void SimLoop::Sleep(std::uint32_t ms) {
    FNow += ms;
}

void SimLoop::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(FMutex);
        FTasks.push_back(std::move(fn));
    }
    FWork.notify_all();
}

bool SimLoop::Synchronize(const std::function<void()>& fn,
                          const std::shared_ptr<SyncCancel>& cancel) {
    if (std::this_thread::get_id() == FMainThread) {
        if (IsTerminated() || (cancel && cancel->IsCancelled()))
            return false;
        fn();
        return true;
    }
    return FSync.Call(fn, cancel, [this] { Post([this] { FSync.RunOne(); }); });
}

void SimLoop::CancelSynchronize(const std::shared_ptr<SyncCancel>& cancel) {
    FSync.Cancel(cancel);
}

TimerId SimLoop::CreateTimer(std::function<void()> onTimer) {
    const TimerId id = FNextTimerId++;
    FTimers[id].Fn = std::move(onTimer);
    return id;
}

void SimLoop::StartTimer(TimerId id, std::uint32_t intervalMs) {
    auto it = FTimers.find(id);
    if (it == FTimers.end())
        return;
    it->second.Running = true;
    it->second.Interval = intervalMs;
    it->second.Due = FNow + intervalMs;
    it->second.Seq = ++FSeq;
}

void SimLoop::StopTimer(TimerId id) {
    if (auto it = FTimers.find(id); it != FTimers.end())
        it->second.Running = false;
}

void SimLoop::DestroyTimer(TimerId id) {
    FTimers.erase(id);
}

void SimLoop::AdvanceBy(std::uint64_t ms) {
    AdvanceTo(FNow + ms);
}

void SimLoop::AdvanceTo(std::uint64_t time) {
    ProcessMessages();
    for (;;) {
        const auto due = NextTimerDue();
        if (!due || *due > time)
            break;
        if (*due > FNow)
            FNow = *due;
        ProcessMessages();
    }
    if (FNow < time)
        FNow = time;
}

std::optional<std::uint64_t> SimLoop::NextTimerDue() const {
    std::optional<std::uint64_t> earliest;
    for (const auto& [id, t] : FTimers)
        if (t.Running && (!earliest || t.Due < *earliest))
            earliest = t.Due;
    return earliest;
}

bool SimLoop::HasQueuedWork() const {
    std::lock_guard lock(FMutex);
    return !FTasks.empty();
}

void SimLoop::BeginActivity() {
    std::lock_guard lock(FMutex);
    ++FActivity;
}

void SimLoop::EndActivity() {
    {
        std::lock_guard lock(FMutex);
        --FActivity;
    }
    FWork.notify_all();
}

std::vector<std::string> SimLoop::UnhandledErrors() const {
    std::lock_guard lock(FMutex);
    return FErrors;
}

bool SimLoop::RunOneTask() {
    std::function<void()> task;
    {
        std::lock_guard lock(FMutex);
        if (FTasks.empty())
            return false;
        task = std::move(FTasks.front());
        FTasks.pop_front();
    }
    Guarded(task);
    return true;
}

bool SimLoop::FireOneDueTimer() {
    TimerId chosen = 0;
    const TimerState* best = nullptr;
    for (const auto& [id, t] : FTimers) {
        if (!t.Running || t.Due > FNow)
            continue;
        if (!best || t.Due < best->Due || (t.Due == best->Due && t.Seq < best->Seq)) {
            best = &t;
            chosen = id;
        }
    }
    if (!best)
        return false;
    TimerState& timer = FTimers[chosen];
    timer.Due = FNow + timer.Interval;
    timer.Seq = ++FSeq;
    const auto fn = timer.Fn; // the handler may destroy its own timer
    Guarded(fn);
    return true;
}

// Blocks while announced activity is outstanding and nothing is queued; true when
// it waited (so the caller looks at the queue again).
bool SimLoop::WaitForActivity() {
    std::unique_lock lock(FMutex);
    if (FActivity <= 0 || !FTasks.empty())
        return !FTasks.empty();
    if (!FWork.wait_for(lock, ActivityTimeout, [&] { return FActivity <= 0 || !FTasks.empty(); }))
        throw std::logic_error(
            "the simulated world did not settle: announced activity never arrived");
    return true;
}

void SimLoop::Guarded(const std::function<void()>& fn) {
    struct Depth {
        int& Value;
        explicit Depth(int& value) : Value(++value) {}
        ~Depth() { --Value; }
    } depth(FHandlerDepth);
    try {
        fn();
    } catch (const std::exception& e) {
        std::lock_guard lock(FMutex);
        FErrors.emplace_back(e.what());
    } catch (...) {
        std::lock_guard lock(FMutex);
        FErrors.emplace_back("unknown error");
    }
}

} // namespace zq::sim

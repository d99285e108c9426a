#pragma once
// The main thread's message loop on a virtual clock. Sleeps and timer intervals
// move the clock instead of taking real time, so timed behaviour is tested in
// microseconds and gives the same result on every run.
//
// The loop also knows when the simulated world is quiet: other threads announce
// work that is bound to reach the main thread (BeginActivity/EndActivity), and
// the loop waits for it before it lets the clock move on.

#include "platform/MessageLoop.h"
#include "platform/SyncQueue.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zq::sim {

class SimLoop : public IMessageLoop {
public:
    SimLoop();
    ~SimLoop() override;
    SimLoop(const SimLoop&) = delete;
    SimLoop& operator=(const SimLoop&) = delete;

    // Runs until terminated, moving the clock to each next timer; returns when
    // nothing is left that could ever happen.
    void Run() override;
    void Terminate() override;
    bool IsTerminated() const override;
    void ProcessMessages() override;
    void Sleep(std::uint32_t ms) override;
    std::uint64_t NowMs() const override { return FNow.load(); }
    void Post(std::function<void()> fn) override;
    bool Synchronize(const std::function<void()>& fn,
                     const std::shared_ptr<SyncCancel>& cancel = nullptr) override;
    void CancelSynchronize(const std::shared_ptr<SyncCancel>& cancel) override;
    TimerId CreateTimer(std::function<void()> onTimer) override;
    void StartTimer(TimerId id, std::uint32_t intervalMs) override;
    void StopTimer(TimerId id) override;
    void DestroyTimer(TimerId id) override;

    // Driving the world from a test or the simulator (main thread).
    // Handles everything queued and due, waiting for announced activity.
    void RunUntilQuiet() { ProcessMessages(); }
    // Moves the clock on by ms, firing each timer at its due time.
    void AdvanceBy(std::uint64_t ms);
    void AdvanceTo(std::uint64_t time);
    std::optional<std::uint64_t> NextTimerDue() const;
    bool HasQueuedWork() const;

    // Runs fn inside the next pump that a handler makes, before anything queued:
    // a message that is sent to the program while one of its handlers waits in
    // a pump (the end of the session, another program's request) arrives there.
    void DeliverInsideNextPump(std::function<void()> fn);

    // Work of another thread that will reach the loop (a Post or a Synchronize).
    void BeginActivity();
    void EndActivity();

    // Errors that escaped a handler; the loop goes on after each, as the program's
    // global error handler does.
    std::vector<std::string> UnhandledErrors() const;

private:
    struct TimerState {
        std::function<void()> Fn;
        bool Running = false;
        std::uint32_t Interval = 0;
        std::uint64_t Due = 0;
        std::uint64_t Seq = 0; // among timers due at once, the earliest started fires first
    };

    bool RunOneTask();
    bool FireOneDueTimer();
    bool WaitForActivity();
    void Guarded(const std::function<void()>& fn);

    std::atomic<std::uint64_t> FNow{0};
    const std::thread::id FMainThread;

    mutable std::mutex FMutex;
    std::condition_variable FWork;
    std::deque<std::function<void()>> FTasks;
    int FActivity = 0;
    bool FTerminated = false;
    std::vector<std::string> FErrors;

    SyncQueue FSync;
    std::map<TimerId, TimerState> FTimers;
    TimerId FNextTimerId = 1;
    std::uint64_t FSeq = 0;

    // Main thread only: how deep in handlers the loop is, and what waits for a
    // pump made inside one.
    int FHandlerDepth = 0;
    std::vector<std::function<void()>> FInsideNextPump;
};

} // namespace zq::sim

#pragma once
// The main thread's message loop: posted work, timers, pumps, sleeps and the
// hand-over of work from other threads (Synchronize).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace zq {

// Lets an owner withdraw the Synchronize calls of its threads: once cancelled,
// every waiting call and every later call with this token returns false without
// running its function. Owners make a new token for a new generation of threads.
class SyncCancel {
public:
    bool IsCancelled() const { return FCancelled.load(std::memory_order_acquire); }

private:
    friend class SyncQueue;
    std::atomic<bool> FCancelled{false};
};

using TimerId = std::uint32_t;

// The rules are those of a Windows message loop on every implementation:
// - posted work runs in the order it was posted, only from Run or a pump;
// - a timer fires no earlier than its interval after it was last started and is
//   handled only by Run or a pump, never inside Sleep;
// - ProcessMessages handles everything queued and everything due, then returns;
//   handlers may pump again from inside;
// - Synchronize (any thread) runs a function on the main thread and waits for it.
class IMessageLoop {
public:
    virtual ~IMessageLoop() = default;

    // Runs until Terminate; returns at once if already terminated.
    virtual void Run() = 0;
    // Ends Run after the current message. Pending Synchronize calls are released.
    virtual void Terminate() = 0;
    virtual bool IsTerminated() const = 0;

    // Handles every queued message and every due timer, then returns.
    virtual void ProcessMessages() = 0;
    // Blocks the main thread; handles nothing meanwhile.
    virtual void Sleep(std::uint32_t ms) = 0;
    // Milliseconds on the loop's monotonic clock (virtual in the simulated world).
    virtual std::uint64_t NowMs() const = 0;

    // Queues fn to run on the main thread (thread-safe).
    virtual void Post(std::function<void()> fn) = 0;

    // Runs fn on the main thread and blocks until it has run. Returns false, without
    // running fn, when the loop has been terminated or the token is cancelled.
    // Called on the main thread itself, fn runs at once.
    virtual bool Synchronize(const std::function<void()>& fn,
                             const std::shared_ptr<SyncCancel>& cancel = nullptr) = 0;
    // Cancels the token and releases every caller waiting with it.
    virtual void CancelSynchronize(const std::shared_ptr<SyncCancel>& cancel) = 0;

    // Timers. A started timer fires every intervalMs until stopped; starting a
    // running timer restarts its interval.
    virtual TimerId CreateTimer(std::function<void()> onTimer) = 0;
    virtual void StartTimer(TimerId id, std::uint32_t intervalMs) = 0;
    virtual void StopTimer(TimerId id) = 0;
    virtual void DestroyTimer(TimerId id) = 0;
};

// Runs fn on a thread other than the main one. An error it raises is raised
// anew on the main thread, where the loop's error handler sees it; the error
// object itself stays with the thread that made it.
template <typename Fn> void PassErrorsToLoop(IMessageLoop& loop, Fn&& fn) {
    auto raise = [&loop](std::string what) {
        loop.Post([what = std::move(what)] { throw std::runtime_error(what); });
    };
    try {
        fn();
    } catch (const std::exception& e) {
        raise(e.what());
    } catch (...) {
        raise("unknown error");
    }
}

} // namespace zq

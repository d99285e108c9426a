#pragma once
// The waiting side of Synchronize, shared by every message loop: other threads
// queue a function and block; the main thread runs it and releases them.

#include "platform/MessageLoop.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace zq {

class SyncQueue {
public:
    SyncQueue() = default;
    SyncQueue(const SyncQueue&) = delete;
    SyncQueue& operator=(const SyncQueue&) = delete;
    ~SyncQueue() { Stop(); }

    // From any thread but the main one: queues fn, calls wake (which makes the main
    // thread call RunOne), and waits. False when fn did not run.
    bool Call(const std::function<void()>& fn, const std::shared_ptr<SyncCancel>& cancel,
              const std::function<void()>& wake);

    // Main thread: runs the oldest waiting function; false when none waits.
    bool RunOne();
    bool HasPending() const;

    // Releases the callers of this token; the token stays cancelled.
    void Cancel(const std::shared_ptr<SyncCancel>& cancel);
    // Releases every caller; every later call returns false at once.
    void Stop();

private:
    enum class State { Pending, Running, Done, Dropped };
    struct Request {
        const std::function<void()>* Fn;
        std::shared_ptr<SyncCancel> Cancel;
        State St = State::Pending;
    };

    mutable std::mutex FMutex;
    std::condition_variable FFinished;
    std::deque<std::shared_ptr<Request>> FPending;
    bool FStopped = false;
};

} // namespace zq

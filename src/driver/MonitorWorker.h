#pragma once
// One of the two worker threads of the driver channel's monitor loop: created
// inactive with its own request buffers, activated for each arming, asked to
// terminate and waited for.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace zq {

class TMonitorWorker {
public:
    // Bytes of each of the worker's two buffers (input and output of a read).
    static constexpr std::size_t BufferSize = 10241;

    TMonitorWorker();
    // Asks the thread to terminate and waits for it; whoever owns the worker has
    // made sure before that its body returns.
    ~TMonitorWorker();
    TMonitorWorker(const TMonitorWorker&) = delete;
    TMonitorWorker& operator=(const TMonitorWorker&) = delete;

    // No thread runs the body (never started, or the body has returned).
    bool Terminated() const { return !FRunning.load(std::memory_order_acquire); }
    // Runs body on a new thread. Whatever body holds is released when it returns,
    // before the worker counts as terminated.
    void Start(std::function<void()> body);
    void Terminate() { FTerminateRequested.store(true, std::memory_order_release); }
    bool TerminateRequested() const { return FTerminateRequested.load(std::memory_order_acquire); }
    // Waits until the thread has ended (at once when none was started).
    void WaitFor();

    std::uint8_t* InputBuffer() { return FInputBuffer.data(); }
    std::uint8_t* OutputBuffer() { return FOutputBuffer.data(); }

private:
    std::vector<std::uint8_t> FInputBuffer;
    std::vector<std::uint8_t> FOutputBuffer;
    std::atomic<bool> FRunning{false};
    std::atomic<bool> FTerminateRequested{false};
    std::thread FThread; // last: ends before the buffers go
};

} // namespace zq

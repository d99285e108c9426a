#include "driver/MonitorWorker.h"

namespace zq {

TMonitorWorker::TMonitorWorker() : FInputBuffer(BufferSize, 0), FOutputBuffer(BufferSize, 0) {}

TMonitorWorker::~TMonitorWorker() {
    Terminate();
    WaitFor();
}

void TMonitorWorker::Start(std::function<void()> body) {
    WaitFor();
    FTerminateRequested.store(false, std::memory_order_release);
    FRunning.store(true, std::memory_order_release);
    try {
        FThread = std::thread([this, body = std::move(body)]() mutable {
            body();
            body = nullptr;
            FRunning.store(false, std::memory_order_release);
        });
    } catch (...) {
        FRunning.store(false, std::memory_order_release);
        throw;
    }
}

void TMonitorWorker::WaitFor() {
    if (FThread.joinable())
        FThread.join();
}

} // namespace zq

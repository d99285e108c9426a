#include "platform/SyncQueue.h"

#include <algorithm>

namespace zq {

bool SyncQueue::Call(const std::function<void()>& fn, const std::shared_ptr<SyncCancel>& cancel,
                     const std::function<void()>& wake) {
    auto request = std::make_shared<Request>(Request{&fn, cancel});
    {
        std::lock_guard lock(FMutex);
        if (FStopped || (cancel && cancel->IsCancelled()))
            return false;
        FPending.push_back(request);
    }
    wake();
    std::unique_lock lock(FMutex);
    FFinished.wait(lock,
                   [&] { return request->St == State::Done || request->St == State::Dropped; });
    return request->St == State::Done;
}

bool SyncQueue::RunOne() {
    std::shared_ptr<Request> request;
    {
        std::lock_guard lock(FMutex);
        if (FPending.empty())
            return false;
        request = FPending.front();
        FPending.pop_front();
        request->St = State::Running;
    }
    // The caller is released even when the function throws; the loop deals with
    // the error itself.
    struct Release {
        SyncQueue& Queue;
        Request& Req;
        ~Release() {
            {
                std::lock_guard lock(Queue.FMutex);
                Req.St = State::Done;
            }
            Queue.FFinished.notify_all();
        }
    } release{*this, *request};
    (*request->Fn)();
    return true;
}

bool SyncQueue::HasPending() const {
    std::lock_guard lock(FMutex);
    return !FPending.empty();
}

void SyncQueue::Cancel(const std::shared_ptr<SyncCancel>& cancel) {
    if (!cancel)
        return;
    {
        std::lock_guard lock(FMutex);
        cancel->FCancelled.store(true, std::memory_order_release);
        auto dropped = std::stable_partition(FPending.begin(), FPending.end(),
                                             [&](const auto& r) { return r->Cancel != cancel; });
        for (auto it = dropped; it != FPending.end(); ++it)
            (*it)->St = State::Dropped;
        FPending.erase(dropped, FPending.end());
    }
    FFinished.notify_all();
}

void SyncQueue::Stop() {
    {
        std::lock_guard lock(FMutex);
        FStopped = true;
        for (auto& r : FPending)
            r->St = State::Dropped;
        FPending.clear();
    }
    FFinished.notify_all();
}

} // namespace zq

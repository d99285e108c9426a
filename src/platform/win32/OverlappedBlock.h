#pragma once
// The block of one overlapped request: its OVERLAPPED and the event that says it
// has ended. The system writes a request's buffers and status until it has
// ended, whoever still waits for it, so the block and the buffers that go with
// it (in a derived struct) live on their own, apart from the caller. A request
// given up on, that has not ended even after its cancellation, is kept until it
// ends rather than freed under the system's feet.

#include "platform/win32/Handles.h"

#include <memory>

namespace zq::win32 {

struct OverlappedBlock {
    // A manual-reset event, already named in the OVERLAPPED; check Done.
    OverlappedBlock();
    virtual ~OverlappedBlock() = default;
    OverlappedBlock(const OverlappedBlock&) = delete;
    OverlappedBlock& operator=(const OverlappedBlock&) = delete;

    bool Ended() const { return ::WaitForSingleObject(Done.Get(), 0) == WAIT_OBJECT_0; }
    // True when the request ended within waitMs.
    bool WaitEnded(DWORD waitMs) const {
        return ::WaitForSingleObject(Done.Get(), waitMs) == WAIT_OBJECT_0;
    }

    OVERLAPPED Overlapped{};
    UniqueHandle Done;
};

// Keeps a request that has not ended until it does; each call of either frees
// the ones kept that have ended since. Any thread.
void KeepUntilEnded(std::unique_ptr<OverlappedBlock> request);
void FreeEndedRequests();

} // namespace zq::win32

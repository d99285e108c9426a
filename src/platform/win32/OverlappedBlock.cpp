#include "platform/win32/OverlappedBlock.h"

#include <mutex>
#include <vector>

namespace zq::win32 {

namespace {

// The requests given up on. Each holds one request's buffers; a device that
// never answers makes at most one per request the program tries.
struct KeptRequests {
    std::mutex Lock;
    std::vector<std::unique_ptr<OverlappedBlock>> Requests;

    void FreeEnded() {
        std::erase_if(Requests, [](const auto& r) { return r->Ended(); });
    }
};

KeptRequests& Kept() {
    static KeptRequests kept;
    return kept;
}

} // namespace

OverlappedBlock::OverlappedBlock() : Done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    Overlapped.hEvent = Done.Get();
}

void KeepUntilEnded(std::unique_ptr<OverlappedBlock> request) {
    auto& kept = Kept();
    const std::lock_guard lock(kept.Lock);
    kept.FreeEnded();
    if (request && !request->Ended())
        kept.Requests.push_back(std::move(request));
}

void FreeEndedRequests() {
    auto& kept = Kept();
    const std::lock_guard lock(kept.Lock);
    kept.FreeEnded();
}

} // namespace zq::win32

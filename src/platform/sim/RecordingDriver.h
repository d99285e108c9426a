#pragma once
// The filter driver of the simulated world: it keeps every request it receives
// (code and bytes, in the log as "driver <code> <bytes>"), and can be absent,
// answer with bytes of its own, or fail requests.
//
// Handles opened for overlapped requests read a stream of blocks that a test
// feeds. The work this sets off in other threads is announced to the loop, so a
// world with monitor workers is quiet only once they all wait:
// - a handle is announced from its opening until its first request starts;
// - a block (or failure) is announced while a request is under way to take it;
// - a block taken by a request is announced until the thread that took it waits
//   again (for an event or a request) and the next request has started on the
//   handle, so its delivery and the hand-over to the next reader are covered.
// Everything announced for a handle ends when it closes.
//
// Two kinds of driver can be played besides the well-behaved one: one that
// completes a pending request only when its handle closes (a cancel does not end
// it), and one that completes every monitor read at once with no data.

#include "platform/DriverControl.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimLoop.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zq::sim {

class RecordingDriver : public IDriverControl {
public:
    struct Request {
        std::uint32_t Code;
        std::vector<std::uint8_t> Bytes;
        bool operator==(const Request&) const = default;
    };
    // An overlapped request as it was started (its input bytes are not kept).
    struct ReadRequest {
        std::uint32_t Code;
        std::uint32_t InputSize;
        std::uint32_t OutputSize;
        bool operator==(const ReadRequest&) const = default;
    };

    RecordingDriver(SimLoop& loop, SimLog& log) : FLoop(loop), FLog(log) {}
    ~RecordingDriver() override;
    RecordingDriver(const RecordingDriver&) = delete;
    RecordingDriver& operator=(const RecordingDriver&) = delete;

    std::unique_ptr<IDriverDevice> Open(const std::u16string& path) override;
    std::unique_ptr<IDriverReadDevice> OpenOverlapped(const std::u16string& path) override;
    std::unique_ptr<IDriverEvent> NewEvent() override;
    std::size_t WaitForAny(std::span<IDriverEvent* const> events, std::uint32_t timeoutMs) override;

    // The control device's name; only "\\.\" + this opens. Present by default.
    void SetDeviceName(std::u16string name);
    // Absent, the device opens no more, and the handles open now are cut off: a
    // request under way or started later on them ends with
    // ERROR_DEVICE_NOT_CONNECTED_, and what was fed to them is lost.
    void SetPresent(bool present);
    // The reply written over the caller's buffer for requests with this code.
    void SetReply(std::uint32_t code, std::vector<std::uint8_t> reply);
    // Requests with this code fail with the error (0 to succeed again).
    void SetFailure(std::uint32_t code, std::uint32_t error);

    // The stream of the overlapped handles open now (thread-safe): each handle
    // answers its requests with the next entry, in order. With no handle open the
    // entry is lost. An empty block answers with 0 bytes.
    void FeedBlock(std::vector<std::uint8_t> block);
    // A request that ends with the error instead of a block.
    void FeedFailure(std::uint32_t error);

    // Pending requests end only when their handle closes: a cancel leaves them
    // under way. A stop that would wait for one without limit never returns on
    // such a driver; the simulated one throws std::logic_error instead of hanging.
    void SetCompletesOnlyAtClose(bool value);
    // Overlapped requests started from now on complete at once with 0 bytes.
    void SetEmptyReadsAtOnce(bool value);

    std::vector<Request> Requests() const;
    std::vector<ReadRequest> ReadRequests() const;
    int OpenCount() const;
    std::size_t OpenOverlappedHandles() const;
    // Requests that a stop cancelled while they were under way.
    int CancelledRequests() const;
    // Requests that were still under way when their handle closed, and ended then.
    int RequestsEndedAtClose() const;
    // Requests completed at once with 0 bytes (SetEmptyReadsAtOnce).
    int EmptyReadAnswers() const;
    // Waits on events of this driver that had a time-out.
    int TimedWaits() const;

private:
    class Device;
    class ReadDevice;
    class Event;

    struct Entry {
        std::vector<std::uint8_t> Block;
        std::uint32_t Error = 0;
    };

    // With the lock held: brings the loop's count of announced work in line with
    // the state of the handles.
    void SettleLocked();
    bool OpensLocked(const std::u16string& path) const;
    void Feed(const Entry& entry);
    // The thread waits again: the blocks it took are delivered.
    void WaitingLocked(std::thread::id thread);

    SimLoop& FLoop;
    SimLog& FLog;
    mutable std::mutex FMutex;
    std::condition_variable FChanged; // events and handles of this driver
    std::u16string FName = u"usbqfrt00001";
    bool FPresent = true;
    bool FCompletesOnlyAtClose = false;
    bool FEmptyReadsAtOnce = false;
    int FOpens = 0;
    int FCancelled = 0;
    int FEndedAtClose = 0;
    int FEmptyAnswers = 0;
    int FTimedWaits = 0;
    int FAnnounced = 0;
    std::map<std::uint32_t, std::vector<std::uint8_t>> FReplies;
    std::map<std::uint32_t, std::uint32_t> FFailures;
    std::vector<Request> FRequests;
    std::vector<ReadRequest> FReadRequests;
    std::vector<ReadDevice*> FReadDevices;
};

} // namespace zq::sim

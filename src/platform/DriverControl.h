#pragma once
// The control device of the mouse's filter driver: opened by name for each
// request, or held open for overlapped requests that a worker waits on together
// with a stop event, so an idle worker costs nothing and a stop reaches it at once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zq {

// Result codes of the system that the program passes on or acts upon; every
// implementation answers with these values.
inline constexpr std::uint32_t ERROR_NOT_READY_ = 21;
inline constexpr std::uint32_t ERROR_GEN_FAILURE_ = 31;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER_ = 87;
inline constexpr std::uint32_t ERROR_OPERATION_ABORTED_ = 995;
inline constexpr std::uint32_t ERROR_IO_PENDING_ = 997;
inline constexpr std::uint32_t ERROR_DEVICE_NOT_CONNECTED_ = 1167;

// A wait without time-out.
inline constexpr std::uint32_t DriverWaitForever = 0xFFFFFFFF;

class IDriverDevice {
public:
    virtual ~IDriverDevice() = default;
    // One I/O-control request, completed before it returns. The reply lands in
    // output (the input and output may be the same bytes). 0 on success, else the
    // system's error code.
    virtual std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                                  void* output, std::uint32_t outputSize,
                                  std::uint32_t& returned) = 0;
};

// A manual-reset event of the driver channel, made and waited on by the same
// IDriverControl. Thread-safe.
class IDriverEvent {
public:
    virtual ~IDriverEvent() = default;
    virtual void Set() = 0;
    virtual void Reset() = 0;
    virtual bool IsSet() const = 0;
};

enum class DriverRequestStatus {
    Completed, // the request ended; Error and BytesReturned tell how
    Stopped,   // the stop event was set; the request was cancelled and has ended
    // The stop event was set and the request cancelled, but it had not ended
    // within the time given (a driver may complete its requests only when the
    // handle closes): the device has let go of it.
    Abandoned,
};

struct DriverRequestResult {
    DriverRequestStatus Status = DriverRequestStatus::Completed;
    std::uint32_t Error = 0;
    std::uint32_t BytesReturned = 0;
};

// The control device opened for overlapped requests. One request is under way at
// a time; it may be started on one thread and waited for on another, as long as
// the two calls do not overlap. Closing (destruction) cancels a request still
// under way and waits a little for it to end. The caller's buffers are its own
// again once WaitRequest has returned or the device has closed, even when a
// request was let go: the device reads and writes only buffers of its own.
class IDriverReadDevice {
public:
    virtual ~IDriverReadDevice() = default;
    // Starts a request whose buffers must stay valid until it has ended.
    // 0 or ERROR_IO_PENDING_: under way, WaitRequest collects it; any other code:
    // no request was started.
    virtual std::uint32_t StartRequest(std::uint32_t code, const void* input,
                                       std::uint32_t inputSize, void* output,
                                       std::uint32_t outputSize) = 0;
    // Waits without time-out for the request started last together with the stop
    // event (made by the same control). A set stop wins over a request that ended
    // at the same time: the request is cancelled and waited for at most
    // cancelWaitMs (DriverWaitForever: until it ends), then let go.
    virtual DriverRequestResult WaitRequest(IDriverEvent& stop, std::uint32_t cancelWaitMs) = 0;
};

class IDriverControl {
public:
    virtual ~IDriverControl() = default;
    // Opens the device path ("\\.\" + name) for reading and writing; null when the
    // device is not there or cannot be opened.
    virtual std::unique_ptr<IDriverDevice> Open(const std::u16string& path) = 0;
    // The same, for overlapped requests.
    virtual std::unique_ptr<IDriverReadDevice> OpenOverlapped(const std::u16string& path) = 0;

    // A new event, not set.
    virtual std::unique_ptr<IDriverEvent> NewEvent() = 0;
    // Waits until one of the events is set, at most timeoutMs (DriverWaitForever:
    // without time-out), and answers the index of the first one that is (so an
    // earlier event wins over a later one); the number of events when none was
    // set in time or the wait itself failed.
    virtual std::size_t WaitForAny(std::span<IDriverEvent* const> events,
                                   std::uint32_t timeoutMs) = 0;
};

} // namespace zq

#include "platform/win32/Win32DriverControl.h"

#include "platform/win32/Handles.h"
#include "platform/win32/OverlappedBlock.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace zq::win32 {

namespace {

// The error of a request that failed; never 0, so a failure is never taken for
// a success.
std::uint32_t FailureCode() {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

HANDLE OpenControlDevice(const std::u16string& path, DWORD attributes) {
    return ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, attributes,
                         nullptr);
}

class Win32DriverDevice : public IDriverDevice {
public:
    explicit Win32DriverDevice(HANDLE device) : FDevice(device) {}

    std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize,
                          std::uint32_t& returned) override {
        DWORD bytes = 0;
        ::SetLastError(0);
        const BOOL ok = ::DeviceIoControl(FDevice.Get(), code, const_cast<void*>(input), inputSize,
                                          output, outputSize, &bytes, nullptr);
        returned = bytes;
        return ok ? 0 : FailureCode();
    }

private:
    UniqueHandle FDevice;
};

class Win32DriverEvent : public IDriverEvent {
public:
    Win32DriverEvent() : FEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    void Set() override { ::SetEvent(FEvent.Get()); }
    void Reset() override { ::ResetEvent(FEvent.Get()); }
    bool IsSet() const override {
        return FEvent && ::WaitForSingleObject(FEvent.Get(), 0) == WAIT_OBJECT_0;
    }
    HANDLE Handle() const { return FEvent.Get(); }

private:
    UniqueHandle FEvent; // manual reset
};

HANDLE EventHandle(IDriverEvent& event) {
    auto* own = dynamic_cast<Win32DriverEvent*>(&event);
    if (!own)
        throw std::invalid_argument("an event of another driver control");
    return own->Handle();
}

// How long closing the device waits for a request under way before it lets go.
constexpr DWORD CloseWaitMs = 500;

class Win32DriverReadDevice : public IDriverReadDevice {
public:
    explicit Win32DriverReadDevice(HANDLE device) : FDevice(device) {}
    ~Win32DriverReadDevice() override { Cancel(CloseWaitMs); }
    Win32DriverReadDevice(const Win32DriverReadDevice&) = delete;
    Win32DriverReadDevice& operator=(const Win32DriverReadDevice&) = delete;

    std::uint32_t StartRequest(std::uint32_t code, const void* input, std::uint32_t inputSize,
                               void* output, std::uint32_t outputSize) override {
        if (FRequest || (inputSize > 0 && !input) || (outputSize > 0 && !output))
            return ERROR_INVALID_PARAMETER;
        FreeEndedRequests();
        auto request = std::make_unique<Request>();
        if (!request->Done)
            return FailureCode();
        const auto* in = static_cast<const std::uint8_t*>(input);
        request->Input.assign(in, in + inputSize);
        request->Output.assign(outputSize, 0);
        ::SetLastError(0);
        // Even a request that ends at once signals the event, so WaitRequest
        // collects every request the same way.
        const BOOL done =
            ::DeviceIoControl(FDevice.Get(), code, request->Input.data(), inputSize,
                              request->Output.data(), outputSize, nullptr, &request->Overlapped);
        const DWORD error = done ? 0 : ::GetLastError();
        if (!done && error != ERROR_IO_PENDING)
            return error != 0 ? error : ERROR_GEN_FAILURE;
        FRequest = std::move(request);
        FOutput = static_cast<std::uint8_t*>(output);
        return error;
    }

    DriverRequestResult WaitRequest(IDriverEvent& stop, std::uint32_t cancelWaitMs) override {
        if (!FRequest)
            return {DriverRequestStatus::Completed, ERROR_INVALID_PARAMETER, 0};
        // The stop event first: when both are set, the stop wins.
        const HANDLE handles[2] = {EventHandle(stop), FRequest->Done.Get()};
        const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1) {
            const std::unique_ptr<Request> request = std::move(FRequest);
            DWORD bytes = 0;
            if (!::GetOverlappedResult(FDevice.Get(), &request->Overlapped, &bytes, FALSE))
                return {DriverRequestStatus::Completed, FailureCode(), 0};
            bytes = std::min<DWORD>(bytes, static_cast<DWORD>(request->Output.size()));
            std::copy_n(request->Output.begin(), bytes, FOutput);
            return {DriverRequestStatus::Completed, 0, bytes};
        }
        // Stopped, or the wait failed (which nothing else could end).
        return {Cancel(cancelWaitMs) ? DriverRequestStatus::Stopped
                                     : DriverRequestStatus::Abandoned,
                0, 0};
    }

private:
    // A request's own buffers, with its block.
    struct Request : OverlappedBlock {
        std::vector<std::uint8_t> Input;
        std::vector<std::uint8_t> Output;
    };

    // Cancels the request under way and waits for it at most waitMs; true when it
    // has ended. A driver may end pending requests only when its handle closes:
    // then the handle closes now and the request gets the same time again. One
    // that still has not ended is let go, its block kept until it ends, since
    // the system may still write to it.
    bool Cancel(DWORD waitMs) {
        if (!FRequest)
            return true;
        ::CancelIoEx(FDevice.Get(), &FRequest->Overlapped);
        bool ended = FRequest->WaitEnded(waitMs);
        if (!ended) {
            FDevice.Reset();
            ended = FRequest->WaitEnded(waitMs);
        }
        if (ended)
            FRequest.reset();
        else
            KeepUntilEnded(std::move(FRequest));
        return ended;
    }

    UniqueHandle FDevice;
    std::unique_ptr<Request> FRequest; // the request under way, if any
    std::uint8_t* FOutput = nullptr;   // where the reply of the request goes
};

} // namespace

std::unique_ptr<IDriverDevice> Win32DriverControl::Open(const std::u16string& path) {
    HANDLE device = OpenControlDevice(path, FILE_ATTRIBUTE_NORMAL);
    if (device == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32DriverDevice>(device);
}

std::unique_ptr<IDriverReadDevice> Win32DriverControl::OpenOverlapped(const std::u16string& path) {
    HANDLE device = OpenControlDevice(path, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL);
    if (device == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32DriverReadDevice>(device);
}

std::unique_ptr<IDriverEvent> Win32DriverControl::NewEvent() {
    return std::make_unique<Win32DriverEvent>();
}

std::size_t Win32DriverControl::WaitForAny(std::span<IDriverEvent* const> events,
                                           std::uint32_t timeoutMs) {
    std::vector<HANDLE> handles;
    for (IDriverEvent* event : events)
        handles.push_back(EventHandle(*event));
    if (handles.empty() || handles.size() > MAXIMUM_WAIT_OBJECTS)
        return events.size();
    const DWORD wait = timeoutMs == DriverWaitForever ? INFINITE : timeoutMs;
    const DWORD result =
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, wait);
    if (result < WAIT_OBJECT_0 + handles.size())
        return result - WAIT_OBJECT_0;
    return events.size();
}

} // namespace zq::win32

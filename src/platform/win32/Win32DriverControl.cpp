#include "platform/win32/Win32DriverControl.h"

#include "platform/win32/Handles.h"

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

class Win32DriverReadDevice : public IDriverReadDevice {
public:
    explicit Win32DriverReadDevice(HANDLE device)
        : FDevice(device), FDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Win32DriverReadDevice() override { Cancel(); }
    Win32DriverReadDevice(const Win32DriverReadDevice&) = delete;
    Win32DriverReadDevice& operator=(const Win32DriverReadDevice&) = delete;

    std::uint32_t StartRequest(std::uint32_t code, const void* input, std::uint32_t inputSize,
                               void* output, std::uint32_t outputSize) override {
        if (!FDone || FPending)
            return ERROR_INVALID_PARAMETER;
        FOverlapped = OVERLAPPED{};
        FOverlapped.hEvent = FDone.Get();
        ::ResetEvent(FDone.Get());
        ::SetLastError(0);
        // Even a request that ends at once signals the event, so WaitRequest
        // collects every request the same way.
        if (::DeviceIoControl(FDevice.Get(), code, const_cast<void*>(input), inputSize, output,
                              outputSize, nullptr, &FOverlapped)) {
            FPending = true;
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_PENDING) {
            FPending = true;
            return error;
        }
        return error != 0 ? error : ERROR_GEN_FAILURE;
    }

    DriverRequestResult WaitRequest(IDriverEvent& stop) override {
        if (!FPending)
            return {DriverRequestStatus::Completed, ERROR_INVALID_PARAMETER, 0};
        // The stop event first: when both are set, the stop wins.
        const HANDLE handles[2] = {EventHandle(stop), FDone.Get()};
        const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1) {
            FPending = false;
            DWORD bytes = 0;
            if (::GetOverlappedResult(FDevice.Get(), &FOverlapped, &bytes, FALSE))
                return {DriverRequestStatus::Completed, 0, bytes};
            return {DriverRequestStatus::Completed, FailureCode(), 0};
        }
        // Stopped, or the wait failed (which nothing else could end).
        Cancel();
        return {DriverRequestStatus::Stopped, 0, 0};
    }

private:
    void Cancel() {
        if (!FPending)
            return;
        // A cancelled request still writes its buffers until it has ended: wait for it.
        ::CancelIoEx(FDevice.Get(), &FOverlapped);
        DWORD bytes = 0;
        ::GetOverlappedResult(FDevice.Get(), &FOverlapped, &bytes, TRUE);
        FPending = false;
    }

    UniqueHandle FDevice;
    UniqueHandle FDone; // manual reset, signalled when a request ends
    OVERLAPPED FOverlapped{};
    bool FPending = false;
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

std::size_t Win32DriverControl::WaitForAny(std::span<IDriverEvent* const> events) {
    std::vector<HANDLE> handles;
    for (IDriverEvent* event : events)
        handles.push_back(EventHandle(*event));
    if (handles.empty() || handles.size() > MAXIMUM_WAIT_OBJECTS)
        return events.size();
    const DWORD result = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                  handles.data(), FALSE, INFINITE);
    if (result < WAIT_OBJECT_0 + handles.size())
        return result - WAIT_OBJECT_0;
    return events.size();
}

} // namespace zq::win32

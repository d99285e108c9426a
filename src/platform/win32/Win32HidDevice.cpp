#include "platform/win32/Win32HidDevice.h"

#include <algorithm>
#include <stdexcept>

namespace zq::win32 {

namespace {

// The error of a request that failed; never 0, so a failure is never taken for
// a success.
std::uint32_t FailureCode() {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

} // namespace

Win32StopSignal::Win32StopSignal() : FEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void Win32StopSignal::Set() {
    if (FEvent)
        ::SetEvent(FEvent.Get());
}

bool Win32StopSignal::IsSet() const {
    return FEvent && ::WaitForSingleObject(FEvent.Get(), 0) == WAIT_OBJECT_0;
}

bool Win32StopSignal::Wait(std::uint32_t timeoutMs) {
    // A wait that fails (no event) counts as a stop: nothing could end it otherwise.
    const DWORD result = ::WaitForSingleObject(FEvent.Get(), timeoutMs);
    return result != WAIT_TIMEOUT;
}

Win32HidDevice::Win32HidDevice(std::shared_ptr<const HidApi> api, UniqueHandle handle,
                               bool overlapped)
    : FApi(std::move(api)), FHandle(std::move(handle)), FOverlapped(overlapped) {
    if (FOverlapped)
        FReadEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof(attributes);
    if (!FApi->HidD_GetAttributes(FHandle.Get(), &attributes) ||
        !FApi->HidD_GetPreparsedData(FHandle.Get(), &FPreparsedData)) {
        FPreparsedData = nullptr;
        return;
    }
    HIDP_CAPS caps{};
    if (FApi->HidP_GetCaps(FPreparsedData, &caps) != HIDP_STATUS_SUCCESS)
        return;
    FCaps = HidCaps{caps.UsagePage, caps.Usage, caps.InputReportByteLength,
                    caps.OutputReportByteLength, caps.FeatureReportByteLength};
    FUsages.resize(FApi->HidP_MaxUsageListLength(HidP_Input, 0, FPreparsedData));
}

Win32HidDevice::~Win32HidDevice() {
    CancelRead();
    if (FPreparsedData)
        FApi->HidD_FreePreparsedData(FPreparsedData);
}

std::uint32_t Win32HidDevice::SetFeature(std::span<const std::uint8_t> report) {
    ::SetLastError(0);
    if (FApi->HidD_SetFeature(FHandle.Get(), const_cast<std::uint8_t*>(report.data()),
                              static_cast<ULONG>(report.size())))
        return 0;
    return FailureCode();
}

std::uint32_t Win32HidDevice::GetFeature(std::span<std::uint8_t> report) {
    ::SetLastError(0);
    if (FApi->HidD_GetFeature(FHandle.Get(), report.data(), static_cast<ULONG>(report.size())))
        return 0;
    return FailureCode();
}

std::uint32_t Win32HidDevice::Write(std::span<const std::uint8_t> report) {
    const DWORD size = static_cast<DWORD>(report.size());
    DWORD written = 0;
    ::SetLastError(0);
    if (!FOverlapped) {
        if (::WriteFile(FHandle.Get(), report.data(), size, &written, nullptr) && written == size)
            return 0;
        return FailureCode();
    }
    // On a handle opened for overlapped reads the write still completes here.
    UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.Get();
    if (!::WriteFile(FHandle.Get(), report.data(), size, nullptr, &overlapped) &&
        ::GetLastError() != ERROR_IO_PENDING)
        return FailureCode();
    if (::GetOverlappedResult(FHandle.Get(), &overlapped, &written, TRUE) && written == size)
        return 0;
    return FailureCode();
}

std::uint32_t Win32HidDevice::StartRead(std::span<std::uint8_t> buffer) {
    if (!FOverlapped || !FReadEvent || FReadPending)
        return ERROR_INVALID_PARAMETER;
    // A read of nothing would end at once, again and again.
    if (buffer.empty())
        return ERROR_INVALID_USER_BUFFER;
    FRead = OVERLAPPED{};
    FRead.hEvent = FReadEvent.Get();
    ::ResetEvent(FReadEvent.Get());
    if (::ReadFile(FHandle.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                   &FRead)) {
        FReadPending = true; // done already; the event is set
        return 0;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_PENDING)
        FReadPending = true;
    return error;
}

HidReadResult Win32HidDevice::WaitRead(IHidStopSignal& stop, std::uint32_t timeoutMs) {
    if (!FReadPending)
        return HidReadResult{HidReadStatus::Completed, ERROR_INVALID_PARAMETER, 0};
    auto* stopSignal = dynamic_cast<Win32StopSignal*>(&stop);
    if (!stopSignal)
        throw std::invalid_argument("a stop signal of another bus");
    const HANDLE signal = stopSignal->Event();
    // The stop signal first: when both are set, the stop wins.
    const HANDLE handles[2] = {signal, FReadEvent.Get()};
    const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, timeoutMs);
    if (result == WAIT_TIMEOUT)
        return HidReadResult{HidReadStatus::TimedOut, 0, 0};
    if (result == WAIT_OBJECT_0 + 1) {
        FReadPending = false;
        DWORD read = 0;
        if (::GetOverlappedResult(FHandle.Get(), &FRead, &read, FALSE))
            return HidReadResult{HidReadStatus::Completed, 0, read};
        return HidReadResult{HidReadStatus::Completed, FailureCode(), 0};
    }
    // Stopped, or the wait failed (which nothing else could end).
    CancelRead();
    return HidReadResult{HidReadStatus::Stopped, 0, 0};
}

void Win32HidDevice::CancelRead() {
    if (!FReadPending)
        return;
    // The cancelled read still writes its buffer until it has ended: wait for it.
    ::CancelIoEx(FHandle.Get(), &FRead);
    DWORD read = 0;
    ::GetOverlappedResult(FHandle.Get(), &FRead, &read, TRUE);
    FReadPending = false;
}

std::uint32_t Win32HidDevice::MaxInputUsageListLength() {
    return FPreparsedData ? static_cast<std::uint32_t>(FUsages.size()) : 0;
}

bool Win32HidDevice::GetInputUsages(std::span<const std::uint8_t> report,
                                    std::span<std::uint16_t> usages, std::size_t& count) {
    count = 0;
    if (!FPreparsedData)
        return false;
    ULONG length = static_cast<ULONG>(std::min(usages.size(), FUsages.size()));
    if (length == 0)
        return false;
    // The parser only reads the report.
    const NTSTATUS status =
        FApi->HidP_GetUsagesEx(HidP_Input, 0, FUsages.data(), &length, FPreparsedData,
                               reinterpret_cast<PCHAR>(const_cast<std::uint8_t*>(report.data())),
                               static_cast<ULONG>(report.size()));
    if (status != HIDP_STATUS_SUCCESS)
        return false;
    for (ULONG i = 0; i < length; ++i)
        usages[i] = FUsages[i].Usage;
    count = length;
    return true;
}

} // namespace zq::win32

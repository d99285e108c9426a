#include "platform/win32/Win32HidDevice.h"

#include "platform/win32/OverlappedBlock.h"

#include <algorithm>
#include <stdexcept>

#include <winioctl.h>

namespace zq::win32 {

namespace {

// The error of a request that failed; never 0, so a failure is never taken for
// a success.
std::uint32_t FailureCode() {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// The class driver's requests for feature reports (device type keyboard,
// function 100, direct input and direct output).
constexpr DWORD IoctlHidSetFeature =
    CTL_CODE(FILE_DEVICE_KEYBOARD, 100, METHOD_IN_DIRECT, FILE_ANY_ACCESS);
constexpr DWORD IoctlHidGetFeature =
    CTL_CODE(FILE_DEVICE_KEYBOARD, 100, METHOD_OUT_DIRECT, FILE_ANY_ACCESS);

// A feature transfer or write ends within this time or is given up: a stalled
// device costs the main thread a second, not the rest of the run.
constexpr DWORD TransferTimeoutMs = 1000;
// How long a cancelled transfer may take to end before it is left to finish alone.
constexpr DWORD CancelGraceMs = 100;

// A transfer's own buffer, with its block.
struct TransferBlock : OverlappedBlock {
    std::vector<std::uint8_t> Buffer;
};

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
                               bool readable)
    : FApi(std::move(api)), FHandle(std::move(handle)), FReadable(readable) {
    if (FReadable)
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
    return Transfer(IoctlHidSetFeature, report, {});
}

std::uint32_t Win32HidDevice::GetFeature(std::span<std::uint8_t> report) {
    return Transfer(IoctlHidGetFeature, report, report);
}

std::uint32_t Win32HidDevice::Write(std::span<const std::uint8_t> report) {
    return Transfer(0, report, {});
}

std::uint32_t Win32HidDevice::Transfer(DWORD code, std::span<const std::uint8_t> request,
                                       std::span<std::uint8_t> reply) {
    FreeEndedRequests();
    if (request.empty())
        return ERROR_INVALID_PARAMETER;
    // The transfer owns its buffer and event: if it outlives its wait, the system
    // may still write them after the caller's report is gone.
    auto transfer = std::make_unique<TransferBlock>();
    if (!transfer->Done)
        return FailureCode();
    transfer->Buffer.assign(request.begin(), request.end());

    const DWORD size = static_cast<DWORD>(transfer->Buffer.size());
    std::uint8_t* data = transfer->Buffer.data();
    ::SetLastError(0);
    // The class driver takes a feature report to set from the input buffer and
    // returns one from the output buffer; passing the report as both serves both.
    const BOOL done = code == 0
                          ? ::WriteFile(FHandle.Get(), data, size, nullptr, &transfer->Overlapped)
                          : ::DeviceIoControl(FHandle.Get(), code, data, size, data, size, nullptr,
                                              &transfer->Overlapped);
    if (!done && ::GetLastError() != ERROR_IO_PENDING)
        return FailureCode();

    if (!transfer->WaitEnded(TransferTimeoutMs)) {
        // A device that does not answer must not hold the caller for ever.
        ::CancelIoEx(FHandle.Get(), &transfer->Overlapped);
        if (!transfer->WaitEnded(CancelGraceMs))
            KeepUntilEnded(std::move(transfer));
        return ERROR_SEM_TIMEOUT;
    }
    DWORD transferred = 0;
    if (!::GetOverlappedResult(FHandle.Get(), &transfer->Overlapped, &transferred, FALSE))
        return FailureCode();
    if (code == 0 && transferred != size)
        return ERROR_GEN_FAILURE;
    // A reply shorter than the report leaves the rest zero, never stale bytes.
    if (!reply.empty()) {
        std::fill(reply.begin(), reply.end(), 0);
        std::copy_n(transfer->Buffer.begin(), std::min<std::size_t>(transferred, reply.size()),
                    reply.begin());
    }
    return 0;
}

std::uint32_t Win32HidDevice::StartRead(std::span<std::uint8_t> buffer) {
    if (!FReadable || !FReadEvent || FReadPending)
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

#include "hid/TuiHidDeviceReadThread.h"

#include "hid/ButtonUsages.h"
#include "hid/TuiHIDData.h"

#include <algorithm>
#include <array>
#include <exception>
#include <stdexcept>

namespace zq {

namespace {

constexpr char16_t DeviceNotConnectedLine[] = u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++";

// A read that ends without a report is issued again after a pause that doubles
// with each failure in a row, up to a second, so a device that keeps failing
// reads cannot make the reader spin; a report brings it back to the shortest.
constexpr std::uint32_t FirstRetryPauseMs = 1;
constexpr std::uint32_t LongestRetryPauseMs = 1000;

// A read that ends this way means the interface is gone: the system says "not
// connected" or "aborted", some class drivers "access denied".
bool Removed(std::uint32_t error) {
    return error == HidError::OperationAborted || error == HidError::DeviceNotConnected ||
           error == HidError::AccessDenied;
}

} // namespace

TuiHidDeviceReadThread::TuiHidDeviceReadThread(TuiHIDData& AHIDData, std::u16string ADeviceID,
                                               std::u16string ADevicePath,
                                               std::shared_ptr<const TReaderGeneration> generation)
    : FHIDData(AHIDData), FDeviceID(std::move(ADeviceID)), FDevicePath(std::move(ADevicePath)),
      FGeneration(std::move(generation)) {
    FDeviceHandle = FHIDData.FPlatform.Hid.Open(FDevicePath, true);
    if (FDeviceHandle)
        if (const auto caps = FDeviceHandle->Caps())
            FInputReportLength = caps->InputReportByteLength;
    FReport.assign(static_cast<std::size_t>(FInputReportLength), 0);
    FDeliverReport = [this] { DeliverReport(); };
    FThread = std::thread([this] { Execute(); });
}

TuiHidDeviceReadThread::~TuiHidDeviceReadThread() {
    if (FThread.joinable())
        FThread.join();
}

bool TuiHidDeviceReadThread::IsCurrentThreadInside() const {
    const auto self = std::this_thread::get_id();
    return FThread.get_id() == self || FDeliveringThread.load() == self;
}

bool TuiHidDeviceReadThread::Terminated() const {
    return FGeneration->StopReadEvent->IsSet() || FGeneration->Cancel->IsCancelled();
}

void TuiHidDeviceReadThread::Execute() {
    ReadLoop();
    FFinished.store(true, std::memory_order_release);
    // The handle closes here, on the reader's thread, as soon as reading ends.
    FDeviceHandle.reset();
}

void TuiHidDeviceReadThread::ReadLoop() {
    if (!FDeviceHandle)
        return; // the first read would fail with an invalid handle
    IHidStopSignal& stop = *FGeneration->StopReadEvent;
    std::uint32_t retryPauseMs = FirstRetryPauseMs;
    while (!Terminated()) {
        std::fill(FReport.begin(), FReport.end(), 0);
        const std::uint32_t started = FDeviceHandle->StartRead(FReport);
        if (started == HidError::InvalidHandle || Removed(started))
            return;
        if (started != HidError::Success && started != HidError::IoPending) {
            // No read is under way and none ever will be (for instance when the
            // collection's report length is unknown): wait to be stopped.
            stop.Wait(InfiniteWait);
            return;
        }

        const HidReadResult result = FDeviceHandle->WaitRead(stop);
        if (result.Status != HidReadStatus::Completed)
            return; // stopped; the cancelled read has ended
        if (result.Error == HidError::Success && result.BytesRead > 0) {
            NumBytesRead = result.BytesRead;
            retryPauseMs = FirstRetryPauseMs;
            if (!Terminated())
                Deliver();
            continue;
        }
        if (Removed(result.Error)) {
            DeviceNotConnected();
            return;
        }
        // An empty or failed read: nothing to deliver, the next read follows.
        if (stop.Wait(retryPauseMs))
            return;
        retryPauseMs = std::min(retryPauseMs * 2, LongestRetryPauseMs);
    }
}

void TuiHidDeviceReadThread::Deliver() {
    if (FHIDData.FastOnData()) {
        PassErrorsToLoop(FHIDData.FPlatform.Loop, [this] { DeliverReport(); });
        return;
    }
    // Blocks until the main thread has run the handlers, or until a stop
    // withdraws the request; errors of the handlers stay with the main loop.
    FHIDData.FPlatform.Loop.Synchronize(FDeliverReport, FGeneration->Cancel);
}

void TuiHidDeviceReadThread::DeliverReport() {
    struct Delivering {
        std::atomic<std::thread::id>& Thread;
        explicit Delivering(std::atomic<std::thread::id>& t) : Thread(t) {
            Thread.store(std::this_thread::get_id());
        }
        ~Delivering() { Thread.store(std::thread::id()); }
    } delivering(FDeliveringThread);

    if (FHIDData.OnData)
        FHIDData.OnData(FDeviceID, FDevicePath, FReport[0], FReport.data() + 1,
                        static_cast<std::uint16_t>(NumBytesRead - 1));
    if (FHIDData.OnParsedData) {
        const std::uint32_t buttonData = ParseButtonUsages();
        FHIDData.OnParsedData(FDeviceID, FDevicePath, FReport[0], buttonData);
    }
}

std::uint32_t TuiHidDeviceReadThread::ParseButtonUsages() {
    std::lock_guard lock(FHIDData.FParseLock);
    // Collections with longer usage lists than the lists hold are read up to it.
    const std::size_t n =
        std::min<std::size_t>(FDeviceHandle->MaxInputUsageListLength(), MaxButtonUsages);
    if (n == 0)
        return 0;
    std::array<std::uint16_t, MaxButtonUsages> current{}, released{}, pressed{};
    std::size_t count = 0;
    if (!FDeviceHandle->GetInputUsages(FReport, std::span(current.data(), n), count))
        return 0;
    auto& previous = FHIDData.FPreviousButtonUsages;
    UsageListDifference(previous, current, released, pressed, n);
    std::copy_n(current.begin(), n, previous.begin());
    return ButtonDataFromDifference(released, pressed);
}

void TuiHidDeviceReadThread::DeviceNotConnected() {
    FHIDData.FPlatform.System.DebugOutput(DeviceNotConnectedLine);
    if (!FHIDData.OnDeviceNotConnected)
        return;
    PassErrorsToLoop(FHIDData.FPlatform.Loop,
                     [this] { FHIDData.OnDeviceNotConnected(FDeviceID, FDevicePath); });
}

} // namespace zq

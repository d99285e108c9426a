#include "driver/TuiSTDCommand.h"

#include "platform/DeviceSetup.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <stdexcept>

namespace zq {

namespace {

constexpr char16_t DeviceListSection[] = u"devicelist";
constexpr char16_t UsbDeviceListSection[] = u"usbdevicelist";
// Control devices are opened in the device namespace.
constexpr char16_t DeviceNamespace[] = u"\\\\.\\";
// How long a stop waits for a cancelled read to end before it lets go of it: a
// driver that completes its requests only when the handle closes must not hold
// the main thread.
constexpr std::uint32_t CancelWaitMs = 500;
// A read that ends without data is followed by this pause before the partner's
// turn, so a driver that answers every read at once with nothing cannot keep
// the two workers busy.
constexpr std::uint32_t EmptyReadPauseMs = 1;

DriverInstallation ReadInstallation(Platform& platform) {
    const auto ini = OpenConfigFile(platform.Ini, platform.System);
    auto hidList = ReadIdentifierList(*ini, DeviceListSection);
    auto usbList = ReadIdentifierList(*ini, UsbDeviceListSection);
    return DriverInstallation(platform.Setup, platform.System, ReadDriverInfo(*ini),
                              std::move(hidList), std::move(usbList));
}

} // namespace

TuiSTDCommand::TuiSTDCommand(Platform& platform)
    : FPlatform(platform), FDriver(platform.Driver),
      FTimerToStartMonitor(platform.Loop, StartDelayMs, false), FGlobalEvent(FDriver.NewEvent()),
      FGlobalDataEvent1(FDriver.NewEvent()), FGlobalDataEvent2(FDriver.NewEvent()),
      FUSBGuid(HidSetupClassGuid), FInstallation(ReadInstallation(platform)),
      FDevicePath(DeviceNamespace + FInstallation.DriverInfo().DeviceName),
      FHidGuid(platform.Hid.InterfaceClass()) {
    FTimerToStartMonitor.OnTimer = [this] { TimerToStartMonitorTimer(); };
    FHIDEvent = std::make_unique<TuiHIDEvent>(platform);
    FHIDEvent->OnDeviceArrival = [this](TuiHIDEvent& Sender) { HIDEventDeviceArrival(Sender); };
    FHIDEvent->OnDeviceRemove = [this](TuiHIDEvent& Sender) { HIDEventDeviceRemove(Sender); };
}

TuiSTDCommand::~TuiSTDCommand() {
    // No notification or restart reaches the component from here on.
    FHIDEvent.reset();
    FTimerToStartMonitor.SetEnabled(false);
    // The workers are waited for (a pending read is cancelled and ends first), so
    // nothing needs a pause for them to notice the stop.
    StopWorkers();
}

std::uint32_t TuiSTDCommand::DeviceRW(std::uint8_t* Buffer, std::int32_t Count,
                                      std::uint32_t IoControlCode) {
    if (Count < 0 || (Count > 0 && Buffer == nullptr))
        return ERROR_INVALID_PARAMETER_;
    try {
        // Every request opens and closes the device.
        const auto device = FDriver.Open(FDevicePath);
        if (!device)
            return ERROR_NOT_READY_;
        const auto size = static_cast<std::uint32_t>(Count);
        std::uint32_t returned = 0;
        return device->Control(IoControlCode, Buffer, size, Buffer, size, returned);
    } catch (...) {
        // No result came back, so the request cannot count as sent.
        return ERROR_GEN_FAILURE_;
    }
}

bool TuiSTDCommand::SetDeviceInitData(const std::uint8_t* DeviceInitData,
                                      std::uint32_t DeviceInitDataSize,
                                      std::uint32_t DeviceInitIoControlCode,
                                      std::uint32_t ReadIoControlCode,
                                      std::int32_t AInputReportLength,
                                      std::int32_t AOutputReportLength) {
    if (DeviceInitDataSize == 0)
        return false;
    // The init data goes out through DeviceRW, whose size is a signed 32-bit
    // count, and the reads go into the workers' buffers: what does not fit is
    // refused rather than cut.
    const bool fits = DeviceInitData != nullptr &&
                      DeviceInitDataSize <=
                          static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) &&
                      AInputReportLength >= 0 && AInputReportLength <= MaxReportLength &&
                      AOutputReportLength >= 0 && AOutputReportLength <= MaxReportLength;
    if (!fits)
        return false;
    FDeviceInitData.assign(DeviceInitData, DeviceInitData + DeviceInitDataSize);
    FDeviceDataInitIOCode = DeviceInitIoControlCode;
    std::lock_guard lock(FReadParamsLock);
    FReadIOCode = ReadIoControlCode;
    FInputReportLength = static_cast<std::uint32_t>(AInputReportLength);
    FOutputReportLength = static_cast<std::uint32_t>(AOutputReportLength);
    return true;
}

void TuiSTDCommand::SetMonitorData() {
    SendDeviceInitData();
}

bool TuiSTDCommand::SetMonitorData(const std::uint8_t* DeviceInitData,
                                   std::uint32_t DeviceInitDataSize,
                                   std::uint32_t DeviceInitIoControlCode,
                                   std::uint32_t ReadIoControlCode, std::int32_t AInputReportLength,
                                   std::int32_t AOutputReportLength) {
    if (!SetDeviceInitData(DeviceInitData, DeviceInitDataSize, DeviceInitIoControlCode,
                           ReadIoControlCode, AInputReportLength, AOutputReportLength))
        return false;
    SendDeviceInitData();
    return true;
}

void TuiSTDCommand::SendDeviceInitData() {
    if (FDeviceInitData.empty())
        return;
    // The driver's reply lands in a copy: the stored data goes out unchanged on
    // every start.
    std::vector<std::uint8_t> buffer = FDeviceInitData;
    DeviceRW(buffer.data(), static_cast<std::int32_t>(buffer.size()), FDeviceDataInitIOCode);
}

bool TuiSTDCommand::GetIsDeviceExist() {
    try {
        return FDriver.Open(FDevicePath) != nullptr;
    } catch (...) {
        return false;
    }
}

const std::vector<std::u16string>& TuiSTDCommand::GetHIDDeviceList() const {
    return FInstallation.HidDeviceList();
}

const std::vector<std::u16string>& TuiSTDCommand::GetUSBDeviceList() const {
    return FInstallation.UsbDeviceList();
}

bool TuiSTDCommand::HardwareIdsInConfigHidList(
    const std::vector<std::u16string>& strHardwareIDs) const {
    return FInstallation.HardwareIdsInConfigHidList(strHardwareIDs);
}

bool TuiSTDCommand::HardwareIdsInConfigUsbList(
    const std::vector<std::u16string>& strHardwareIDs) const {
    return FInstallation.HardwareIdsInConfigUsbList(strHardwareIDs);
}

bool TuiSTDCommand::IsHIDDeviceExist() {
    return FInstallation.IsHIDDeviceExist();
}

bool TuiSTDCommand::ISHIDDeviceExist(const std::u16string& VidPid) {
    return FInstallation.ISHIDDeviceExist(VidPid);
}

void TuiSTDCommand::HidInstallDriver(bool Install) {
    FInstallation.HidInstallDriver(Install);
}

std::uint32_t TuiSTDCommand::ReadIOCode() const {
    std::lock_guard lock(FReadParamsLock);
    return FReadIOCode;
}

void TuiSTDCommand::SetReadIOCode(std::uint32_t value) {
    std::lock_guard lock(FReadParamsLock);
    FReadIOCode = value;
}

void TuiSTDCommand::RestartMonitor(bool Start) {
    if (FDeviceInitData.empty())
        return;
    if (FActive.load())
        StopWorkers();
    if (!Start)
        return;
    std::shared_ptr<IDriverReadDevice> read = FDriver.OpenOverlapped(FDevicePath);
    if (!read)
        return; // the loop stays disarmed
    FHidOverlappedRead = std::move(read);
    FActive.store(true);
    SendDeviceInitData();
    FGlobalDataEvent1->Reset();
    FGlobalDataEvent2->Reset();
    FGlobalEvent->Reset();
    FGlobalDataEvent1->Set(); // worker 1 takes the first turn
    for (TMonitorWorker* worker : {&FIdThreadComponentGetData1, &FIdThreadComponentGetData2})
        if (worker->Terminated())
            worker->Start(
                [this, worker, device = FHidOverlappedRead] { MonitorWorkerRun(*worker, device); });
}

void TuiSTDCommand::StopWorkers() {
    // The stop first: a pending read is cancelled and every wait ends, so the
    // workers return and let go of the read handle before it closes.
    FGlobalEvent->Set();
    FActive.store(false);
    for (TMonitorWorker* worker : {&FIdThreadComponentGetData1, &FIdThreadComponentGetData2}) {
        if (!worker->Terminated())
            worker->Terminate();
        worker->WaitFor();
    }
    FHidOverlappedRead.reset();
}

void TuiSTDCommand::MonitorWorkerRun(TMonitorWorker& Sender,
                                     const std::shared_ptr<IDriverReadDevice>& device) {
    PassErrorsToLoop(FPlatform.Loop, [&] { MonitorLoop(Sender, *device); });
    Sender.Terminate();
}

void TuiSTDCommand::MonitorLoop(TMonitorWorker& Sender, IDriverReadDevice& device) {
    const bool first = &Sender == &FIdThreadComponentGetData1;
    IDriverEvent& ownTurn = first ? *FGlobalDataEvent1 : *FGlobalDataEvent2;
    IDriverEvent& partnerTurn = first ? *FGlobalDataEvent2 : *FGlobalDataEvent1;
    // The turn first: when both are set, the turn counts.
    IDriverEvent* const waitFor[] = {&ownTurn, FGlobalEvent.get()};
    IDriverEvent* const stopOnly[] = {FGlobalEvent.get()};
    while (FActive.load() || !Sender.TerminateRequested()) {
        if (FDriver.WaitForAny(waitFor, DriverWaitForever) != 0)
            return; // stopped (or the wait failed, which nothing else would end)
        ownTurn.Reset();
        std::uint32_t byteCount = 0;
        if (ReadMonitorBlock(Sender, device, byteCount) != 0)
            return; // the partner keeps waiting for its turn or the stop
        if (byteCount == 0 && FDriver.WaitForAny(stopOnly, EmptyReadPauseMs) == 0)
            return; // stopped during the pause
        // The partner reads the next block into its own buffers while this one
        // is handed on.
        partnerTurn.Set();
        if (byteCount == 0 || !OnDataReceived)
            continue;
        PassErrorsToLoop(FPlatform.Loop, [&] { OnDataReceived(Sender.OutputBuffer(), byteCount); });
    }
}

std::uint32_t TuiSTDCommand::ReadMonitorBlock(TMonitorWorker& Sender, IDriverReadDevice& device,
                                              std::uint32_t& byteCount) {
    byteCount = 0;
    std::uint32_t code, inputLength, outputLength;
    {
        std::lock_guard lock(FReadParamsLock);
        code = FReadIOCode;
        inputLength = FInputReportLength;
        outputLength = FOutputReportLength;
    }
    const std::uint32_t started = device.StartRequest(code, Sender.InputBuffer(), inputLength,
                                                      Sender.OutputBuffer(), outputLength);
    if (started != 0 && started != ERROR_IO_PENDING_)
        return started;
    const DriverRequestResult result = device.WaitRequest(*FGlobalEvent, CancelWaitMs);
    if (result.Status != DriverRequestStatus::Completed)
        return ERROR_IO_PENDING_; // cancelled, and ended or let go
    if (result.Error != 0)
        return result.Error;
    // Never more than the buffer holds, whatever the driver claims.
    byteCount = std::min(result.BytesReturned, outputLength);
    return 0;
}

void TuiSTDCommand::HIDEventDeviceArrival(TuiHIDEvent& Sender) {
    if (OnDeviceArrialEvent)
        OnDeviceArrialEvent(Sender);
    RestartStartTimer();
}

void TuiSTDCommand::HIDEventDeviceRemove(TuiHIDEvent& Sender) {
    if (OnDeviceRemovalEvent)
        OnDeviceRemovalEvent(Sender);
    // The workers end by themselves (a pending read is cancelled); the read
    // handle closes as soon as the last of them has let go of it.
    FGlobalEvent->Set();
    FHidOverlappedRead.reset();
    RestartStartTimer();
}

void TuiSTDCommand::RestartStartTimer() {
    FTimerToStartMonitor.SetEnabled(false);
    FTimerToStartMonitor.SetEnabled(true);
}

void TuiSTDCommand::TimerToStartMonitorTimer() {
    FTimerToStartMonitor.SetEnabled(false);
    StartMonitorDevice();
}

} // namespace zq

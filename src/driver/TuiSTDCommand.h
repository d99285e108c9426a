#pragma once
// The channel to the mouse's filter driver. It opens the driver's control device
// by name for each I/O-control request, whose input and output share one buffer
// (DeviceRW); it can keep two workers reading a stream of data blocks from the
// driver, each block handed to OnDataReceived (the monitor loop), restarted
// 1500 ms after a HID device arrives or goes; and it carries the driver package
// description and the hardware-ID lists from config.ini with which the package
// is installed and the mouse is found.
//
// Every public operation, the notifications and the restart timer run on the
// main thread; the workers run the reads and OnDataReceived.

#include "driver/DriverInstallation.h"
#include "driver/MonitorWorker.h"
#include "hid/TuiHIDEvent.h"
#include "platform/DriverControl.h"
#include "platform/Guid.h"
#include "platform/Platform.h"
#include "platform/Timer.h"
#include "profiles/ConfigFile.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zq {

class TuiSTDCommand {
public:
    using TNotifyEvent = std::function<void(TuiHIDEvent& Sender)>;
    // Buffer holds BufferSize bytes, valid only during the call.
    using TDataReceivedEvent =
        std::function<void(const std::uint8_t* Buffer, std::uint32_t BufferSize)>;

    // Delay of the monitor loop's restart after the last arrival or removal.
    static constexpr std::uint32_t StartDelayMs = 1500;
    // The largest input or output size of a monitor read: the workers' buffers.
    static constexpr std::int32_t MaxReportLength =
        static_cast<std::int32_t>(TMonitorWorker::BufferSize);

    // Reads config.ini ("devicelist", "usbdevicelist", "DEVICE") and creates the
    // timer, the events, the notifier and the two workers, all idle.
    explicit TuiSTDCommand(Platform& platform);
    // Stops the monitor loop and waits for its workers.
    ~TuiSTDCommand();
    TuiSTDCommand(const TuiSTDCommand&) = delete;
    TuiSTDCommand& operator=(const TuiSTDCommand&) = delete;

    // Opens the control device, sends Count bytes of Buffer with the request code
    // and lets the reply overwrite them, and closes the device again. 0 or the
    // system's error code; ERROR_NOT_READY_ (Buffer untouched) when the device
    // cannot be opened, ERROR_INVALID_PARAMETER_ (nothing sent) for a negative
    // Count or a missing buffer. Never throws.
    std::uint32_t DeviceRW(std::uint8_t* Buffer, std::int32_t Count, std::uint32_t IoControlCode);

    // Keeps a copy of the init data, sent to the driver each time the monitor
    // loop starts, and the parameters of the monitor reads. Size 0 changes
    // nothing; so does a report length that is negative or above MaxReportLength,
    // or missing data. True when the data was stored.
    bool SetDeviceInitData(const std::uint8_t* DeviceInitData, std::uint32_t DeviceInitDataSize,
                           std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                           std::int32_t AInputReportLength, std::int32_t AOutputReportLength);
    // Sends the stored init data again (nothing when none is stored).
    void SetMonitorData();
    // SetDeviceInitData, then one send of the new data; nothing at all when it
    // stored nothing. The caller's bytes never change.
    bool SetMonitorData(const std::uint8_t* DeviceInitData, std::uint32_t DeviceInitDataSize,
                        std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                        std::int32_t AInputReportLength, std::int32_t AOutputReportLength);

    // Arm or disarm the monitor loop (nothing while no init data is stored).
    void StartMonitorDevice() { RestartMonitor(true); }
    void StopMonitorDevice() { RestartMonitor(false); }

    // Whether the driver's control device can be opened now.
    bool IsDeviceExist() { return GetIsDeviceExist(); }
    bool GetIsDeviceExist();

    // The lists of config.ini in file order; they belong to the component.
    const std::vector<std::u16string>& GetHIDDeviceList() const;
    const std::vector<std::u16string>& GetUSBDeviceList() const;

    // Installation and presence of the mouse (see DriverInstallation).
    bool HardwareIdsInConfigHidList(const std::vector<std::u16string>& strHardwareIDs) const;
    bool HardwareIdsInConfigUsbList(const std::vector<std::u16string>& strHardwareIDs) const;
    bool IsHIDDeviceExist();
    bool ISHIDDeviceExist(const std::u16string& VidPid);
    void HidInstallDriver(bool Install);

    // Request codes of the monitor loop; WriteIOCode is kept for the component's
    // users and consulted by no operation.
    std::uint32_t ReadIOCode() const;
    void SetReadIOCode(std::uint32_t value);
    std::uint32_t DeviceDataInitIOCode() const { return FDeviceDataInitIOCode; }
    void SetDeviceDataInitIOCode(std::uint32_t value) { FDeviceDataInitIOCode = value; }
    std::uint32_t WriteIOCode() const { return FWriteIOCode; }
    void SetWriteIOCode(std::uint32_t value) { FWriteIOCode = value; }

    const std::u16string& DevicePath() const { return FDevicePath; }
    const TDriverInfo& DriverInfo() const { return FInstallation.DriverInfo(); }
    // The device setup class of HID devices, which the installation walks, and
    // the HID device interface class.
    const Guid& UsbGuid() const { return FUSBGuid; }
    const Guid& HidGuid() const { return FHidGuid; }

    // Raised on the main thread with the notifier as sender.
    TNotifyEvent OnDeviceArrialEvent;
    TNotifyEvent OnDeviceRemovalEvent;
    // Raised on a worker for every non-empty block; both workers may be inside at
    // once. Assign it before the loop starts; it must not touch user-interface
    // objects nor wait for the main thread (stopping the loop waits for it). An
    // error it raises goes to the main loop's error handler.
    TDataReceivedEvent OnDataReceived;

private:
    void RestartMonitor(bool Start);
    void StopWorkers();
    void SendDeviceInitData();
    void MonitorWorkerRun(TMonitorWorker& Sender, const std::shared_ptr<IDriverReadDevice>& device);
    void MonitorLoop(TMonitorWorker& Sender, IDriverReadDevice& device);
    std::uint32_t ReadMonitorBlock(TMonitorWorker& Sender, IDriverReadDevice& device,
                                   std::uint32_t& byteCount);
    void HIDEventDeviceArrival(TuiHIDEvent& Sender);
    void HIDEventDeviceRemove(TuiHIDEvent& Sender);
    void RestartStartTimer();
    void TimerToStartMonitorTimer();

    Platform& FPlatform;
    IDriverControl& FDriver;
    std::atomic<bool> FActive{false};
    Timer FTimerToStartMonitor;
    // Manual reset: the stop of the monitor loop and the turns of the workers.
    const std::unique_ptr<IDriverEvent> FGlobalEvent;
    const std::unique_ptr<IDriverEvent> FGlobalDataEvent1;
    const std::unique_ptr<IDriverEvent> FGlobalDataEvent2;
    const Guid FUSBGuid;
    // The lists and the driver package description of config.ini.
    DriverInstallation FInstallation;
    std::uint32_t FDeviceDataInitIOCode = 0;
    std::uint32_t FWriteIOCode = 0;
    const std::u16string FDevicePath;
    // Shared with the workers: the last one to let go of it closes it, so no
    // worker's request ever meets a closed handle.
    std::shared_ptr<IDriverReadDevice> FHidOverlappedRead;
    // What the workers read with; the main thread may change it while they run.
    mutable std::mutex FReadParamsLock;
    std::uint32_t FReadIOCode = 0;
    std::uint32_t FInputReportLength = 0;
    std::uint32_t FOutputReportLength = 0;
    std::vector<std::uint8_t> FDeviceInitData; // its size is the init data's size
    const Guid FHidGuid;
    std::unique_ptr<TuiHIDEvent> FHIDEvent;
    TMonitorWorker FIdThreadComponentGetData1;
    TMonitorWorker FIdThreadComponentGetData2;
};

} // namespace zq

#pragma once
// Tells its owner when a HID device interface arrives or is removed. A hidden
// top-level window receives the platform's device-interface notifications of the
// HID class; the component also raises one arrival 1500 ms after it is created,
// so its owner's arrival path runs once even when the mouse was plugged in
// before the program started.

#include "platform/DeviceNotifications.h"
#include "platform/Platform.h"
#include "platform/Timer.h"

#include <functional>
#include <memory>
#include <string>

namespace zq {

class TuiHIDEvent {
public:
    using TNotifyEvent = std::function<void(TuiHIDEvent& Sender)>;

    // Creates the window, registers it, posts a first device-change message and
    // starts the start timer.
    explicit TuiHIDEvent(Platform& platform);
    virtual ~TuiHIDEvent();
    TuiHIDEvent(const TuiHIDEvent&) = delete;
    TuiHIDEvent& operator=(const TuiHIDEvent&) = delete;

    TNotifyEvent OnDeviceArrival;
    TNotifyEvent OnDeviceRemove;
    TNotifyEvent OnDeviceChange;

    // Registers the window for the interface class named by UsbGuid; true when
    // the platform accepted it.
    bool RegisterDeviceInterfaceNotification();
    WindowHandle Handle() const { return FWindowHandle ? FWindowHandle->Handle() : 0; }
    const std::u16string& UsbGuid() const { return FUsbGuid; }

    // The start timer's interval.
    static constexpr std::uint32_t StartDelayMs = 1500;

protected:
    // Raises the event that the device-change message names.
    virtual void DoDeviceChange(const DeviceChangeMessage& Message);

private:
    void WndProc(const DeviceChangeMessage& Message);
    void TimerToStartMonitorTimer();

    IMessageLoop& FLoop;
    Timer FTimerToStartMonitor; // before the window, so the window goes first
    std::unique_ptr<IDeviceNotificationWindow> FWindowHandle;
    std::u16string FUsbGuid;
};

} // namespace zq

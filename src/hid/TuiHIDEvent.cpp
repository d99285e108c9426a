#include "hid/TuiHIDEvent.h"

#include "platform/Guid.h"

#include <exception>

namespace zq {

namespace {
// The HID device-interface class, in the form the component keeps it.
constexpr char16_t HidInterfaceClassText[] = u"{4d1e55b2-f16f-11cf-88cb-001111000030}";
// The second parameter of the device-change message the component posts itself.
constexpr LParam PostedChangeData = 0xFFFFFFFF;
} // namespace

TuiHIDEvent::TuiHIDEvent(Platform& platform)
    : FLoop(platform.Loop), FTimerToStartMonitor(platform.Loop, StartDelayMs, false) {
    FWindowHandle = platform.DeviceNotifications.CreateNotificationWindow(
        [this](const DeviceChangeMessage& message) { WndProc(message); });
    if (FUsbGuid.empty())
        FUsbGuid = HidInterfaceClassText;
    RegisterDeviceInterfaceNotification();
    FTimerToStartMonitor.OnTimer = [this] { TimerToStartMonitorTimer(); };
    FTimerToStartMonitor.SetEnabled(true);
}

TuiHIDEvent::~TuiHIDEvent() {
    // The window goes first: no notification reaches a half-destroyed component.
    FWindowHandle.reset();
}

bool TuiHIDEvent::RegisterDeviceInterfaceNotification() {
    if (!FWindowHandle)
        return false;
    const auto usbClass = ParseGuid(FUsbGuid);
    const bool registered =
        usbClass && FWindowHandle->RegisterDeviceInterfaceNotification(*usbClass);
    FWindowHandle->PostDeviceChange(DBT_DEVNODES_CHANGED_, PostedChangeData);
    return registered;
}

void TuiHIDEvent::TimerToStartMonitorTimer() {
    FTimerToStartMonitor.SetEnabled(false);
    if (OnDeviceArrival)
        OnDeviceArrival(*this);
}

void TuiHIDEvent::WndProc(const DeviceChangeMessage& Message) {
    // The message arrives through the window manager, which no error may cross:
    // an error of a handler goes to the loop's error handler, and the component
    // keeps working.
    try {
        DoDeviceChange(Message);
    } catch (...) {
        FLoop.Post([error = std::current_exception()] { std::rethrow_exception(error); });
    }
}

void TuiHIDEvent::DoDeviceChange(const DeviceChangeMessage& Message) {
    const bool deviceInterface = Message.DeviceType == DBT_DEVTYP_DEVICEINTERFACE_;
    switch (Message.Event) {
    case DBT_DEVICEARRIVAL_:
        if (deviceInterface && OnDeviceArrival)
            OnDeviceArrival(*this);
        break;
    case DBT_DEVICEREMOVECOMPLETE_:
        if (deviceInterface && OnDeviceRemove)
            OnDeviceRemove(*this);
        break;
    case DBT_DEVNODES_CHANGED_:
        if (OnDeviceChange)
            OnDeviceChange(*this);
        break;
    default:
        break;
    }
}

} // namespace zq

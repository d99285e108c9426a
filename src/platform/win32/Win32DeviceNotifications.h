#pragma once
// Device-change notifications on Windows: a hidden top-level window (so that
// broadcasts reach it) registered with RegisterDeviceNotificationW.

#include "platform/DeviceNotifications.h"

namespace zq::win32 {

class Win32DeviceNotifications : public IDeviceNotifications {
public:
    std::unique_ptr<IDeviceNotificationWindow>
    CreateNotificationWindow(DeviceChangeHandler handler) override;
};

} // namespace zq::win32

#pragma once
// Notifications of device-interface arrival and removal, delivered to a hidden
// top-level window of the program on the main thread.

#include "platform/Guid.h"
#include "platform/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace zq {

// Events of the device-change message (its first parameter).
inline constexpr std::uint32_t DBT_DEVNODES_CHANGED_ = 0x0007;
inline constexpr std::uint32_t DBT_DEVICEARRIVAL_ = 0x8000;
inline constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE_ = 0x8004;
// Device type of a broadcast record that names a device interface.
inline constexpr std::uint32_t DBT_DEVTYP_DEVICEINTERFACE_ = 5;
// The device-change window message.
inline constexpr std::uint32_t WM_DEVICECHANGE_ = 0x0219;

struct DeviceChangeMessage {
    std::uint32_t Event = 0; // first parameter
    LParam Data = 0;         // second parameter as the platform gave it
    // The device type of the broadcast record that Data points to, read by the
    // platform for arrival and removal events that carry one.
    std::optional<std::uint32_t> DeviceType;
};

using DeviceChangeHandler = std::function<void(const DeviceChangeMessage&)>;

// A hidden top-level window (top-level, so that broadcasts reach it) that hands
// every device-change message to its handler. Destroying it ends the
// notifications, registrations included.
class IDeviceNotificationWindow {
public:
    virtual ~IDeviceNotificationWindow() = default;
    virtual WindowHandle Handle() const = 0;
    // Asks for arrival and removal notifications of interfaces of the class;
    // false when the platform refused.
    virtual bool RegisterDeviceInterfaceNotification(const Guid& interfaceClass) = 0;
    // Queues a device-change message for the window itself.
    virtual bool PostDeviceChange(std::uint32_t event, LParam data) = 0;
};

class IDeviceNotifications {
public:
    virtual ~IDeviceNotifications() = default;
    virtual std::unique_ptr<IDeviceNotificationWindow>
    CreateNotificationWindow(DeviceChangeHandler handler) = 0;
};

} // namespace zq

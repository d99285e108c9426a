#pragma once
// Device-change notifications in the simulated world: plugging and unplugging a
// simulated mouse broadcasts what the platform would, through the loop, to the
// notification windows that exist when the loop gets to them.

#include "platform/DeviceNotifications.h"
#include "platform/sim/SimLoop.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zq::sim {

class SimDeviceNotifications : public IDeviceNotifications {
public:
    explicit SimDeviceNotifications(SimLoop& loop);
    SimDeviceNotifications(const SimDeviceNotifications&) = delete;
    SimDeviceNotifications& operator=(const SimDeviceNotifications&) = delete;

    std::unique_ptr<IDeviceNotificationWindow>
    CreateNotificationWindow(DeviceChangeHandler handler) override;

    // What the platform broadcasts (thread-safe). A device-interface event goes to
    // the windows registered for its class, any other one to every window.
    void BroadcastInterfaceEvent(std::uint32_t event, const Guid& interfaceClass);
    void Broadcast(std::uint32_t event, std::optional<std::uint32_t> deviceType);

    // Rejects the registrations made from now on.
    void SetRegistrationFails(bool fails);
    std::size_t WindowCount() const;

private:
    class Window;
    friend class Window;
    struct Entry {
        DeviceChangeHandler Handler;
        std::vector<Guid> Classes;
    };

    void PostTo(WindowHandle window, DeviceChangeMessage message);

    SimLoop& FLoop;
    mutable std::mutex FMutex;
    std::map<WindowHandle, Entry> FWindows;
    WindowHandle FNextHandle = 0x30010;
    bool FRegistrationFails = false;
};

} // namespace zq::sim

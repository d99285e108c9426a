#include "platform/sim/SimDeviceNotifications.h"

namespace zq::sim {

class SimDeviceNotifications::Window : public IDeviceNotificationWindow {
public:
    Window(SimDeviceNotifications& owner, WindowHandle handle) : FOwner(owner), FHandle(handle) {}
    ~Window() override {
        std::lock_guard lock(FOwner.FMutex);
        FOwner.FWindows.erase(FHandle);
    }

    WindowHandle Handle() const override { return FHandle; }

    bool RegisterDeviceInterfaceNotification(const Guid& interfaceClass) override {
        std::lock_guard lock(FOwner.FMutex);
        if (FOwner.FRegistrationFails)
            return false;
        FOwner.FWindows[FHandle].Classes.push_back(interfaceClass);
        return true;
    }

    bool PostDeviceChange(std::uint32_t event, LParam data) override {
        FOwner.PostTo(FHandle, DeviceChangeMessage{event, data, std::nullopt});
        return true;
    }

private:
    SimDeviceNotifications& FOwner;
    WindowHandle FHandle;
};

SimDeviceNotifications::SimDeviceNotifications(SimLoop& loop) : FLoop(loop) {}

std::unique_ptr<IDeviceNotificationWindow>
SimDeviceNotifications::CreateNotificationWindow(DeviceChangeHandler handler) {
    std::lock_guard lock(FMutex);
    const WindowHandle handle = FNextHandle++;
    FWindows[handle] = Entry{std::move(handler), {}};
    return std::make_unique<Window>(*this, handle);
}

void SimDeviceNotifications::BroadcastInterfaceEvent(std::uint32_t event,
                                                     const Guid& interfaceClass) {
    std::vector<WindowHandle> targets;
    {
        std::lock_guard lock(FMutex);
        for (const auto& [handle, entry] : FWindows)
            for (const auto& registered : entry.Classes)
                if (registered == interfaceClass) {
                    targets.push_back(handle);
                    break;
                }
    }
    for (const WindowHandle window : targets)
        PostTo(window, DeviceChangeMessage{event, 0, DBT_DEVTYP_DEVICEINTERFACE_});
}

void SimDeviceNotifications::Broadcast(std::uint32_t event,
                                       std::optional<std::uint32_t> deviceType) {
    std::vector<WindowHandle> targets;
    {
        std::lock_guard lock(FMutex);
        for (const auto& [handle, entry] : FWindows)
            targets.push_back(handle);
    }
    for (const WindowHandle window : targets)
        PostTo(window, DeviceChangeMessage{event, 0, deviceType});
}

void SimDeviceNotifications::SetRegistrationFails(bool fails) {
    std::lock_guard lock(FMutex);
    FRegistrationFails = fails;
}

std::size_t SimDeviceNotifications::WindowCount() const {
    std::lock_guard lock(FMutex);
    return FWindows.size();
}

void SimDeviceNotifications::PostTo(WindowHandle window, DeviceChangeMessage message) {
    // The message reaches the handler only if the window still exists when the
    // loop gets to it, as with a destroyed window's queue.
    FLoop.Post([this, window, message] {
        DeviceChangeHandler handler;
        {
            std::lock_guard lock(FMutex);
            const auto it = FWindows.find(window);
            if (it == FWindows.end())
                return;
            handler = it->second.Handler;
        }
        if (handler)
            handler(message);
    });
}

} // namespace zq::sim

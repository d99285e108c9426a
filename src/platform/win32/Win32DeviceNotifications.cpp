#include "platform/win32/Win32DeviceNotifications.h"

#include "platform/win32/ContainErrors.h"
#include "platform/win32/Win32Convert.h"

#include "platform/win32/Handles.h"

#include <dbt.h>

#include <vector>

namespace zq::win32 {

namespace {

constexpr wchar_t NotificationWindowClass[] = L"ZQMON.DeviceNotification";

struct NotificationTraits {
    static HDEVNOTIFY Invalid() { return nullptr; }
    static bool IsValid(HDEVNOTIFY n) { return n != nullptr; }
    static void Close(HDEVNOTIFY n) { ::UnregisterDeviceNotification(n); }
};
using UniqueNotification = UniqueResource<HDEVNOTIFY, NotificationTraits>;

// The platform's filter record: 32 bytes, the name left empty.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

class Win32NotificationWindow : public IDeviceNotificationWindow {
public:
    explicit Win32NotificationWindow(DeviceChangeHandler handler) : FHandler(std::move(handler)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Win32NotificationWindow::WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = NotificationWindowClass;
        ::RegisterClassExW(&wc); // a second window finds the class registered already
        // Top-level and never shown: device broadcasts go to top-level windows.
        FWindow.Reset(::CreateWindowExW(WS_EX_TOOLWINDOW, NotificationWindowClass, L"", WS_POPUP, 0,
                                        0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr));
        if (FWindow)
            ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~Win32NotificationWindow() override {
        FRegistrations.clear();
        if (FWindow)
            ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
    }

    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(FWindow.Get()); }

    bool RegisterDeviceInterfaceNotification(const Guid& interfaceClass) override {
        if (!FWindow)
            return false;
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_reserved = 0;
        filter.dbcc_classguid = ToGuid(interfaceClass);
        UniqueNotification registration(
            ::RegisterDeviceNotificationW(FWindow.Get(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
        if (!registration)
            return false;
        FRegistrations.push_back(std::move(registration));
        return true;
    }

    bool PostDeviceChange(std::uint32_t event, LParam data) override {
        return FWindow && ::PostMessageW(FWindow.Get(), WM_DEVICECHANGE, event, data) != FALSE;
    }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<Win32NotificationWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && msg == WM_DEVICECHANGE) {
            self->DeviceChange(wParam, lParam);
            return TRUE;
        }
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }

    void DeviceChange(WPARAM wParam, LPARAM lParam) {
        DeviceChangeMessage message{static_cast<std::uint32_t>(wParam), lParam, std::nullopt};
        // For these events the second parameter points to a broadcast record.
        if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam != 0)
            message.DeviceType =
                reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam)->dbch_devicetype;
        if (FHandler)
            ContainErrors("ZQMON device change", [&] { FHandler(message); });
    }

    DeviceChangeHandler FHandler;
    UniqueWindow FWindow;
    std::vector<UniqueNotification> FRegistrations; // after the window: released before it
};

} // namespace

std::unique_ptr<IDeviceNotificationWindow>
Win32DeviceNotifications::CreateNotificationWindow(DeviceChangeHandler handler) {
    return std::make_unique<Win32NotificationWindow>(std::move(handler));
}

} // namespace zq::win32

// The least a resident tray program of this kind needs, as a yardstick for the
// monitor's idle cost: a hidden window, a notification-area icon, the default
// recording device's volume control opened, then an idle message loop. Built
// the way ZQMON.EXE is (same compiler, flags and static runtime). Its hidden
// window (class ZQBENCHBASELINE) is titled "ready" once all of that is done, or
// says what failed. Ends at WM_CLOSE or when killed.

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <objbase.h>
#include <shellapi.h>

#include <iterator>

namespace {

constexpr GUID ClsidMMDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
constexpr GUID IidIMMDeviceEnumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
constexpr GUID IidIAudioEndpointVolume = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

// One reference of a COM interface, released at the end of its scope.
template <typename T> class Com {
public:
    Com() = default;
    ~Com() {
        if (FPtr)
            FPtr->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    T** Put() { return &FPtr; }
    void** PutVoid() { return reinterpret_cast<void**>(&FPtr); }

private:
    T* FPtr = nullptr;
};

class ComApartment {
public:
    ComApartment() : FOk(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (FOk)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool FOk;
};

class TrayWindow {
public:
    TrayWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TrayWindow::WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZQBENCHBASELINE";
        ::RegisterClassExW(&wc);
        FWindow = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, wc.hInstance, nullptr);
        NOTIFYICONDATAW data = IconData();
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_APP + 1;
        data.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
        lstrcpynW(data.szTip, L"baseline", static_cast<int>(std::size(data.szTip)));
        FIconAdded = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    }
    ~TrayWindow() {
        if (FIconAdded) {
            NOTIFYICONDATAW data = IconData();
            ::Shell_NotifyIconW(NIM_DELETE, &data);
        }
        if (FWindow)
            ::DestroyWindow(FWindow);
    }
    TrayWindow(const TrayWindow&) = delete;
    TrayWindow& operator=(const TrayWindow&) = delete;

    bool IconAdded() const { return FIconAdded; }
    // The window's title tells the measuring host whether the yardstick is whole.
    void SetStatus(const wchar_t* status) const { ::SetWindowTextW(FWindow, status); }

private:
    NOTIFYICONDATAW IconData() const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = FWindow;
        data.uID = 1;
        return data;
    }
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_CLOSE) {
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }

    HWND FWindow = nullptr;
    bool FIconAdded = false;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ComApartment apartment;
    TrayWindow tray;
    Com<IMMDeviceEnumerator> enumerator;
    Com<IMMDevice> device;
    Com<IAudioEndpointVolume> volume;
    if (SUCCEEDED(::CoCreateInstance(ClsidMMDeviceEnumerator, nullptr, CLSCTX_ALL,
                                     IidIMMDeviceEnumerator, enumerator.PutVoid())) &&
        SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, device.Put())))
        device->Activate(IidIAudioEndpointVolume, CLSCTX_ALL, nullptr, volume.PutVoid());
    tray.SetStatus(!tray.IconAdded() ? L"no tray icon"
                   : !volume         ? L"no capture endpoint"
                                     : L"ready");
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

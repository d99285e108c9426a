#include "platform/win32/Win32TrayIcon.h"
#include "platform/TrayIconMark.h"
#include "platform/win32/ContainErrors.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace zq::win32 {

namespace {
constexpr UINT_PTR RetryTimer = 1;
constexpr UINT RetryIntervalMs = 2000;
constexpr UINT IconId = 1;
} // namespace

Win32TrayIcon::Win32TrayIcon() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Win32TrayIcon::WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = TrayWindowClassName;
    ::RegisterClassExW(&wc);
    FTaskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    FWindow.Reset(::CreateWindowExW(WS_EX_TOOLWINDOW, TrayWindowClassName, L"", WS_POPUP, 0, 0, 0,
                                    0, nullptr, nullptr, wc.hInstance, nullptr));
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The program's icon at the notification area's size, so the area draws it
    // (and its muted form) pixel for pixel rather than scaled down.
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    FOwnIcon.Reset(static_cast<HICON>(
        ::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
    FIcon = FOwnIcon.Get();
    if (!FIcon)
        FIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    Place();
}

Win32TrayIcon::~Win32TrayIcon() {
    FPlacement.Remove();
    ::KillTimer(FWindow.Get(), RetryTimer);
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

bool Win32TrayIcon::SetIconFromFile(const std::filesystem::path& file) {
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    UniqueIcon icon(static_cast<HICON>(
        ::LoadImageW(nullptr, file.wstring().c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    if (!icon)
        return false;
    FOwnIcon = std::move(icon);
    FIcon = FOwnIcon.Get();
    FMutedIcon.Reset();
    if (FForm == TrayIconForm::MicrophoneMuted)
        FMutedIcon = MakeMutedIcon(FIcon);
    FPlacement.Update();
    return true;
}

void Win32TrayIcon::SetLook(TrayIconForm form, const std::u16string& hint) {
    if (form == FForm && hint == FHint)
        return;
    FForm = form;
    FHint = hint;
    if (FForm == TrayIconForm::MicrophoneMuted && !FMutedIcon)
        FMutedIcon = MakeMutedIcon(FIcon);
    FPlacement.Update();
}

void Win32TrayIcon::ShowNotice(const std::u16string& title, const std::u16string& text) {
    if (!FPlacement.Shown())
        return;
    NOTIFYICONDATAW data = Data(NIF_INFO);
    const std::wstring wideTitle = Wide(title.substr(0, std::size(data.szInfoTitle) - 1));
    const std::wstring wideText = Wide(text.substr(0, std::size(data.szInfo) - 1));
    std::copy(wideTitle.begin(), wideTitle.end(), data.szInfoTitle);
    std::copy(wideText.begin(), wideText.end(), data.szInfo);
    data.dwInfoFlags = NIIF_INFO;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32TrayIcon::SetMenuCaption(std::size_t index, const std::u16string& caption) {
    if (index < FMenu.size())
        FMenu[index].Caption = caption;
}

NOTIFYICONDATAW Win32TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = FWindow.Get();
    data.uID = IconId;
    data.uFlags = flags;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = FForm == TrayIconForm::MicrophoneMuted && FMutedIcon ? FMutedIcon.Get() : FIcon;
    const std::wstring tip = Wide(FHint.substr(0, std::size(data.szTip) - 1));
    std::copy(tip.begin(), tip.end(), data.szTip);
    return data;
}

bool Win32TrayIcon::Add() {
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool Win32TrayIcon::Modify() {
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool Win32TrayIcon::Delete() {
    NOTIFYICONDATAW data = Data(0);
    return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

void Win32TrayIcon::Place() {
    // A shell that is not running yet is no error: try again a little later (and
    // at "TaskbarCreated").
    if (FPlacement.Place())
        ::KillTimer(FWindow.Get(), RetryTimer);
    else
        ::SetTimer(FWindow.Get(), RetryTimer, RetryIntervalMs, nullptr);
}

void Win32TrayIcon::ShowMenu() {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    for (std::size_t i = 0; i < FMenu.size(); ++i)
        if (FMenu[i].Visible)
            ::AppendMenuW(menu.Get(), MF_STRING, i + 1, Wide(FMenu[i].Caption).c_str());
    POINT at{};
    ::GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if our window is in
    // the foreground while it is open. The chosen entry comes back as WM_COMMAND.
    ::SetForegroundWindow(FWindow.Get());
    ::TrackPopupMenuEx(menu.Get(), TPM_RIGHTBUTTON, at.x, at.y, FWindow.Get(), nullptr);
    ::PostMessageW(FWindow.Get(), WM_NULL, 0, 0);
}

void Win32TrayIcon::Choose(std::size_t id) {
    // Only a visible entry can be chosen.
    if (id >= 1 && id <= FMenu.size() && FMenu[id - 1].Visible && OnMenuItem)
        OnMenuItem(id - 1);
}

LRESULT Win32TrayIcon::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TrayCallbackMessage) {
        switch (LOWORD(lParam)) {
        case WM_LBUTTONDBLCLK:
            FInDoubleClick = true;
            break;
        case WM_LBUTTONUP:
            // A double click ends with a second button-up: the same gesture, one click.
            if (std::exchange(FInDoubleClick, false))
                break;
            if (OnClick)
                OnClick();
            break;
        case WM_RBUTTONUP:
            ShowMenu();
            break;
        default:
            break;
        }
        return 0;
    }
    if (msg == WM_COMMAND && HIWORD(wParam) == 0) {
        Choose(LOWORD(wParam));
        return 0;
    }
    if (msg == WM_TIMER && wParam == RetryTimer) {
        Place();
        return 0;
    }
    if (FTaskbarCreated != 0 && msg == FTaskbarCreated) {
        Place();
        return 0;
    }
    return ::DefWindowProcW(FWindow.Get(), msg, wParam, lParam);
}

UniqueIcon MakeMutedIcon(HICON source) {
    ICONINFO info{};
    if (!source || !::GetIconInfo(source, &info))
        return {};
    const UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
    // A monochrome icon keeps its one form; the hint still tells the state.
    if (!color || !mask)
        return {};
    BITMAP bitmap{};
    if (!::GetObjectW(color.Get(), sizeof(bitmap), &bitmap) || bitmap.bmWidth <= 0 ||
        bitmap.bmHeight <= 0)
        return {};
    const int width = bitmap.bmWidth, height = bitmap.bmHeight;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto format = [&] {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height; // rows top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        return bi;
    };
    std::vector<std::uint32_t> pixels(count), transparent(count);
    const UniqueScreenDc screen(::GetDC(nullptr));
    BITMAPINFO colorFormat = format(), maskFormat = format();
    const bool read = ::GetDIBits(screen.Get(), color.Get(), 0, height, pixels.data(), &colorFormat,
                                  DIB_RGB_COLORS) == height &&
                      ::GetDIBits(screen.Get(), mask.Get(), 0, height, transparent.data(),
                                  &maskFormat, DIB_RGB_COLORS) == height;
    if (!read)
        return {};
    // An icon without an alpha channel takes its transparency from the mask; the
    // new one has alpha throughout, so the mark is drawn opaque over either.
    const bool hasAlpha =
        std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
    if (!hasAlpha)
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = (pixels[i] & 0x00FFFFFF) | ((transparent[i] & 0x00FFFFFF) ? 0 : 0xFF000000);
    DrawMutedMark(pixels, width, height);

    BITMAPINFO newFormat = format();
    void* bits = nullptr;
    UniqueBitmap newColor(
        ::CreateDIBSection(nullptr, &newFormat, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!newColor || !bits)
        return {};
    std::memcpy(bits, pixels.data(), count * sizeof(std::uint32_t));
    // The mask: 1 where the new icon is transparent, rows of whole 16-bit words.
    const std::size_t stride = static_cast<std::size_t>((width + 15) / 16) * 2;
    std::vector<BYTE> maskBits(stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x)] >>
                 24) == 0)
                maskBits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8)] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
    UniqueBitmap newMask(::CreateBitmap(width, height, 1, 1, maskBits.data()));
    if (!newMask)
        return {};
    ICONINFO muted{TRUE, 0, 0, newMask.Get(), newColor.Get()};
    // The icon holds copies of both bitmaps.
    return UniqueIcon(::CreateIconIndirect(&muted));
}

LRESULT CALLBACK Win32TrayIcon::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32TrayIcon*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, msg, wParam, lParam);
    LRESULT result = 0;
    ContainErrors("ZQMON tray icon", [&] { result = self->Handle(msg, wParam, lParam); });
    return result;
}

} // namespace zq::win32

#include "platform/win32/Win32Window.h"
#include "platform/win32/ContainErrors.h"
#include "platform/win32/Win32Convert.h"

#include <string>

namespace zq::win32 {

namespace {

COLORREF ToColor(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

Win32Window::Win32Window(const WindowOptions& options, WindowProc proc)
    : FProc(std::move(proc)), FOptions(options) {
    const std::wstring className = Wide(options.ClassName);
    RegisterWindowClass(className.c_str(), &Win32Window::WndProc, CS_HREDRAW | CS_VREDRAW);
    const DWORD style = options.Popup ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    // A tool window gets no task-bar button.
    const DWORD exStyle = WS_EX_TOOLWINDOW;
    RECT rect{0, 0, options.ClientWidth, options.ClientHeight};
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    const std::wstring title = Wide(options.Title);
    // The window procedure takes ownership of the handle at WM_NCCREATE.
    ::CreateWindowExW(exStyle, className.c_str(), title.c_str(), style, CW_USEDEFAULT,
                      CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                      nullptr, ::GetModuleHandleW(nullptr), this);
}

Win32Window::~Win32Window() {
    if (FWindow)
        ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

void Win32Window::SetTitle(const std::u16string& title) {
    ::SetWindowTextW(FWindow.Get(), Wide(title).c_str());
}

std::u16string Win32Window::Title() const {
    return WindowText(FWindow.Get());
}

void Win32Window::Show() {
    // Centred on the screen's work area each time it is shown.
    RECT window{}, work{};
    ::GetWindowRect(FWindow.Get(), &window);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = window.right - window.left, height = window.bottom - window.top;
    ::SetWindowPos(FWindow.Get(), nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(FWindow.Get(), SW_SHOW);
}

void Win32Window::Hide() {
    ::ShowWindow(FWindow.Get(), SW_HIDE);
}

bool Win32Window::IsVisible() const {
    return ::IsWindowVisible(FWindow.Get()) != FALSE;
}

void Win32Window::BringToForeground() {
    ::SetForegroundWindow(FWindow.Get());
}

void Win32Window::SetScene(const Scene& scene, std::function<void(const std::string&)> onClick) {
    FScene = scene;
    FOnClick = std::move(onClick);
    ::InvalidateRect(FWindow.Get(), nullptr, TRUE);
}

void Win32Window::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(FWindow.Get(), &ps);
    RECT client;
    ::GetClientRect(FWindow.Get(), &client);
    const UniqueBrush background(::CreateSolidBrush(ToColor(FScene.Background)));
    ::FillRect(dc, &client, background.Get());
    ::SetBkMode(dc, TRANSPARENT);
    for (const auto& item : FScene.Items) {
        RECT r{item.X, item.Y, item.X + item.Width, item.Y + item.Height};
        if (item.Kind == SceneItemKind::Button) {
            const UniqueBrush face(::CreateSolidBrush(RGB(0x40, 0x40, 0x40)));
            ::FillRect(dc, &r, face.Get());
            ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        }
        if (item.Text.empty())
            continue;
        UniqueFont font(::CreateFontW(-item.FontSize, 0, 0, 0, item.Bold ? FW_BOLD : FW_NORMAL,
                                      FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                      Wide(item.FontName).c_str()));
        const HGDIOBJ old = ::SelectObject(dc, font.Get());
        ::SetTextColor(dc, ToColor(item.Color));
        const std::wstring text = Wide(item.Text);
        const UINT align = item.Align == SceneAlign::Center ? DT_CENTER : DT_LEFT;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                    align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, old);
    }
    ::EndPaint(FWindow.Get(), &ps);
}

void Win32Window::Click(int x, int y) {
    for (const auto& item : FScene.Items) {
        if (item.Kind == SceneItemKind::Button && x >= item.X && x < item.X + item.Width &&
            y >= item.Y && y < item.Y + item.Height) {
            if (FOnClick)
                FOnClick(item.Name);
            return;
        }
    }
}

LRESULT Win32Window::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONUP:
        Click(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_CLOSE:
        if (OnCloseRequest) {
            OnCloseRequest();
            return 0;
        }
        break;
    case WM_ENDSESSION:
        if (wParam && OnSessionEnd)
            OnSessionEnd();
        return 0;
    default:
        break;
    }
    if (FProc) {
        if (const auto result = FProc(msg, wParam, lParam))
            return *result;
    }
    return ::DefWindowProcW(FWindow.Get(), msg, wParam, lParam);
}

LRESULT CALLBACK Win32Window::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32Window*>(create->lpCreateParams);
        self->FWindow.Reset(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, msg, wParam, lParam);
    LRESULT result = 0;
    ContainErrors("ZQMON", [&] { result = self->Handle(msg, wParam, lParam); });
    return result;
}

} // namespace zq::win32

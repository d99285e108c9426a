#pragma once
// A top-level window of the program: hidden at creation, without a task-bar
// button, drawing its scene with GDI and handing every other message to the
// program's window procedure.

#include "platform/Desktop.h"
#include "platform/win32/Handles.h"

namespace zq::win32 {

class Win32Window : public IWindow {
public:
    Win32Window(const WindowOptions& options, WindowProc proc);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(FWindow.Get()); }
    void SetTitle(const std::u16string& title) override;
    std::u16string Title() const override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override;
    void BringToForeground() override;
    void SetScene(const Scene& scene, std::function<void(const std::string&)> onClick) override;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Click(int x, int y);

    WindowProc FProc;
    WindowOptions FOptions;
    Scene FScene;
    std::function<void(const std::string&)> FOnClick;
    UniqueWindow FWindow;
};

} // namespace zq::win32

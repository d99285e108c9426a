#pragma once
// The window manager and the shell on Windows.

#include "platform/Desktop.h"

namespace zq::win32 {

class Win32Desktop : public IDesktop {
public:
    std::unique_ptr<IWindow> CreateOwnWindow(const WindowOptions& options,
                                             WindowProc proc) override;
    std::unique_ptr<ITrayIcon> CreateTrayIcon() override;
    WindowHandle FindWindowByClass(const std::u16string& className) override;
    bool PostToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                      LParam lParam) override;
    std::optional<LResult> SendToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                                        LParam lParam, std::uint32_t timeoutMs) override;
    void BringForward(WindowHandle window, int showCommand, ShowMode mode) override;
    std::unique_ptr<IStartedProgram> StartProgram(const std::filesystem::path& program,
                                                  const std::u16string& parameters,
                                                  const std::filesystem::path& workingFolder,
                                                  int showCommand) override;
    bool OpenAddress(const std::u16string& address, WindowHandle owner, int showCommand) override;
    void ShowMessage(const std::u16string& text) override;
    void SetApplicationTitle(const std::u16string& title) override { FApplicationTitle = title; }

private:
    std::u16string FApplicationTitle = u"GAMING MOUSE MONITOR";
};

} // namespace zq::win32

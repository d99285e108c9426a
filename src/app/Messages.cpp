#include "app/Messages.h"

namespace zq {

WindowHandle FindConfigWindow(IDesktop& desktop) {
    return desktop.FindWindowByClass(ConfigClassName);
}

void PostToConfigProgram(IDesktop& desktop, std::uint32_t msg, WParam wParam, LParam lParam) {
    if (const WindowHandle window = FindConfigWindow(desktop))
        desktop.PostToWindow(window, msg, wParam, lParam);
}

std::optional<LResult> SendToConfigProgram(IDesktop& desktop, std::uint32_t msg, WParam wParam,
                                           LParam lParam) {
    const WindowHandle window = FindConfigWindow(desktop);
    if (!window)
        return std::nullopt;
    return desktop.SendToWindow(window, msg, wParam, lParam, ConfigSendTimeoutMs);
}

} // namespace zq

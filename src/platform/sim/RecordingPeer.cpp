#include "platform/sim/RecordingPeer.h"

#include "platform/sim/SimDesktop.h"

namespace zq::sim {

RecordingPeer::RecordingPeer(SimDesktop& desktop, std::u16string className)
    : FDesktop(desktop), FClassName(std::move(className)), FHandle(0x20020) {}

std::optional<LResult> RecordingPeer::SendToMonitor(std::uint32_t msg, WParam w, LParam l) {
    const WindowHandle monitor = FDesktop.FindWindowByClass(u"TZQMONMAIN");
    if (!monitor)
        return std::nullopt;
    return FDesktop.SendToWindow(monitor, msg, w, l, 5000);
}

bool RecordingPeer::PostToMonitor(std::uint32_t msg, WParam w, LParam l) {
    const WindowHandle monitor = FDesktop.FindWindowByClass(u"TZQMONMAIN");
    return monitor && FDesktop.PostToWindow(monitor, msg, w, l);
}

} // namespace zq::sim

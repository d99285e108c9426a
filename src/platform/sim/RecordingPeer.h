#pragma once
// The configuration program's window in the simulated world.

#include "platform/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zq::sim {

class SimDesktop;

// The configuration program as the monitor sees it: a window of its class that
// may exist or not, receives messages, and can send messages to the monitor.
class RecordingPeer {
public:
    struct Message {
        std::uint32_t Msg;
        WParam W;
        LParam L;
        bool Sent; // false: posted
        bool operator==(const Message&) const = default;
    };

    RecordingPeer(SimDesktop& desktop, std::u16string className);

    const std::u16string& ClassName() const { return FClassName; }
    WindowHandle Handle() const { return FHandle; }
    bool Present() const { return FPresent; }
    void SetPresent(bool present) { FPresent = present; }
    // A hung program answers no sent message.
    void SetHung(bool hung) { FHung = hung; }
    void SetReply(LResult reply) { FReply = reply; }
    const std::vector<Message>& Received() const { return FReceived; }
    int ShowCommandsReceived() const { return FShown; }

    // Messages from the configuration program to the monitor's main window.
    std::optional<LResult> SendToMonitor(std::uint32_t msg, WParam w, LParam l);
    bool PostToMonitor(std::uint32_t msg, WParam w, LParam l);

private:
    friend class SimDesktop;
    SimDesktop& FDesktop;
    std::u16string FClassName;
    WindowHandle FHandle;
    bool FPresent = false;
    bool FHung = false;
    LResult FReply = 0;
    int FShown = 0;
    std::vector<Message> FReceived;
};

} // namespace zq::sim

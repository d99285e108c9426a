#pragma once
// The filter driver of the simulated world: it keeps every request it receives
// (code and bytes, in the log as "driver <code> <bytes>"), and can be absent,
// answer with bytes of its own, or fail requests.

#include "platform/DriverControl.h"
#include "platform/sim/SimLog.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zq::sim {

class RecordingDriver : public IDriverControl {
public:
    struct Request {
        std::uint32_t Code;
        std::vector<std::uint8_t> Bytes;
        bool operator==(const Request&) const = default;
    };

    explicit RecordingDriver(SimLog& log) : FLog(log) {}

    std::unique_ptr<IDriverDevice> Open(const std::u16string& path) override;

    // The control device's name; only "\\.\" + this opens. Present by default.
    void SetDeviceName(std::u16string name) { FName = std::move(name); }
    void SetPresent(bool present) { FPresent = present; }
    // The reply written over the caller's buffer for requests with this code.
    void SetReply(std::uint32_t code, std::vector<std::uint8_t> reply);
    // Requests with this code fail with the error (0 to succeed again).
    void SetFailure(std::uint32_t code, std::uint32_t error);

    std::vector<Request> Requests() const;
    int OpenCount() const { return FOpens; }

private:
    class Device;

    SimLog& FLog;
    mutable std::mutex FMutex;
    std::u16string FName = u"usbqfrt00001";
    bool FPresent = true;
    int FOpens = 0;
    std::map<std::uint32_t, std::vector<std::uint8_t>> FReplies;
    std::map<std::uint32_t, std::uint32_t> FFailures;
    std::vector<Request> FRequests;
};

} // namespace zq::sim

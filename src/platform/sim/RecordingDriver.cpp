#include "platform/sim/RecordingDriver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zq::sim {

class RecordingDriver::Device : public IDriverDevice {
public:
    explicit Device(RecordingDriver& driver) : FDriver(driver) {}

    std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize,
                          std::uint32_t& returned) override {
        returned = 0;
        char codeText[9];
        std::snprintf(codeText, sizeof(codeText), "%08x", code);
        std::vector<std::uint8_t> bytes(static_cast<const std::uint8_t*>(input),
                                        static_cast<const std::uint8_t*>(input) + inputSize);
        std::vector<std::uint8_t> reply;
        std::uint32_t failure = 0;
        {
            std::lock_guard lock(FDriver.FMutex);
            FDriver.FRequests.push_back({code, bytes});
            if (auto f = FDriver.FFailures.find(code); f != FDriver.FFailures.end())
                failure = f->second;
            if (auto r = FDriver.FReplies.find(code); r != FDriver.FReplies.end())
                reply = r->second;
        }
        FDriver.FLog.Add("driver", std::string(codeText) + " " + HexBytes(bytes));
        if (failure != 0)
            return failure;
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(reply.size(), outputSize));
        if (n > 0)
            std::memcpy(output, reply.data(), n);
        returned = n;
        return 0;
    }

private:
    RecordingDriver& FDriver;
};

std::unique_ptr<IDriverDevice> RecordingDriver::Open(const std::u16string& path) {
    std::lock_guard lock(FMutex);
    if (!FPresent || path != u"\\\\.\\" + FName)
        return nullptr;
    ++FOpens;
    return std::make_unique<Device>(*this);
}

void RecordingDriver::SetReply(std::uint32_t code, std::vector<std::uint8_t> reply) {
    std::lock_guard lock(FMutex);
    FReplies[code] = std::move(reply);
}

void RecordingDriver::SetFailure(std::uint32_t code, std::uint32_t error) {
    std::lock_guard lock(FMutex);
    if (error == 0)
        FFailures.erase(code);
    else
        FFailures[code] = error;
}

std::vector<RecordingDriver::Request> RecordingDriver::Requests() const {
    std::lock_guard lock(FMutex);
    return FRequests;
}

} // namespace zq::sim

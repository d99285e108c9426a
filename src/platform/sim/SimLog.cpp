#include "platform/sim/SimLog.h"

namespace zq::sim {

void SimLog::Add(std::string channel, std::string details) {
    std::function<void(const Effect&)> listener;
    Effect effect{FClock(), std::move(channel), std::move(details)};
    {
        std::lock_guard lock(FMutex);
        FEffects.push_back(effect);
        listener = FListener;
    }
    if (listener)
        listener(effect);
}

std::vector<Effect> SimLog::Effects() const {
    std::lock_guard lock(FMutex);
    return FEffects;
}

std::vector<std::string> SimLog::Channel(const std::string& channel) const {
    std::lock_guard lock(FMutex);
    std::vector<std::string> details;
    for (const auto& e : FEffects)
        if (e.Channel == channel)
            details.push_back(e.Details);
    return details;
}

void SimLog::Clear() {
    std::lock_guard lock(FMutex);
    FEffects.clear();
}

std::string SimLog::Format(const Effect& effect) {
    std::string line = "t=" + std::to_string(effect.Time) + " " + effect.Channel;
    if (!effect.Details.empty())
        line += " " + effect.Details;
    return line;
}

void SimLog::SetListener(std::function<void(const Effect&)> listener) {
    std::lock_guard lock(FMutex);
    FListener = std::move(listener);
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += Digits[b >> 4];
        text += Digits[b & 0xF];
    }
    return text;
}

} // namespace zq::sim

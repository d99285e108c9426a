#pragma once
// One ordered log of everything the program did to the simulated world, each
// effect with its virtual time and channel ("hid-set", "driver", "peer-post", ...).

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace zq::sim {

struct Effect {
    std::uint64_t Time = 0;
    std::string Channel;
    std::string Details;
    bool operator==(const Effect&) const = default;
};

class SimLog {
public:
    explicit SimLog(std::function<std::uint64_t()> clock) : FClock(std::move(clock)) {}

    void Add(std::string channel, std::string details);
    std::vector<Effect> Effects() const;
    // The effects of one channel, details only.
    std::vector<std::string> Channel(const std::string& channel) const;
    void Clear();
    // "t=<ms> <channel> <details>"
    static std::string Format(const Effect& effect);

    // Called for every new effect (the simulator prints them as they come).
    void SetListener(std::function<void(const Effect&)> listener);

private:
    std::function<std::uint64_t()> FClock;
    mutable std::mutex FMutex;
    std::vector<Effect> FEffects;
    std::function<void(const Effect&)> FListener;
};

// Bytes as lower-case hexadecimal without spaces, as the log shows reports and
// requests.
std::string HexBytes(std::span<const std::uint8_t> bytes);

} // namespace zq::sim

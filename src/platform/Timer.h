#pragma once
// A timer component with the usual Interval / Enabled / OnTimer properties.
// Disabling and enabling again restarts the interval, which is how the program
// debounces bursts of events.

#include "platform/MessageLoop.h"

#include <cstdint>
#include <functional>

namespace zq {

class Timer {
public:
    explicit Timer(IMessageLoop& loop, std::uint32_t intervalMs = 1000, bool enabled = true);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::uint32_t Interval() const { return FInterval; }
    void SetInterval(std::uint32_t intervalMs);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

private:
    void Update();
    void Fire();

    IMessageLoop& FLoop;
    TimerId FId;
    std::uint32_t FInterval;
    bool FEnabled;
};

} // namespace zq

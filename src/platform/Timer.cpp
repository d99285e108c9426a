#include "platform/Timer.h"

namespace zq {

Timer::Timer(IMessageLoop& loop, std::uint32_t intervalMs, bool enabled)
    : FLoop(loop), FId(loop.CreateTimer([this] { Fire(); })), FInterval(intervalMs),
      FEnabled(enabled) {
    Update();
}

Timer::~Timer() {
    FLoop.DestroyTimer(FId);
}

void Timer::SetInterval(std::uint32_t intervalMs) {
    if (intervalMs == FInterval)
        return;
    FInterval = intervalMs;
    Update();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    Update();
}

void Timer::Update() {
    FLoop.StopTimer(FId);
    // An interval of 0 never fires, as with the window manager's timers.
    if (FEnabled && FInterval != 0)
        FLoop.StartTimer(FId, FInterval);
}

void Timer::Fire() {
    if (FEnabled && OnTimer)
        OnTimer();
}

} // namespace zq

#include "platform/sim/SimNotificationArea.h"

namespace zq::sim {

bool SimNotificationArea::Add() {
    if (!FRunning || FIcon)
        return false;
    FIcon = true;
    return true;
}

bool SimNotificationArea::Modify() {
    if (!FRunning || !FIcon)
        return false;
    ++FModifications;
    return true;
}

bool SimNotificationArea::Delete() {
    if (!FRunning || !FIcon)
        return false;
    FIcon = false;
    return true;
}

void SimNotificationArea::SetRunning(bool running) {
    FRunning = running;
    if (!running)
        FIcon = false;
}

} // namespace zq::sim

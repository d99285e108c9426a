#pragma once
// The shell's notification area in the simulated world, as it treats the
// program's one icon: adding it fails while it is there, and everything fails
// while the shell is not running. A shell that stops loses the icon unless it
// only restarts its taskbar.

#include "platform/TrayIconPlacement.h"

namespace zq::sim {

class SimNotificationArea : public INotificationArea {
public:
    bool Add() override;
    bool Modify() override;
    bool Delete() override;

    // The shell ends (the icon is lost) or starts.
    void SetRunning(bool running);
    bool HasIcon() const { return FIcon; }
    // How many times the icon's look was changed.
    int Modifications() const { return FModifications; }

private:
    bool FRunning = true;
    bool FIcon = false;
    int FModifications = 0;
};

} // namespace zq::sim

#pragma once
// Keeps the program's one icon in the notification area across restarts of the
// shell. The shell announces each start of its taskbar ("TaskbarCreated"), and
// the icon is added again then. A taskbar that restarted without losing the
// icon refuses to add it a second time: the icon there is then taken over as it
// is, or removed and added anew, so later hint changes reach it and it goes away
// at exit instead of staying behind as a ghost.

namespace zq {

// The shell's operations on the program's icon, each with the icon's present
// look; false when the shell refused or is not there.
class INotificationArea {
public:
    virtual ~INotificationArea() = default;
    virtual bool Add() = 0;
    virtual bool Modify() = 0;
    virtual bool Delete() = 0;
};

class TrayIconPlacement {
public:
    explicit TrayIconPlacement(INotificationArea& area) : FArea(area) {}

    // Puts the icon into the area (at start and at every start of the taskbar);
    // false while no shell takes it, for the caller to try again later.
    bool Place();
    // The icon's new look to the shell, when the icon is there.
    void Update();
    // Takes the icon out of the area, when it is there.
    void Remove();
    bool Shown() const { return FShown; }

private:
    INotificationArea& FArea;
    bool FShown = false;
};

} // namespace zq

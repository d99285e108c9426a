#include "platform/TrayIconPlacement.h"

namespace zq {

bool TrayIconPlacement::Place() {
    // Still there from before the taskbar restarted: take it over, or, when the
    // shell will not change it, put in a new one.
    FShown = FArea.Add() || FArea.Modify() || (FArea.Delete() && FArea.Add());
    return FShown;
}

void TrayIconPlacement::Update() {
    if (FShown)
        FArea.Modify();
}

void TrayIconPlacement::Remove() {
    if (FShown)
        FArea.Delete();
    FShown = false;
}

} // namespace zq

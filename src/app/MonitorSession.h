#pragma once
// The monitor's objects for one run, created in the program's order: the profile
// manager (registered as the program's one), then the main window. Destroying
// the session destroys the window first, which shuts the devices down.

#include "app/MouseMonitor.h"
#include "platform/Platform.h"
#include "profiles/DMUnit.h"

#include <memory>

namespace zq {

class MonitorSession {
public:
    explicit MonitorSession(Platform& platform);
    MonitorSession(const MonitorSession&) = delete;
    MonitorSession& operator=(const MonitorSession&) = delete;

    TDM& DM() { return *FDM; }
    MouseMonitor& Monitor() { return *FMonitor; }

private:
    std::unique_ptr<TDM> FDM;
    // Members go in reverse order: the window first, the profile manager last.
    ScopedDM FRegistration;
    std::unique_ptr<MouseMonitor> FMonitor;
};

} // namespace zq

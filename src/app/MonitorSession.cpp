#include "app/MonitorSession.h"

namespace zq {

MonitorSession::MonitorSession(Platform& platform)
    // The profile manager comes first: it reads config.ini and the stored
    // profiles, and the main window reads its settings while it is created.
    : FDM(std::make_unique<TDM>(platform.Registry, platform.System, platform.Ini)),
      FRegistration(*FDM), FMonitor(std::make_unique<MouseMonitor>(platform, *FDM)) {}

} // namespace zq

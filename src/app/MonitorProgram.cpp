#include "app/MonitorProgram.h"

#include "app/Messages.h"
#include "app/MouseMonitor.h"
#include "platform/Text.h"
#include "profiles/DMUnit.h"

#include <exception>
#include <memory>

namespace zq {

int RunMonitorProgram(Platform& platform) {
    // Another instance runs: end at once, showing and sending nothing.
    if (platform.System.NamedMutexExists(MonitorClassName))
        return 0;
    // A mutex that cannot be created is no reason to stop; the program runs without it.
    const auto instanceLock = platform.System.CreateNamedMutex(MonitorClassName);
    try {
        // The profile manager comes first: it reads config.ini and the stored
        // profiles, and the main window reads its settings while it is created.
        const auto profiles =
            std::make_unique<TDM>(platform.Registry, platform.System, platform.Ini);
        const ScopedDM profileManager(*profiles);
        MouseMonitor monitor(platform, *profiles);
        platform.Loop.Run();
    } catch (const std::exception& e) {
        platform.System.DebugOutput(u"ZQMON: " + FromUtf8(e.what()));
    } catch (...) {
        platform.System.DebugOutput(u"ZQMON: unexpected error");
    }
    return 0;
}

} // namespace zq

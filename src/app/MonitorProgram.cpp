#include "app/MonitorProgram.h"

#include "app/Messages.h"
#include "app/MonitorSession.h"
#include "platform/Text.h"

#include <exception>

namespace zq {

int RunMonitorProgram(Platform& platform) {
    // Another instance runs: end at once, showing and sending nothing. Making
    // the mutex answers that in one step, so two starts at the same moment
    // cannot both go on. A mutex that cannot be made at all is no reason to
    // stop; the program runs without it.
    const auto instanceLock = platform.System.CreateNamedMutex(MonitorClassName);
    if (instanceLock.AlreadyExists)
        return 0;
    try {
        const MonitorSession session(platform);
        platform.Loop.Run();
    } catch (const std::exception& e) {
        platform.System.DebugOutput(u"ZQMON: " + FromUtf8(e.what()));
    } catch (...) {
        platform.System.DebugOutput(u"ZQMON: unexpected error");
    }
    return 0;
}

} // namespace zq

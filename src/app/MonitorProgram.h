#pragma once
// The program's run from start to end, the same on every platform: one instance
// only, the main window in the tray until Exit, exit code 0 in every case.

#include "platform/Platform.h"

namespace zq {

int RunMonitorProgram(Platform& platform);

} // namespace zq

// Program entry of ZQMON.EXE: builds the Windows services and runs the monitor.
// No command-line arguments are read; the exit code is 0 in every case.

#include "app/MonitorProgram.h"
#include "platform/win32/Win32Platform.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Only the system folder is searched for DLLs loaded later on.
    ::SetDllDirectoryW(L"");
    try {
        zq::win32::Win32Platform platform;
        return zq::RunMonitorProgram(platform.Platform());
    } catch (...) {
        return 0;
    }
}

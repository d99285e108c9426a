#pragma once
// Where the audio service's reports go. The service calls the program's objects
// on threads of its own, while the window belongs to the main thread: the
// report is only posted to the window, never handled here. Set and posted from
// any thread; a null window (after a stop) drops the reports.

#include <windows.h>

#include <mutex>

namespace zq::win32 {

class ReportTarget {
public:
    void Set(HWND window, UINT msg) {
        const std::lock_guard lock(FLock);
        FWindow = window;
        FMessage = msg;
    }
    void Post() {
        const std::lock_guard lock(FLock);
        if (FWindow)
            ::PostMessageW(FWindow, FMessage, 0, 0);
    }

private:
    std::mutex FLock;
    HWND FWindow = nullptr;
    UINT FMessage = 0;
};

} // namespace zq::win32

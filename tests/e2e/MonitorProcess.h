#pragma once
// An installed copy of the monitor in a folder of its own, started as a real
// process, and the means to act on it as the shell and a user would. The
// end-to-end tests use it, and so does zqmon-drive, which plays a script on it.

#include "platform/win32/Handles.h"
#include "support/TempFolder.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zq::e2e {

using namespace std::chrono_literals;

// Folder of the running program, where the build puts ZQMON.EXE and the peer too.
std::filesystem::path BuildFolder();

// Waits until cond holds or the time is up; true when it held.
template <typename Cond> bool WaitFor(Cond cond, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        ::Sleep(20);
    }
    return true;
}

class Process {
public:
    Process() = default;
    // Starts program with arguments, its working folder the program's folder.
    static Process Start(const std::filesystem::path& program, const std::wstring& arguments = L"");
    bool Running() const;
    // The exit code once it ended within the limit.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds limit = 20s) const;
    void Kill();
    DWORD Id() const { return FId; }
    HANDLE Handle() const { return FProcess.Get(); }

private:
    win32::UniqueHandle FProcess;
    DWORD FId = 0;
};

class MonitorInstall {
public:
    // A fresh folder holding ZQMON.EXE and, as "ZQCFG.EXE", the test peer.
    explicit MonitorInstall(bool withConfigProgram = true);

    const std::filesystem::path& Folder() const { return FFolder.Path(); }
    void WriteFile(const std::filesystem::path& relative, const std::string& bytes) const;

    // Starts the monitor and waits until its main window exists.
    Process StartMonitor() const;
    // Starts the configuration program stand-in and waits for its window.
    Process StartPeer(const std::wstring& arguments = L"") const;
    // Whole lines of the stand-in's log ("started ...", "shown", "message ..."),
    // without one it is still writing.
    std::vector<std::string> PeerLog() const;
    bool PeerLogged(const std::string& line) const;

private:
    test::TempFolder FFolder; // removed with the install
};

// Positions of the entries in the monitor's tray menu.
constexpr int MenuConfig = 0;
constexpr int MenuAbout = 1;
constexpr int MenuExit = 2;

// The monitor's windows as another process finds them.
HWND MonitorWindow();
HWND ConfigWindow();
HWND TrayWindowOf(DWORD processId);
// What the shell sends when the user clicks the icon or chooses a menu entry.
void ClickTrayIcon(DWORD processId);
void ChooseTrayMenuEntry(DWORD processId, int position);

} // namespace zq::e2e

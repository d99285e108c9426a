#include "MonitorProcess.h"

#include "platform/win32/Win32TrayIcon.h"

#include <fstream>

namespace zq::e2e {

std::filesystem::path BuildFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length)).parent_path();
}

Process Process::Start(const std::filesystem::path& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    Process process;
    const std::wstring folder = program.parent_path().wstring();
    if (::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                         nullptr, folder.c_str(), &startup, &info)) {
        const win32::UniqueHandle thread(info.hThread); // only the process is kept
        process.FProcess.Reset(info.hProcess);
        process.FId = info.dwProcessId;
    }
    return process;
}

bool Process::Running() const {
    return FProcess && ::WaitForSingleObject(FProcess.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds limit) const {
    if (!FProcess ||
        ::WaitForSingleObject(FProcess.Get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(FProcess.Get(), &code);
    return code;
}

void Process::Kill() {
    if (Running()) {
        ::TerminateProcess(FProcess.Get(), 1);
        ::WaitForSingleObject(FProcess.Get(), 10000);
    }
}

MonitorInstall::MonitorInstall(bool withConfigProgram) {
    std::filesystem::copy_file(BuildFolder() / L"ZQMON.EXE", Folder() / L"ZQMON.EXE");
    if (withConfigProgram)
        std::filesystem::copy_file(BuildFolder() / L"zqcfg-peer.exe", Folder() / L"ZQCFG.EXE");
}

void MonitorInstall::WriteFile(const std::filesystem::path& relative,
                               const std::string& bytes) const {
    FFolder.Write(relative, bytes);
}

Process MonitorInstall::StartMonitor() const {
    Process process = Process::Start(Folder() / L"ZQMON.EXE");
    if (process.Handle())
        ::WaitForInputIdle(process.Handle(), 20000);
    WaitFor([] { return MonitorWindow() != nullptr; });
    return process;
}

Process MonitorInstall::StartPeer(const std::wstring& arguments) const {
    Process process = Process::Start(Folder() / L"ZQCFG.EXE", arguments);
    WaitFor([] { return ConfigWindow() != nullptr; });
    return process;
}

std::vector<std::string> MonitorInstall::PeerLog() const {
    std::ifstream in(Folder() / L"peer.log", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!in.eof()) // ended by a newline
            lines.push_back(line);
    return lines;
}

bool MonitorInstall::PeerLogged(const std::string& line) const {
    for (const auto& l : PeerLog())
        if (l == line)
            return true;
    return false;
}

HWND MonitorWindow() {
    return ::FindWindowW(L"TZQMONMAIN", nullptr);
}

HWND ConfigWindow() {
    return ::FindWindowW(L"TZQCFGMAIN", nullptr);
}

HWND TrayWindowOf(DWORD processId) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, win32::TrayWindowClassName, nullptr))) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

void ClickTrayIcon(DWORD processId) {
    ::PostMessageW(TrayWindowOf(processId), win32::TrayCallbackMessage, 1, WM_LBUTTONUP);
}

void ChooseTrayMenuEntry(DWORD processId, int position) {
    ::PostMessageW(TrayWindowOf(processId), WM_COMMAND, static_cast<WPARAM>(position + 1), 0);
}

} // namespace zq::e2e

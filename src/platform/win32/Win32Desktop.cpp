#include "platform/win32/Win32Desktop.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32TrayIcon.h"
#include "platform/win32/Win32Window.h"

#include <shellapi.h>

namespace zq::win32 {

namespace {
HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
} // namespace

std::unique_ptr<IWindow> Win32Desktop::CreateOwnWindow(const WindowOptions& options,
                                                       WindowProc proc) {
    return std::make_unique<Win32Window>(options, std::move(proc));
}

std::unique_ptr<ITrayIcon> Win32Desktop::CreateTrayIcon() {
    return std::make_unique<Win32TrayIcon>();
}

WindowHandle Win32Desktop::FindWindowByClass(const std::u16string& className) {
    const std::wstring name = Wide(className);
    return reinterpret_cast<WindowHandle>(::FindWindowW(name.c_str(), nullptr));
}

bool Win32Desktop::PostToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                                LParam lParam) {
    return window != 0 && ::PostMessageW(ToHwnd(window), msg, wParam, lParam) != FALSE;
}

std::optional<LResult> Win32Desktop::SendToWindow(WindowHandle window, std::uint32_t msg,
                                                  WParam wParam, LParam lParam,
                                                  std::uint32_t timeoutMs) {
    if (window == 0)
        return std::nullopt;
    // A program that stopped answering would otherwise hold the monitor for ever:
    // give up at once on a hung one, and after the time-out on any other.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(ToHwnd(window), msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               timeoutMs, &result))
        return std::nullopt;
    return static_cast<LResult>(result);
}

void Win32Desktop::BringForward(WindowHandle window, int showCommand, ShowMode mode) {
    if (window == 0)
        return;
    // ShowWindow on another program's window waits for that program to handle it;
    // the asynchronous form only queues the show.
    if (mode == ShowMode::Queue)
        ::ShowWindowAsync(ToHwnd(window), showCommand);
    else
        ::ShowWindow(ToHwnd(window), showCommand);
    ::SetForegroundWindow(ToHwnd(window));
}

namespace {

// A program the shell started, followed through its process handle.
class Win32StartedProgram : public IStartedProgram {
public:
    explicit Win32StartedProgram(HANDLE process) : FProcess(process) {}
    bool IsRunning() override {
        return FProcess && ::WaitForSingleObject(FProcess.Get(), 0) == WAIT_TIMEOUT;
    }

private:
    UniqueHandle FProcess;
};

// Opens through the shell without any message of its own on failure: a missing
// program is not reported to the user, and no dialog may block the main thread.
// With process set, the started program's handle comes back there (null when the
// shell handed the file to a program already running).
bool ShellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters,
               const std::wstring& folder, int showCommand, HANDLE* process = nullptr) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | (process ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = showCommand;
    if (!::ShellExecuteExW(&info))
        return false;
    if (process)
        *process = info.hProcess;
    return true;
}

} // namespace

std::unique_ptr<IStartedProgram>
Win32Desktop::StartProgram(const std::filesystem::path& program, const std::u16string& parameters,
                           const std::filesystem::path& workingFolder, int showCommand) {
    HANDLE process = nullptr;
    if (!ShellOpen(nullptr, program.wstring(), Wide(parameters), workingFolder.wstring(),
                   showCommand, &process))
        return nullptr;
    return std::make_unique<Win32StartedProgram>(process);
}

bool Win32Desktop::OpenAddress(const std::u16string& address, WindowHandle owner, int showCommand) {
    return ShellOpen(ToHwnd(owner), Wide(address), L"", L"", showCommand);
}

void Win32Desktop::ShowMessage(const std::u16string& text) {
    ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(FApplicationTitle).c_str(), MB_OK);
}

} // namespace zq::win32

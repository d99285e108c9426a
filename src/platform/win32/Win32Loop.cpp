#include "platform/win32/Win32Loop.h"
#include "platform/win32/ContainErrors.h"

namespace zq::win32 {

namespace {
constexpr UINT WM_ZQ_TASK = WM_APP + 0x101;
constexpr UINT WM_ZQ_SYNC = WM_APP + 0x102;
constexpr wchar_t LoopWindowClass[] = L"ZQMON.MessageLoop";
} // namespace

Win32Loop::Win32Loop() : FMainThread(::GetCurrentThreadId()) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Win32Loop::WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = LoopWindowClass;
    ::RegisterClassExW(&wc); // a second loop finds the class registered already
    FWindow.Reset(::CreateWindowExW(0, LoopWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr));
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Loop::~Win32Loop() {
    FSync.Stop();
    for (const auto& [id, fn] : FTimers)
        ::KillTimer(FWindow.Get(), id);
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

void Win32Loop::Run() {
    MSG msg;
    while (!FTerminated) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            FTerminated = true;
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    FSync.Stop();
}

void Win32Loop::Terminate() {
    if (FTerminated)
        return;
    FTerminated = true;
    FSync.Stop();
    // Wakes a GetMessage that waits, should Terminate come from outside a message.
    ::PostThreadMessageW(FMainThread, WM_NULL, 0, 0);
}

void Win32Loop::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            FTerminated = true;
            FSync.Stop();
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Win32Loop::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(FMutex);
        FTasks.push_back(std::move(fn));
    }
    ::PostMessageW(FWindow.Get(), WM_ZQ_TASK, 0, 0);
}

bool Win32Loop::Synchronize(const std::function<void()>& fn,
                            const std::shared_ptr<SyncCancel>& cancel) {
    if (::GetCurrentThreadId() == FMainThread) {
        if (FTerminated || (cancel && cancel->IsCancelled()))
            return false;
        fn();
        return true;
    }
    const HWND window = FWindow.Get();
    return FSync.Call(fn, cancel, [window] { ::PostMessageW(window, WM_ZQ_SYNC, 0, 0); });
}

void Win32Loop::CancelSynchronize(const std::shared_ptr<SyncCancel>& cancel) {
    FSync.Cancel(cancel);
}

TimerId Win32Loop::CreateTimer(std::function<void()> onTimer) {
    const TimerId id = FNextTimerId++;
    FTimers[id] = std::move(onTimer);
    return id;
}

void Win32Loop::StartTimer(TimerId id, std::uint32_t intervalMs) {
    // Setting an existing timer again restarts its interval.
    if (FTimers.count(id))
        ::SetTimer(FWindow.Get(), id, intervalMs, nullptr);
}

void Win32Loop::StopTimer(TimerId id) {
    ::KillTimer(FWindow.Get(), id);
}

void Win32Loop::DestroyTimer(TimerId id) {
    ::KillTimer(FWindow.Get(), id);
    FTimers.erase(id);
}

void Win32Loop::RunTask() {
    std::function<void()> task;
    {
        std::lock_guard lock(FMutex);
        if (FTasks.empty())
            return;
        task = std::move(FTasks.front());
        FTasks.pop_front();
    }
    ContainErrors("ZQMON", task);
}

LRESULT CALLBACK Win32Loop::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Loop*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (msg) {
        case WM_ZQ_TASK:
            self->RunTask();
            return 0;
        case WM_ZQ_SYNC:
            ContainErrors("ZQMON", [self] { self->FSync.RunOne(); });
            return 0;
        case WM_TIMER:
            if (auto it = self->FTimers.find(static_cast<TimerId>(wParam));
                it != self->FTimers.end()) {
                const auto fn = it->second; // the handler may destroy its own timer
                ContainErrors("ZQMON", fn);
            }
            return 0;
        default:
            break;
        }
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

} // namespace zq::win32

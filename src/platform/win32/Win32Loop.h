#pragma once
// The main thread's message loop over the Windows message queue. Timers, posted
// work and Synchronize requests arrive as messages of a hidden message-only
// window, so every pump of the thread (ours, a menu's, a dialog's) handles them.

#include "platform/MessageLoop.h"
#include "platform/SyncQueue.h"
#include "platform/win32/Handles.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace zq::win32 {

class Win32Loop : public IMessageLoop {
public:
    Win32Loop();
    ~Win32Loop() override;
    Win32Loop(const Win32Loop&) = delete;
    Win32Loop& operator=(const Win32Loop&) = delete;

    void Run() override;
    void Terminate() override;
    bool IsTerminated() const override { return FTerminated; }
    void ProcessMessages() override;
    void Sleep(std::uint32_t ms) override { ::Sleep(ms); }
    std::uint64_t NowMs() const override { return ::GetTickCount64(); }
    void Post(std::function<void()> fn) override;
    bool Synchronize(const std::function<void()>& fn,
                     const std::shared_ptr<SyncCancel>& cancel = nullptr) override;
    void CancelSynchronize(const std::shared_ptr<SyncCancel>& cancel) override;
    TimerId CreateTimer(std::function<void()> onTimer) override;
    void StartTimer(TimerId id, std::uint32_t intervalMs) override;
    void StopTimer(TimerId id) override;
    void DestroyTimer(TimerId id) override;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void RunTask();

    const DWORD FMainThread;
    bool FTerminated = false;
    UniqueWindow FWindow;
    std::mutex FMutex;
    std::deque<std::function<void()>> FTasks;
    SyncQueue FSync;
    std::map<TimerId, std::function<void()>> FTimers;
    TimerId FNextTimerId = 1;
};

} // namespace zq::win32

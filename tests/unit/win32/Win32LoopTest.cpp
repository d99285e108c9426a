// The Windows message loop and window services, under wine.

#include "platform/win32/Win32Loop.h"
#include "platform/Timer.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Desktop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

namespace zq::win32 {
namespace {

TEST(Win32Loop, PostedWorkAndTimersRunFromTheLoopUntilTerminate) {
    Win32Loop loop;
    std::vector<int> order;
    loop.Post([&] { order.push_back(1); });
    loop.Post([&] { order.push_back(2); });
    Timer timer(loop, 30, true);
    int fired = 0;
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        ++fired;
        loop.Post([&] { loop.Terminate(); });
    };
    loop.Run();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(loop.IsTerminated());
}

TEST(Win32Loop, SynchronizeRunsOnTheMainThreadAndIsReleasedByTerminate) {
    Win32Loop loop;
    const DWORD mainThread = ::GetCurrentThreadId();
    DWORD ranOn = 0;
    std::atomic<bool> firstDone{false};
    std::thread worker([&] {
        EXPECT_TRUE(loop.Synchronize([&] { ranOn = ::GetCurrentThreadId(); }));
        firstDone = true;
        loop.Post([&] { loop.Terminate(); });
    });
    loop.Run();
    worker.join();
    EXPECT_TRUE(firstDone);
    EXPECT_EQ(ranOn, mainThread);
    // After the loop ended, a caller is released without its function running.
    bool ran = false;
    std::thread late([&] { EXPECT_FALSE(loop.Synchronize([&] { ran = true; })); });
    late.join();
    EXPECT_FALSE(ran);
}

TEST(Win32Desktop, OwnWindowIsFoundByClassAndAnswersMessages) {
    Win32Loop loop;
    Win32Desktop desktop;
    std::vector<std::uint32_t> received;
    WindowOptions options;
    options.ClassName = u"ZQMON.TestWindow";
    options.Title = u"Test";
    options.ClientWidth = 100;
    options.ClientHeight = 50;
    auto window = desktop.CreateOwnWindow(
        options, [&](std::uint32_t msg, WParam w, LParam l) -> std::optional<LResult> {
            if (msg < 7000)
                return std::nullopt;
            received.push_back(msg);
            return static_cast<LResult>(w + l);
        });
    ASSERT_EQ(desktop.FindWindowByClass(u"ZQMON.TestWindow"), window->Handle());
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(desktop.SendToWindow(window->Handle(), 7040, 2, 3, 1000), std::optional<LResult>(5));
    EXPECT_TRUE(desktop.PostToWindow(window->Handle(), 7042, 0, 0));
    loop.ProcessMessages();
    EXPECT_EQ(received, (std::vector<std::uint32_t>{7040, 7042}));
    window->SetTitle(u"GAMING MOUSE MONITOR");
    EXPECT_EQ(window->Title(), u"GAMING MOUSE MONITOR");
    EXPECT_EQ(desktop.FindWindowByClass(u"ZQMON.NoSuchWindow"), 0u);
    EXPECT_FALSE(desktop.PostToWindow(0, 7036, 0, 0));
}

TEST(Win32Desktop, SendingToAHungProgramGivesUpAfterTheTimeout) {
    // A window whose thread stops answering, as a hung configuration program would.
    const UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<HWND> hung{nullptr};
    std::thread owner([&] {
        hung = ::CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        ::WaitForSingleObject(release.Get(), INFINITE);
        ::DestroyWindow(hung);
    });
    while (!hung)
        std::this_thread::yield();
    Win32Desktop desktop;
    const DWORD before = ::GetTickCount();
    EXPECT_EQ(desktop.SendToWindow(reinterpret_cast<WindowHandle>(hung.load()), 7040, 1, 0, 300),
              std::nullopt);
    EXPECT_LT(::GetTickCount() - before, 5000u);
    ::SetEvent(release.Get());
    owner.join();
}

TEST(Win32Desktop, BringingAHungProgramForwardDoesNotWaitForIt) {
    const UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<HWND> hung{nullptr};
    std::thread owner([&] {
        hung = ::CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        // Answers nothing until released (or, should the show wait, for 10 s).
        ::WaitForSingleObject(release.Get(), 10000);
        ::DestroyWindow(hung);
    });
    while (!hung)
        std::this_thread::yield();
    Win32Desktop desktop;
    const DWORD before = ::GetTickCount();
    desktop.BringForward(reinterpret_cast<WindowHandle>(hung.load()), SW_SHOW, ShowMode::Queue);
    EXPECT_LT(::GetTickCount() - before, 5000u);
    ::SetEvent(release.Get());
    owner.join();
}

TEST(Win32Desktop, StartingAMissingProgramFailsQuietly) {
    Win32Desktop desktop;
    EXPECT_FALSE(
        desktop.StartProgram(L"C:\\no\\such\\folder\\ZQCFG.EXE", u"", L"C:\\no\\such\\folder", 5));
}

} // namespace
} // namespace zq::win32

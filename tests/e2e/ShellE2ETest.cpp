// The monitor as a user and the configuration program meet it: one instance, the
// tray menu, starting or bringing forward the configuration program, Exit.

#include "MonitorProcess.h"

#include <gtest/gtest.h>

namespace zq::e2e {
namespace {

class ShellE2E : public ::testing::Test {
protected:
    void TearDown() override {
        FMonitor.Kill();
        FPeer.Kill();
    }
    MonitorInstall FInstall;
    Process FMonitor;
    Process FPeer;
};

TEST_F(ShellE2E, SecondInstanceEndsAtOnceWhileTheFirstRuns) {
    FMonitor = FInstall.StartMonitor();
    ASSERT_NE(MonitorWindow(), nullptr);
    Process second = Process::Start(FInstall.Folder() / L"ZQMON.EXE");
    EXPECT_EQ(second.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(FMonitor.Running());
    EXPECT_FALSE(::IsWindowVisible(MonitorWindow()));
}

// Sent the moment the window can be found, the session's end often reaches the
// monitor while it still places its tray icon, before its start is complete.
TEST_F(ShellE2E, TheSessionEndingAsTheMonitorStartsEndsIt) {
    FMonitor = Process::Start(FInstall.Folder() / L"ZQMON.EXE");
    HWND window = nullptr;
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (!(window = MonitorWindow()) && std::chrono::steady_clock::now() < end)
        ::SwitchToThread(); // looked for without pause, to come as early as can be
    ASSERT_NE(window, nullptr);
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(ShellE2E, ExitTellsTheConfigurationProgramAndEndsWithCodeZero) {
    FPeer = FInstall.StartPeer();
    FMonitor = FInstall.StartMonitor();
    ASSERT_NE(TrayWindowOf(FMonitor.Id()), nullptr);
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitFor([&] { return FInstall.PeerLogged("message 7036 0 0"); }));
    EXPECT_TRUE(FPeer.Running());
}

TEST_F(ShellE2E, ExitWithoutTheConfigurationProgramOnlyEndsTheMonitor) {
    FMonitor = FInstall.StartMonitor();
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(FInstall.PeerLog().empty());
}

TEST_F(ShellE2E, ConfigStartsTheProgramThenBringsItForward) {
    FMonitor = FInstall.StartMonitor();
    ASSERT_EQ(ConfigWindow(), nullptr);
    ChooseTrayMenuEntry(FMonitor.Id(), MenuConfig);
    ASSERT_TRUE(WaitFor([] { return ConfigWindow() != nullptr; }));
    // A click on the icon now brings the running program forward, no second copy.
    ClickTrayIcon(FMonitor.Id());
    EXPECT_TRUE(WaitFor([&] { return FInstall.PeerLogged("shown"); }));
    int started = 0;
    for (const auto& line : FInstall.PeerLog())
        started += line.rfind("started", 0) == 0;
    EXPECT_EQ(started, 1);
    // The stand-in ends when its window is closed.
    ::PostMessageW(ConfigWindow(), WM_CLOSE, 0, 0);
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(ShellE2E, HiddenAboutEntryCannotBeChosenAndNothingIsShown) {
    FMonitor = FInstall.StartMonitor();
    ChooseTrayMenuEntry(FMonitor.Id(), MenuAbout);
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(ShellE2E, MissingConfigurationProgramAndBadFilesDoNotStopTheMonitor) {
    MonitorInstall bare(false);
    bare.WriteFile("config.ini", std::string(1 << 20, '\xFF'));
    bare.WriteFile("images\\0409\\icons\\logo.ico", "not an icon");
    FMonitor = bare.StartMonitor();
    ASSERT_NE(MonitorWindow(), nullptr);
    ChooseTrayMenuEntry(FMonitor.Id(), MenuConfig);
    ClickTrayIcon(FMonitor.Id());
    EXPECT_TRUE(FMonitor.Running());
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(ShellE2E, ClosingTheMainWindowEndsTheMonitorAsExitDoes) {
    FPeer = FInstall.StartPeer();
    FMonitor = FInstall.StartMonitor();
    ASSERT_NE(MonitorWindow(), nullptr);
    ::PostMessageW(MonitorWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitFor([&] { return FInstall.PeerLogged("message 7036 0 0"); }));
}

TEST_F(ShellE2E, MessagesFromTheConfigurationProgramAreHandled) {
    FMonitor = FInstall.StartMonitor();
    DWORD_PTR result = 1;
    EXPECT_NE(::SendMessageTimeoutW(MonitorWindow(), 7035, 0, 2, SMTO_NORMAL, 10000, &result), 0);
    EXPECT_NE(::SendMessageTimeoutW(MonitorWindow(), 7037, 0, 0, SMTO_NORMAL, 10000, &result), 0);
    EXPECT_TRUE(FMonitor.Running());
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

} // namespace
} // namespace zq::e2e

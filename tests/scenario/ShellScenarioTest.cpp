// The monitor's shell on the simulated world: start-up, the tray, the
// configuration program, About, Exit.

#include "app/Messages.h"
#include "app/MonitorProgram.h"
#include "app/MouseMonitor.h"
#include "platform/sim/SimWorld.h"
#include "support/MonitorWorld.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

using sim::RecordingPeer;

class ShellScenario : public ::testing::Test {
protected:
    MouseMonitor& Start(const std::string& webAddress = "http://") {
        FMonitor.WriteConfig("[OtherConfig]\nOfficialWebsite=" + webAddress + "\n");
        return FMonitor.Start();
    }
    std::vector<std::string> Channel(const std::string& name) const {
        return FWorld.Log.Channel(name);
    }
    std::string ConfigProgramPath() const {
        return (FMonitor.ProgramFolder / "ZQCFG.EXE").generic_string();
    }

    MonitorWorld FMonitor;
    sim::SimWorld& FWorld = FMonitor.World;
};

TEST_F(ShellScenario, StartsHiddenWithTheTrayIconAndItsMenu) {
    Start();
    auto* tray = FWorld.Desktop.Tray();
    ASSERT_NE(tray, nullptr);
    // The state at a glance: the stored profile (the factory default is the
    // third), its level, the microphone.
    EXPECT_EQ(tray->Hint(), u"GAMING MOUSE DRIVER - Profile 3 - CPI level 1 - Microphone on");
    EXPECT_EQ(tray->Form(), TrayIconForm::Normal);
    EXPECT_EQ(tray->VisibleMenuCaptions(), (std::vector<std::u16string>{u"Config", u"Exit"}));
    ASSERT_EQ(tray->Menu().size(), 3u);
    EXPECT_EQ(tray->Menu()[1].Caption, u"About");
    EXPECT_TRUE(tray->IconFile().empty()); // no icon file: the application icon

    auto* window = FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(window->Title(), u"GAMING MOUSE MONITOR");
    EXPECT_EQ(window->Options().ClientWidth, 504);
    EXPECT_EQ(window->Options().ClientHeight, 400);
    EXPECT_TRUE(FWorld.Log.Effects().empty()); // nothing reaches the outside at start
}

TEST_F(ShellScenario, TrayShowsTheIconFileBelowTheProgramFolder) {
    const auto icon = FMonitor.Folder.Write("program/images/0409/icons/logo.ico", "icon");
    Start();
    EXPECT_TRUE(std::filesystem::equivalent(FWorld.Desktop.Tray()->IconFile(), icon));
}

TEST_F(ShellScenario, ConfigStartsTheProgramByFullPathOrBringsItForward) {
    Start();
    FWorld.Desktop.Tray()->Click();
    ASSERT_TRUE(FWorld.Desktop.Tray()->ChooseMenuItem(u"Config"));
    EXPECT_EQ(Channel("shell"), (std::vector<std::string>{"start " + ConfigProgramPath() + " 5",
                                                          "start " + ConfigProgramPath() + " 5"}));

    FWorld.Log.Clear();
    FWorld.Desktop.Peer().SetPresent(true);
    FWorld.Desktop.Tray()->Click();
    EXPECT_EQ(Channel("shell"), (std::vector<std::string>{"bring-forward TZQCFGMAIN 5"}));
    EXPECT_EQ(FWorld.Desktop.Peer().ShowCommandsReceived(), 1);
}

TEST_F(ShellScenario, AHungConfigurationProgramIsBroughtForwardWithoutWaitingForIt) {
    Start();
    FWorld.Desktop.Peer().SetPresent(true);
    FWorld.Desktop.Peer().SetHung(true);
    FWorld.Desktop.Tray()->Click(); // the simulated world raises an error on a wait
    EXPECT_EQ(Channel("shell"), (std::vector<std::string>{"bring-forward TZQCFGMAIN 5"}));
    EXPECT_TRUE(FWorld.Loop.UnhandledErrors().empty());
}

TEST_F(ShellScenario, ClicksWhileTheStartedCopyHasNoWindowYetStartNoOther) {
    FMonitor.Folder.Write("program/ZQCFG.EXE", "program");
    Start();
    const std::string start = "start " + ConfigProgramPath() + " 5";
    FWorld.Desktop.Tray()->Click();
    FWorld.Desktop.Tray()->Click(); // a double click, or an impatient user
    ASSERT_TRUE(FWorld.Desktop.Tray()->ChooseMenuItem(u"Config"));
    EXPECT_EQ(Channel("shell"), (std::vector<std::string>{start}));
    // Its window is there: brought forward.
    FWorld.Desktop.Peer().SetPresent(true);
    FWorld.Desktop.Tray()->Click();
    // The user closed it: the next click starts it again.
    FWorld.Desktop.Peer().SetPresent(false);
    FWorld.Desktop.EndStartedPrograms();
    FWorld.Desktop.Tray()->Click();
    EXPECT_EQ(Channel("shell"),
              (std::vector<std::string>{start, "bring-forward TZQCFGMAIN 5", start}));
}

TEST_F(ShellScenario, ExitTellsTheConfigurationProgramThenEndsTheLoop) {
    FWorld.Desktop.Peer().SetPresent(true);
    Start();
    ASSERT_TRUE(FWorld.Desktop.Tray()->ChooseMenuItem(u"Exit"));
    EXPECT_TRUE(FWorld.Loop.IsTerminated());
    EXPECT_EQ(FWorld.Desktop.Peer().Received(),
              (std::vector<RecordingPeer::Message>{{MSG_MONITOR_EXIT, 0, 0, false}}));
}

TEST_F(ShellScenario, ExitWithoutTheConfigurationProgramPostsNothing) {
    Start();
    FWorld.Desktop.Tray()->ChooseMenuItem(u"Exit");
    EXPECT_TRUE(FWorld.Loop.IsTerminated());
    EXPECT_TRUE(Channel("peer-post").empty());
}

TEST_F(ShellScenario, ClosingTheMainWindowHidesAboutOrEndsTheProgramAsExitDoes) {
    FWorld.Desktop.Peer().SetPresent(true);
    auto& monitor = Start();
    auto* window = FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN");
    monitor.About1Click();
    EXPECT_FALSE(window->RequestClose());
    EXPECT_FALSE(window->IsVisible());
    EXPECT_FALSE(FWorld.Loop.IsTerminated());

    // Asked again (say by an updater), the window stays until the program ends.
    EXPECT_FALSE(window->RequestClose());
    EXPECT_TRUE(FWorld.Loop.IsTerminated());
    EXPECT_EQ(FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN"), window);
    EXPECT_EQ(Channel("peer-post"), (std::vector<std::string>{"7036 0 0"}));
}

TEST_F(ShellScenario, TheSessionsEndShutsTheDevicesDownOnce) {
    Start();
    FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN")->EndSession();
    EXPECT_TRUE(FWorld.Loop.IsTerminated());
    const std::vector<std::string> reset{"80008004 " + std::string(476, '0')};
    EXPECT_EQ(Channel("driver"), reset);
    FMonitor.Stop();
    EXPECT_EQ(Channel("driver"), reset);
}

// Placing the tray icon waits for the shell, and what other programs send to
// the main window meanwhile is handled inside that wait, while the monitor is
// still being built (wine showed the session's end arriving there).
TEST_F(ShellScenario, MessagesSentWhileTheTrayIconIsPlacedLeaveTheStartAsItWas) {
    MonitorWorld plain;
    plain.World.Desktop.Peer().SetPresent(true);
    plain.Start();
    plain.World.Loop.AdvanceBy(3200);

    FWorld.Desktop.Peer().SetPresent(true);
    FWorld.Desktop.WhileTrayIconIsPlaced = [this] {
        auto& peer = FWorld.Desktop.Peer();
        EXPECT_TRUE(peer.SendToMonitor(MSG_APPLY_PROFILE, 0, 2));
        EXPECT_TRUE(peer.SendToMonitor(MSG_RELOAD_SETTINGS, 0, 0));
        EXPECT_TRUE(FWorld.Desktop.SendToWindow(FWorld.Desktop.FindWindowByClass(u"TZQMONMAIN"),
                                                WM_POWERBROADCAST_, PBT_APMRESUMEAUTOMATIC_, 0, 0));
    };
    FMonitor.Start();
    FWorld.Loop.AdvanceBy(3200);
    EXPECT_TRUE(FWorld.Loop.UnhandledErrors().empty());
    for (const char* channel : {"hid-set", "driver", "tray"})
        EXPECT_EQ(Channel(channel), plain.Channel(channel)) << channel;
}

TEST_F(ShellScenario, TheSessionEndingOrACloseRequestWhileTheTrayIconIsPlacedEndsTheProgram) {
    FWorld.Desktop.WhileTrayIconIsPlaced = [this] {
        FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN")->EndSession();
    };
    Start();
    EXPECT_TRUE(FWorld.Loop.IsTerminated());
    FMonitor.Stop();
    // Nothing reached the mouse; the driver got the shutdown record once.
    EXPECT_TRUE(Channel("hid-set").empty());
    EXPECT_EQ(Channel("driver"), (std::vector<std::string>{"80008004 " + std::string(476, '0')}));

    MonitorWorld closed;
    closed.World.Desktop.Peer().SetPresent(true);
    closed.World.Desktop.WhileTrayIconIsPlaced = [&closed] {
        EXPECT_FALSE(closed.World.Desktop.FindOwnWindow(u"TZQMONMAIN")->RequestClose());
    };
    closed.Start();
    EXPECT_TRUE(closed.World.Loop.IsTerminated());
    EXPECT_EQ(closed.Channel("peer-post"), (std::vector<std::string>{"7036 0 0"}));
}

TEST_F(ShellScenario, AboutShowsTheWindowAndItsButtonsAct) {
    auto& monitor = Start("http://www.example.com");
    EXPECT_FALSE(FWorld.Desktop.Tray()->ChooseMenuItem(u"About")); // hidden entry
    auto* window = FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN");
    const auto start = FWorld.Loop.NowMs();
    monitor.About1Click();
    EXPECT_TRUE(window->IsVisible());
    EXPECT_TRUE(window->WasBroughtToForeground());
    EXPECT_EQ(FWorld.Loop.NowMs() - start, 50u); // pumped, then paused 50 ms
    const auto& items = window->CurrentScene().Items;
    auto text = [&](const std::string& name) {
        for (const auto& i : items)
            if (i.Name == name)
                return i.Text;
        return std::u16string(u"<none>");
    };
    EXPECT_EQ(text("Label1"), u"Hardware & Software Information:");
    EXPECT_EQ(text("Label2"), u"Hardware Core:1.00.00");
    EXPECT_EQ(text("Label3"), u"Software Core:1.00.00");
    EXPECT_EQ(text("Label4"), u"Software Update Website:");
    EXPECT_EQ(text("TextWeb"), u"http://www.example.com");
    EXPECT_EQ(text("BtnOK"), u"OK");

    ASSERT_TRUE(window->ClickSceneItem("BtnGoWeb"));
    EXPECT_EQ(Channel("shell"), (std::vector<std::string>{"open http://www.example.com 1"}));
    ASSERT_TRUE(window->ClickSceneItem("BtnOK"));
    EXPECT_FALSE(window->IsVisible());
}

TEST_F(ShellScenario, MessagesFromTheConfigurationProgramAreAnswered) {
    FWorld.Desktop.Peer().SetPresent(true);
    Start();
    EXPECT_EQ(FWorld.Desktop.Peer().SendToMonitor(MSG_APPLY_PROFILE, 0, 2),
              std::optional<LResult>(0));
    EXPECT_EQ(FWorld.Desktop.Peer().SendToMonitor(MSG_RELOAD_SETTINGS, 0, 0),
              std::optional<LResult>(0));
    EXPECT_TRUE(FWorld.Desktop.Peer().PostToMonitor(MSG_RELOAD_SETTINGS, 0, 0));
    FWorld.Loop.RunUntilQuiet();
    EXPECT_TRUE(FWorld.Loop.UnhandledErrors().empty());
}

TEST_F(ShellScenario, ShutdownPausesAfterTheDevicesStop) {
    Start();
    const auto before = FWorld.Loop.NowMs();
    FMonitor.Stop();
    EXPECT_EQ(FWorld.Loop.NowMs() - before, 100u);
}

TEST_F(ShellScenario, ProgramRunsUntilExitAndEndsWithCodeZero) {
    FWorld.Desktop.Peer().SetPresent(true);
    FMonitor.WriteConfig("[OtherConfig]\nOfficialWebsite=http://support.example.com\n");
    FWorld.Loop.Post([&] {
        auto* window = FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN");
        window->ClickSceneItem("BtnGoWeb");
        FWorld.Desktop.Tray()->ChooseMenuItem(u"Exit");
    });
    EXPECT_EQ(RunMonitorProgram(FWorld.Platform()), 0);
    EXPECT_EQ(Channel("shell"), (std::vector<std::string>{"open http://support.example.com 1"}));
    EXPECT_EQ(Channel("peer-post"), (std::vector<std::string>{"7036 0 0"}));
    // The instance lock is released at the end.
    EXPECT_FALSE(FWorld.System.NamedMutexExists(u"TZQMONMAIN"));
}

TEST_F(ShellScenario, SecondInstanceEndsAtOnceShowingNothing) {
    auto running = FWorld.System.CreateNamedMutex(u"TZQMONMAIN");
    EXPECT_EQ(RunMonitorProgram(FWorld.Platform()), 0);
    EXPECT_EQ(FWorld.Desktop.Tray(), nullptr);
    EXPECT_EQ(FWorld.Desktop.FindOwnWindow(u"TZQMONMAIN"), nullptr);
    EXPECT_TRUE(FWorld.Log.Effects().empty());
}

TEST_F(ShellScenario, RunsWithoutTheInstanceLockOrAReadableConfiguration) {
    FWorld.System.SetMutexCreationFails(true);
    FMonitor.WriteConfig(std::string(1 << 16, '\0'));
    FWorld.Loop.Post([&] { FWorld.Desktop.Tray()->ChooseMenuItem(u"Exit"); });
    EXPECT_EQ(RunMonitorProgram(FWorld.Platform()), 0);
    EXPECT_TRUE(FWorld.Loop.IsTerminated());
}

} // namespace
} // namespace zq::test

namespace zq::test {
namespace {

TEST(ConfigProgramMessages, DroppedWithoutTheProgramAndGivenUpOnWhenItHangs) {
    TempFolder folder;
    sim::SimWorld world(folder.WithSeparator());
    auto& peer = world.Desktop.Peer();
    PostToConfigProgram(world.Desktop, MSG_DEVICE_CPI_CHANGED, 3, 0);
    EXPECT_EQ(SendToConfigProgram(world.Desktop, MSG_DEVICE_PROFILE_CHANGED, 1, 0), std::nullopt);
    EXPECT_TRUE(world.Log.Effects().empty());

    peer.SetPresent(true);
    peer.SetReply(7);
    PostToConfigProgram(world.Desktop, MSG_DEVICE_NOTICE6, 9, 0);
    EXPECT_EQ(SendToConfigProgram(world.Desktop, MSG_DEVICE_PROFILE_CHANGED, 1, 0),
              std::optional<LResult>(7));
    peer.SetHung(true);
    EXPECT_EQ(SendToConfigProgram(world.Desktop, MSG_DEVICE_PROFILE_CHANGED, 2, 0), std::nullopt);
    EXPECT_EQ(world.Log.Channel("peer-post"), (std::vector<std::string>{"7043 9 0"}));
    EXPECT_EQ(world.Log.Channel("peer-send"), (std::vector<std::string>{"7040 1 0", "7040 2 0"}));
}

} // namespace
} // namespace zq::test

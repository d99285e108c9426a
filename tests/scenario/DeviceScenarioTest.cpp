// The monitor at work with the mouse: start-up resynchronisation, button and
// status reports, profile and CPI changes made on the mouse, arrivals, and the
// configuration program's requests. Every assertion is on what the outside
// world saw: feature reports, driver requests, messages, the microphone.

#include "app/Messages.h"
#include "platform/sim/SimMouse.h"
#include "support/MonitorWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

namespace zq::test {
namespace {

// Feature reports of the read-back sequence (device mode, then queries).
const std::string Mode0 = "0206" + std::string(28, '0');
const std::string Mode1 = "020601" + std::string(26, '0');
const std::string QueryProfile = "0203430001" + std::string("00fafa") + std::string(16, '0');
std::string QueryCpi(int profile) {
    const char digits[] = "0123456789abcdef";
    std::string p{digits[profile >> 4], digits[profile & 15]};
    return "02034f" + p + "2a00fafa" + std::string(16, '0');
}

// The CPI record the driver receives, as hex: the fixed head, the active level,
// then per level the hardware values, asked-for values and rates.
std::string RecordHead(int need, int currentCpi) {
    char head[64];
    std::snprintf(head, sizeof head, "715e%02x00080002030405000000000000%02x%02x", need,
                  currentCpi & 0xFF, currentCpi >> 8);
    return head;
}

class DeviceScenario : public ::testing::Test {
protected:
    DeviceScenario() : FMouse(FWorld.AddMouse()) {}

    // Starts the monitor and lets the first resynchronisation run (the
    // notifier's start delay plus the arrival settle time).
    void StartAndSettle() {
        FWorld.Start();
        World().Loop.AdvanceBy(3100);
        World().Log.Clear();
    }
    sim::SimWorld& World() { return FWorld.World; }
    std::vector<std::string> Channel(const std::string& name) { return FWorld.Channel(name); }
    void Settle() { World().Loop.RunUntilQuiet(); }
    // A profile whose button 0 runs microphone mute.
    void StoreMuteOnButtonZero(int profile) {
        auto stored = MonitorWorld::DefaultProfile(profile);
        stored->ConfigInfo.ButtonFuncInfo[0].FunctionCode = MicrophoneMuteFunctionCode;
        FWorld.StoreProfile(profile, *stored);
    }
    std::vector<std::string> DriverRequests() { return Channel("driver"); }

    MonitorWorld FWorld;
    sim::SimMouse& FMouse;
};

TEST_F(DeviceScenario, StartUpReadsTheMouseAboutThreeSecondsAfterStartAndFollowsItsProfile) {
    FMouse.SetActiveProfile(3);
    FMouse.SetProfileCpiIndex(3, 2);
    FWorld.Start();
    World().Loop.AdvanceBy(2999);
    EXPECT_TRUE(Channel("hid-set").empty());
    World().Loop.AdvanceBy(200);
    EXPECT_EQ(Channel("hid-set"),
              (std::vector<std::string>{Mode0, QueryProfile, QueryCpi(3), Mode1}));
    EXPECT_EQ(FWorld.DM->FProfileIndex, 3);
    EXPECT_EQ(FWorld.DM->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, 2);
    const auto driver = DriverRequests();
    ASSERT_EQ(driver.size(), 1u);
    EXPECT_EQ(driver[0].substr(0, 9), "80008004 ");
    EXPECT_EQ(driver[0].substr(9, 36), RecordHead(1, 2));
    EXPECT_EQ(driver[0].size(), 9u + 476u);
    // Game 4's levels 400, 800, 1600, 3200, 4000 run at 500, 750, 1500, 3250, 4000.
    EXPECT_EQ(driver[0].substr(9 + 36, 18), "01f4010000f4010000");
    // Every effect of the read-back happened at 3050 ms and after.
    for (const auto& effect : World().Log.Effects())
        EXPECT_GE(effect.Time, 3050u) << effect.Channel;
}

TEST_F(DeviceScenario, ButtonBoundToMuteTogglesTheMicrophoneOnEachPress) {
    StoreMuteOnButtonZero(2); // the current profile of the factory settings
    FMouse.SetActiveProfile(2);
    StartAndSettle();
    FMouse.SendButtonReport(0x000001);
    Settle();
    FMouse.SendButtonReport(0); // released: nothing
    Settle();
    FMouse.SendButtonReport(0x000001);
    Settle();
    EXPECT_EQ(Channel("mic"), (std::vector<std::string>{"muted", "unmuted"}));
    EXPECT_EQ(Channel("debug"), (std::vector<std::string>{"KeyIndex = 0 postmessage record!",
                                                          "KeyIndex = 0 postmessage record!"}));
}

TEST_F(DeviceScenario, ButtonsWithoutMuteTwoBitsAndOddReportsDoNothing) {
    StoreMuteOnButtonZero(2);
    FMouse.SetActiveProfile(2);
    StartAndSettle();
    FMouse.SendButtonReport(0x000003); // two buttons at once
    FMouse.SendButtonReport(0x000002); // a button with another function
    FMouse.SendButtonReport(0x008000); // key 15: no function entry
    const std::uint8_t otherId[] = {9, 1, 0, 0, 0, 0, 0, 0};
    FMouse.SendInputReport(otherId);
    FMouse.SendStatusReport(1, 5); // no profile 5
    FMouse.SendStatusReport(3, 1); // unknown sub-code
    Settle();
    const std::uint8_t eightBytes[] = {1, 0, 0, 0, 0, 0, 0, 0};
    FWorld.Monitor->uiHIDData1Data(u"", u"", 7, eightBytes, 8);
    FWorld.Monitor->uiHIDData1Data(u"", u"", 8, eightBytes, 8);
    World().Loop.RunUntilQuiet();
    EXPECT_EQ(Channel("debug"), (std::vector<std::string>{"KeyIndex = 1 postmessage record!",
                                                          "KeyIndex = 15 postmessage record!"}));
    EXPECT_TRUE(Channel("mic").empty());
    EXPECT_TRUE(Channel("hid-set").empty());
    EXPECT_TRUE(DriverRequests().empty());
}

TEST_F(DeviceScenario, ProfileSwitchOnTheMouseIsQueriedAppliedAndTold) {
    World().Desktop.Peer().SetPresent(true);
    StartAndSettle();
    FMouse.SetActiveProfile(1);
    FMouse.SetProfileCpiIndex(1, 4);
    FMouse.SendStatusReport(1, 1);
    Settle();
    EXPECT_EQ(Channel("hid-set"),
              (std::vector<std::string>{Mode0, QueryProfile, QueryCpi(1), Mode1}));
    ASSERT_EQ(DriverRequests().size(), 1u);
    EXPECT_EQ(DriverRequests()[0].substr(9, 36), RecordHead(1, 4));
    EXPECT_EQ(Channel("peer-send"), (std::vector<std::string>{"7040 1 0"}));
    EXPECT_EQ(FWorld.DM->FProfileIndex, 1);
}

TEST_F(DeviceScenario, AFailedProfileQueryKeepsTheProfileButRestoresTheModeAndAppliesCpi) {
    World().Desktop.Peer().SetPresent(true);
    FMouse.SetProfileCpiIndex(0, 3);
    StartAndSettle();
    FMouse.SetActiveProfile(1);
    FMouse.SetGetFeatureError(31);
    FMouse.SendStatusReport(1, 1);
    Settle();
    EXPECT_EQ(Channel("hid-set"), (std::vector<std::string>{Mode0, QueryProfile, Mode1}));
    EXPECT_EQ(FWorld.DM->FProfileIndex, 0);
    ASSERT_EQ(DriverRequests().size(), 1u);
    EXPECT_EQ(DriverRequests()[0].substr(9, 36), RecordHead(1, 3)); // the level read at start
    EXPECT_EQ(Channel("peer-send"), (std::vector<std::string>{"7040 1 0"}));
}

TEST_F(DeviceScenario, KeyTwentyTwoIsTakenAsAProfileEventAndTheMousesAnswerWins) {
    World().Desktop.Peer().SetPresent(true);
    StartAndSettle();
    FMouse.SetActiveProfile(4); // the mouse says 4, the event says 1
    FMouse.SendButtonReport(1u << 22);
    Settle();
    EXPECT_EQ(Channel("debug"), (std::vector<std::string>{"KeyIndex = 22 postmessage record!"}));
    EXPECT_EQ(Channel("hid-set"),
              (std::vector<std::string>{Mode0, QueryProfile, QueryCpi(4), Mode1}));
    EXPECT_EQ(FWorld.DM->FProfileIndex, 4);
    EXPECT_EQ(Channel("peer-send"), (std::vector<std::string>{"7040 1 0"}));
    EXPECT_EQ(DriverRequests().size(), 1u);
}

TEST_F(DeviceScenario, TheEndsOfTheDispatchersRanges) {
    World().Desktop.Peer().SetPresent(true);
    auto stored = MonitorWorld::DefaultProfile(0);
    stored->ConfigInfo.ButtonFuncInfo[13].FunctionCode = MicrophoneMuteFunctionCode;
    FWorld.StoreProfile(0, *stored);
    StartAndSettle();
    FMouse.SendButtonReport(1u << 10); // game 1's media mute key (code 29), not the microphone
    FMouse.SendButtonReport(1u << 13); // the last button with a function entry
    Settle();
    EXPECT_EQ(Channel("mic"), (std::vector<std::string>{"muted"}));
    FMouse.SetActiveProfile(4);
    FMouse.SendStatusReport(1, 4); // the last profile
    Settle();
    EXPECT_EQ(Channel("hid-set"),
              (std::vector<std::string>{Mode0, QueryProfile, QueryCpi(4), Mode1}));
    EXPECT_EQ(Channel("peer-send"), (std::vector<std::string>{"7040 4 0"}));
    EXPECT_EQ(FWorld.DM->FProfileIndex, 4);
}

TEST_F(DeviceScenario, TwoQuickProfileSwitchesTellTheProfileTheMouseIsOn) {
    World().Desktop.Peer().SetPresent(true);
    StartAndSettle();
    FMouse.SetActiveProfile(2);
    // Switched to 1 and on to 2 at once: the second event runs inside the first
    // one's pump.
    FMouse.SendStatusReport(1, 1);
    FMouse.SendStatusReport(1, 2);
    Settle();
    EXPECT_EQ(Channel("peer-send"), (std::vector<std::string>{"7040 2 0"}));
    EXPECT_EQ(FWorld.DM->FProfileIndex, 2);
}

TEST_F(DeviceScenario, CpiBurstIsToldAtOnceAndSentOnce100msAfterTheLast) {
    World().Desktop.Peer().SetPresent(true);
    StartAndSettle();
    const auto start = World().Loop.NowMs();
    for (int level : {1, 2, 3}) {
        FMouse.SendStatusReport(2, static_cast<std::uint8_t>(level));
        Settle();
        World().Loop.AdvanceBy(40);
    }
    World().Loop.AdvanceBy(200);
    EXPECT_EQ(Channel("peer-post"), (std::vector<std::string>{"7042 1 0", "7042 2 0", "7042 3 0"}));
    const auto effects = World().Log.Effects();
    const auto driver = std::find_if(effects.begin(), effects.end(),
                                     [](const auto& e) { return e.Channel == "driver"; });
    ASSERT_NE(driver, effects.end());
    EXPECT_EQ(driver->Details, "8000800c 0300");
    EXPECT_EQ(driver->Time, start + 80 + 100);
    EXPECT_EQ(DriverRequests().size(), 1u);
    FMouse.SendStatusReport(6, 9);
    Settle();
    EXPECT_EQ(Channel("peer-post").back(), "7043 9 0");
}

TEST_F(DeviceScenario, WithoutTheConfigurationProgramTheMonitorStillActs) {
    StoreMuteOnButtonZero(1);
    StartAndSettle();
    FMouse.SetActiveProfile(1);
    FMouse.SendStatusReport(1, 1);
    FMouse.SendStatusReport(2, 7);
    Settle();
    World().Loop.AdvanceBy(150);
    FMouse.SendButtonReport(1);
    Settle();
    EXPECT_TRUE(Channel("peer-post").empty());
    EXPECT_TRUE(Channel("peer-send").empty());
    EXPECT_EQ(DriverRequests().size(), 2u);
    EXPECT_EQ(Channel("mic"), (std::vector<std::string>{"muted"}));
}

TEST_F(DeviceScenario, ArrivalsSettleIntoOneResynchronisation) {
    StartAndSettle();
    // Some other HID device arrives: three arrivals, 500 ms apart.
    const auto start = World().Loop.NowMs();
    World().DeviceNotifications.BroadcastInterfaceEvent(0x8000, World().Hid.InterfaceClass());
    World().Loop.AdvanceBy(500);
    World().DeviceNotifications.BroadcastInterfaceEvent(0x8000, World().Hid.InterfaceClass());
    World().Loop.AdvanceBy(500);
    World().DeviceNotifications.BroadcastInterfaceEvent(0x8000, World().Hid.InterfaceClass());
    World().Loop.AdvanceBy(1499);
    EXPECT_TRUE(Channel("hid-set").empty());
    World().Loop.AdvanceBy(200);
    const auto effects = World().Log.Effects();
    const auto first = std::find_if(effects.begin(), effects.end(),
                                    [](const auto& e) { return e.Channel == "hid-set"; });
    ASSERT_NE(first, effects.end());
    EXPECT_EQ(first->Time, start + 1000 + 1500 + 50);
    const auto sets = Channel("hid-set");
    EXPECT_EQ(std::count(sets.begin(), sets.end(), Mode0), 1);
}

TEST_F(DeviceScenario, ResumeFromSleepResynchronisesOnce1500msAfterTheLastNotice) {
    StartAndSettle();
    World().Desktop.BroadcastToOwnWindows(WM_POWERBROADCAST_, 4, 0); // going to sleep: nothing
    World().Loop.AdvanceBy(3000);
    EXPECT_TRUE(Channel("hid-set").empty());
    // Waking up: the automatic resume, then the one for a present user.
    World().Desktop.BroadcastToOwnWindows(WM_POWERBROADCAST_, PBT_APMRESUMEAUTOMATIC_, 0);
    World().Loop.AdvanceBy(300);
    const auto last = World().Loop.NowMs();
    World().Desktop.BroadcastToOwnWindows(WM_POWERBROADCAST_, PBT_APMRESUMESUSPEND_, 0);
    World().Loop.AdvanceBy(1499);
    EXPECT_TRUE(Channel("hid-set").empty());
    World().Loop.AdvanceBy(200);
    const auto effects = World().Log.Effects();
    const auto first = std::find_if(effects.begin(), effects.end(),
                                    [](const auto& e) { return e.Channel == "hid-set"; });
    ASSERT_NE(first, effects.end());
    EXPECT_EQ(first->Time, last + 1500 + 50);
    EXPECT_EQ(Channel("hid-set"),
              (std::vector<std::string>{Mode0, QueryProfile, QueryCpi(0), Mode1}));
    ASSERT_EQ(DriverRequests().size(), 1u); // the CPI settings, sent again
    EXPECT_EQ(DriverRequests()[0].substr(0, 9), "80008004 ");
}

TEST_F(DeviceScenario, TheTrayHintFollowsProfileAndCpiChangesMadeOnTheMouse) {
    FMouse.SetActiveProfile(1);
    FMouse.SetProfileCpiIndex(1, 1);
    StartAndSettle();
    auto& tray = *World().Desktop.Tray();
    EXPECT_EQ(tray.Hint(), u"GAMING MOUSE DRIVER - Profile 2 - CPI level 2 - Microphone on");
    FMouse.SetActiveProfile(3);
    FMouse.SetProfileCpiIndex(3, 0);
    FMouse.SendStatusReport(1, 3);
    Settle();
    EXPECT_EQ(tray.Hint(), u"GAMING MOUSE DRIVER - Profile 4 - CPI level 1 - Microphone on");
    FMouse.SendStatusReport(2, 4);
    Settle();
    EXPECT_EQ(tray.Hint(), u"GAMING MOUSE DRIVER - Profile 4 - CPI level 5 - Microphone on");
    EXPECT_TRUE(tray.Notices().empty()); // notices are off unless config.ini asks
}

TEST_F(DeviceScenario, WithTheOptionEachBurstOfChangesShowsOneNotice) {
    FWorld.WriteConfig("[options]\r\nShowNotices=1\r\n");
    StoreMuteOnButtonZero(2);
    FMouse.SetActiveProfile(2);
    StartAndSettle();
    auto& tray = *World().Desktop.Tray();
    EXPECT_TRUE(tray.Notices().empty()); // the start-up resynchronisation is no change
    // Three CPI presses in quick succession.
    for (std::uint8_t level = 1; level <= 3; ++level) {
        FMouse.SendStatusReport(2, level);
        World().Loop.AdvanceBy(150);
    }
    World().Loop.AdvanceBy(349); // 499 ms after the last press
    EXPECT_TRUE(tray.Notices().empty());
    World().Loop.AdvanceBy(1);
    using Notice = sim::SimTrayIcon::Notice;
    EXPECT_EQ(tray.Notices(), (std::vector<Notice>{{u"GAMING MOUSE DRIVER", u"CPI level 4"}}));
    FMouse.SendButtonReport(0x000001);
    FMouse.SendButtonReport(0);
    World().Loop.AdvanceBy(600);
    FMouse.SetActiveProfile(4);
    FMouse.SetProfileCpiIndex(4, 2);
    FMouse.SendStatusReport(1, 4);
    World().Loop.AdvanceBy(600);
    EXPECT_EQ(tray.Notices(),
              (std::vector<Notice>{{u"GAMING MOUSE DRIVER", u"CPI level 4"},
                                   {u"GAMING MOUSE DRIVER", u"Microphone off"},
                                   {u"GAMING MOUSE DRIVER", u"Profile 5 - CPI level 3"}}));
}

TEST_F(DeviceScenario, AnArrivalWithoutTheMouseChangesNothing) {
    StartAndSettle();
    FMouse.Unplug();
    Settle();
    World().Log.Clear();
    World().DeviceNotifications.BroadcastInterfaceEvent(0x8000, World().Hid.InterfaceClass());
    World().Loop.AdvanceBy(3000);
    EXPECT_TRUE(World().Log.Effects().empty());
    // Plugged in again: read back and re-applied.
    FMouse.Plug();
    World().Loop.AdvanceBy(1600);
    EXPECT_EQ(Channel("hid-set").size(), 4u);
    EXPECT_EQ(DriverRequests().size(), 1u);
}

TEST_F(DeviceScenario, ApplyProfileRequestTakesTheStoredGameAndTheGivenLevel) {
    StartAndSettle();
    FWorld.StoreAllSettings(3, 1);
    World().Desktop.Peer().SetPresent(true);
    World().Desktop.Peer().SendToMonitor(MSG_APPLY_PROFILE, 0, 2);
    EXPECT_EQ(FWorld.DM->FProfileIndex, 3);
    World().Desktop.Peer().SendToMonitor(MSG_APPLY_PROFILE, 0, 11);
    const auto driver = DriverRequests();
    ASSERT_EQ(driver.size(), 2u);
    EXPECT_EQ(driver[0].substr(9, 36), RecordHead(1, 2));
    EXPECT_EQ(driver[1].substr(9, 36), RecordHead(1, 0)); // 11 is no level of the record
    EXPECT_TRUE(Channel("hid-set").empty());              // the mouse is not asked
    EXPECT_TRUE(World().Desktop.Peer().Received().empty());
}

TEST_F(DeviceScenario, AShortStoredProfileTakesNothingFromThePreviousOne) {
    StoreMuteOnButtonZero(0);
    // Profile 1 cut short by an interrupted write: its header and function list only.
    auto truncated = BytesOf(*MonitorWorld::DefaultProfile(1));
    truncated.resize(offsetof(TMouseProfileInfo, ConfigInfo));
    World().Registry.SetValue(RegistryRoot::CurrentUser, DefaultProfileKey, u"Profile2.pfd",
                              RegistryValue{REG_BINARY_, truncated});
    StartAndSettle();
    FMouse.SetActiveProfile(1);
    FMouse.SendStatusReport(1, 1);
    Settle();
    FMouse.SendButtonReport(1);
    Settle();
    EXPECT_TRUE(Channel("mic").empty()); // profile 0's mute binding is not carried over
    ASSERT_EQ(DriverRequests().size(), 1u);
    // No CPI level of profile 0 either: the five levels are off, at no rate.
    std::string offLevels;
    for (int i = 0; i < 5; ++i)
        offLevels += "00fa000000fa000000";
    EXPECT_EQ(DriverRequests()[0].substr(9 + 36, offLevels.size()), offLevels);
}

TEST_F(DeviceScenario, ApplyProfileAfterTheSettingsBecameUnreadableKeepsTheStoredGame) {
    StoreMuteOnButtonZero(3);
    FWorld.StoreAllSettings(3, 1);
    StartAndSettle(); // the mouse is on profile 0
    // The settings are written over as text: they cannot be read any more.
    World().Registry.SetValue(RegistryRoot::CurrentUser, DefaultProfileKey, u"allsettings.pfd",
                              RegistryValue{REG_SZ_, {'x', 0, 0, 0}});
    World().Desktop.Peer().SendToMonitor(MSG_APPLY_PROFILE, 0, 1);
    FMouse.SendButtonReport(1); // profile 3's mute button, not the factory game's
    Settle();
    EXPECT_EQ(Channel("mic"), (std::vector<std::string>{"muted"}));
}

TEST_F(DeviceScenario, ShutdownStopsReadingAndSendsTheRecordNotToBeApplied) {
    StartAndSettle();
    FWorld.Stop();
    const auto driver = DriverRequests();
    ASSERT_EQ(driver.size(), 1u);
    EXPECT_EQ(driver[0].substr(9, 36), RecordHead(0, 0));
    FMouse.SendButtonReport(1);
    Settle();
    EXPECT_TRUE(Channel("debug").empty());
}

TEST_F(DeviceScenario, TheSessionEndingInsideTheProfileReadBackStopsIt) {
    World().Desktop.Peer().SetPresent(true);
    StartAndSettle();
    auto* window = World().Desktop.FindOwnWindow(u"TZQMONMAIN");
    World().Loop.DeliverInsideNextPump([window] { window->EndSession(); });
    FMouse.SetActiveProfile(1);
    FMouse.SendStatusReport(1, 1);
    Settle();
    EXPECT_EQ(Channel("hid-set"), (std::vector<std::string>{Mode0}));
    // The shutdown record is the last one: no record to apply follows it.
    ASSERT_EQ(DriverRequests().size(), 1u);
    EXPECT_EQ(DriverRequests()[0].substr(9, 36), RecordHead(0, 0));
    EXPECT_TRUE(Channel("peer-send").empty());
    EXPECT_TRUE(World().Loop.IsTerminated());
}

TEST_F(DeviceScenario, TheSessionEndingInsideTheReadingRestartStopsTheResynchronisation) {
    StartAndSettle();
    auto* window = World().Desktop.FindOwnWindow(u"TZQMONMAIN");
    World().Loop.DeliverInsideNextPump([window] { window->EndSession(); });
    World().DeviceNotifications.BroadcastInterfaceEvent(0x8000, World().Hid.InterfaceClass());
    World().Loop.AdvanceBy(1600);
    EXPECT_TRUE(Channel("hid-set").empty());
    ASSERT_EQ(DriverRequests().size(), 1u);
    EXPECT_EQ(DriverRequests()[0].substr(9, 36), RecordHead(0, 0));
    EXPECT_EQ(FMouse.OpenHandles(), 0u); // no reader started after the shutdown
}

TEST_F(DeviceScenario, AResynchronisationInsideAnotherLeavesOneReaderPerInterface) {
    StoreMuteOnButtonZero(0);
    StartAndSettle();
    // An arrival settles while a resynchronisation waits in its pump (as when the
    // tray menu's modal loop runs the timer): a second one runs in there.
    World().Loop.DeliverInsideNextPump([this] { FWorld.Monitor->TimerDeviceArrialTimer(); });
    World().DeviceNotifications.BroadcastInterfaceEvent(0x8000, World().Hid.InterfaceClass());
    World().Loop.AdvanceBy(1600);
    World().Log.Clear();
    FMouse.SendButtonReport(1);
    Settle();
    EXPECT_EQ(Channel("mic"), (std::vector<std::string>{"muted"}));
    EXPECT_EQ(Channel("debug").size(), 1u);
}

TEST(ShutdownScenario, WithoutAnyRecordBuiltTheZeroRecordIsSent) {
    MonitorWorld world;
    world.Start();
    world.Stop();
    EXPECT_EQ(world.Channel("driver"),
              (std::vector<std::string>{"80008004 " + std::string(476, '0')}));
}

TEST_F(DeviceScenario, AReportHandledInsideAnotherHandlersPumpStaysCorrect) {
    StoreMuteOnButtonZero(0);
    StartAndSettle();
    FMouse.SetActiveProfile(0);
    // A profile event, then at once a button press: the press is handled inside
    // the profile event's pump, before its queries finish.
    FMouse.SendStatusReport(1, 0);
    FMouse.SendButtonReport(1);
    Settle();
    EXPECT_EQ(Channel("mic"), (std::vector<std::string>{"muted"}));
    EXPECT_EQ(Channel("hid-set"),
              (std::vector<std::string>{Mode0, QueryProfile, QueryCpi(0), Mode1}));
    EXPECT_TRUE(World().Loop.UnhandledErrors().empty());
}

} // namespace
} // namespace zq::test

// Toggling the microphone mute: Core Audio on Windows 6 and later, the legacy
// mixer before.

#include "app/MouseMonitor.h"
#include "platform/sim/SimWorld.h"
#include "support/MonitorWorld.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

class MicrophoneScenario : public ::testing::Test {
protected:
    MouseMonitor* Start() { return &FMonitorWorld.Start(); }
    std::vector<std::string> Mic() const { return FWorld.Log.Channel("mic"); }
    std::vector<std::string> Messages() const { return FWorld.Log.Channel("message"); }
    sim::SimTrayIcon& Tray() const { return *FWorld.Desktop.Tray(); }

    MonitorWorld FMonitorWorld;
    sim::SimWorld& FWorld = FMonitorWorld.World;
};

TEST_F(MicrophoneScenario, EachPressTogglesTheDefaultMicrophone) {
    auto monitor = Start();
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 1); // opened when the window was created
    monitor->MicrophoneMute();
    EXPECT_TRUE(FWorld.Microphone.Muted());
    monitor->MicrophoneMute();
    EXPECT_FALSE(FWorld.Microphone.Muted());
    EXPECT_EQ(Mic(), (std::vector<std::string>{"muted", "unmuted"}));
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 1);
}

TEST_F(MicrophoneScenario, WithoutACaptureDeviceNothingHappensAndEachPressTriesAgain) {
    FWorld.Microphone.SetPresent(false);
    auto monitor = Start();
    monitor->MicrophoneMute();
    monitor->MicrophoneMute();
    EXPECT_TRUE(Mic().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 3);
    FWorld.Microphone.SetPresent(true); // a microphone is plugged in
    monitor->MicrophoneMute();
    EXPECT_EQ(Mic(), (std::vector<std::string>{"muted"}));
}

TEST_F(MicrophoneScenario, TheFirstChosenEndpointStaysWhenTheDefaultChanges) {
    auto monitor = Start();
    const int headset = FWorld.Microphone.AddDevice();
    FWorld.Microphone.SetDefaultDevice(headset);
    monitor->MicrophoneMute();
    EXPECT_TRUE(FWorld.Microphone.Muted(0));
    EXPECT_FALSE(FWorld.Microphone.Muted(headset));
}

TEST_F(MicrophoneScenario, AMicrophoneUnpluggedAndPluggedBackIsToggledAgain) {
    auto monitor = Start();
    monitor->MicrophoneMute();
    FWorld.Microphone.SetPresent(false); // the headset is unplugged
    monitor->MicrophoneMute();           // nothing there to toggle
    FWorld.Microphone.SetPresent(true);  // and plugged back
    monitor->MicrophoneMute();
    EXPECT_EQ(Mic(), (std::vector<std::string>{"muted", "unmuted"}));
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 2); // opened anew after the removal
}

TEST_F(MicrophoneScenario, AfterTheAudioServiceRestartsTheSameMicrophoneIsToggled) {
    auto monitor = Start();
    const int headset = FWorld.Microphone.AddDevice();
    FWorld.Microphone.SetDefaultDevice(headset);
    FWorld.Microphone.RestartAudioService();
    monitor->MicrophoneMute();
    EXPECT_TRUE(FWorld.Microphone.Muted(0));
    EXPECT_FALSE(FWorld.Microphone.Muted(headset));
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 1);
}

TEST_F(MicrophoneScenario, AnUnreadableStateChangesNothing) {
    auto monitor = Start();
    FWorld.Microphone.SetGetMuteFails(true);
    monitor->MicrophoneMute();
    EXPECT_TRUE(Mic().empty());
    FWorld.Microphone.SetGetMuteFails(false);
    FWorld.Microphone.SetSetMuteFails(true);
    monitor->MicrophoneMute(); // a failing set is ignored
    EXPECT_TRUE(Mic().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MicrophoneScenario, TheTrayShowsEachPressAndEveryChangeMadeElsewhere) {
    auto monitor = Start();
    const std::u16string state = u"GAMING MOUSE DRIVER - Profile 3 - CPI level 1 - ";
    EXPECT_EQ(Tray().Form(), TrayIconForm::Normal);
    EXPECT_EQ(Tray().Hint(), state + u"Microphone on");
    monitor->MicrophoneMute();
    EXPECT_EQ(Tray().Form(), TrayIconForm::MicrophoneMuted);
    EXPECT_EQ(Tray().Hint(), state + u"Microphone off");

    // The system's sound settings unmute it: the audio system reports the change.
    FWorld.Microphone.SetMuted(false);
    EXPECT_EQ(Tray().Form(), TrayIconForm::MicrophoneMuted); // reported, not yet handled
    FWorld.Loop.RunUntilQuiet();
    EXPECT_EQ(Tray().Form(), TrayIconForm::Normal);
    EXPECT_EQ(Tray().Hint(), state + u"Microphone on");
    // A headset's own button mutes it again.
    FWorld.Microphone.SetMuted(true);
    FWorld.Loop.RunUntilQuiet();
    EXPECT_EQ(Tray().Form(), TrayIconForm::MicrophoneMuted);
    EXPECT_EQ(Mic(), (std::vector<std::string>{"muted"})); // only the press was ours
}

TEST_F(MicrophoneScenario, WithoutACaptureDeviceTheTrayLooksAsAlways) {
    FWorld.Microphone.SetPresent(false);
    auto monitor = Start();
    monitor->MicrophoneMute();
    EXPECT_EQ(Tray().Form(), TrayIconForm::Normal);
    EXPECT_EQ(Tray().Hint(), u"GAMING MOUSE DRIVER - Profile 3 - CPI level 1");
    FWorld.Microphone.SetPresent(true); // plugged in: the next press finds it
    monitor->MicrophoneMute();
    EXPECT_EQ(Tray().Form(), TrayIconForm::MicrophoneMuted);
}

TEST_F(MicrophoneScenario, ChangesOfADeviceNotOpenedAreNotShown) {
    Start();
    const int headset = FWorld.Microphone.AddDevice();
    FWorld.Microphone.SetMuted(true, headset);
    FWorld.Loop.RunUntilQuiet();
    EXPECT_EQ(Tray().Form(), TrayIconForm::Normal);
}

TEST_F(MicrophoneScenario, WithTheOptionTheToggleFollowsTheDefaultMicrophone) {
    FMonitorWorld.WriteConfig("[options]\r\nFollowDefaultMicrophone=1\r\n");
    auto monitor = Start();
    const int headset = FWorld.Microphone.AddDevice();
    FWorld.Microphone.SetMuted(true, headset);
    FWorld.Microphone.SetDefaultDevice(headset);
    FWorld.Loop.RunUntilQuiet();
    EXPECT_EQ(Tray().Form(), TrayIconForm::MicrophoneMuted); // the headset's state
    monitor->MicrophoneMute();
    EXPECT_FALSE(FWorld.Microphone.Muted(headset));
    EXPECT_FALSE(FWorld.Microphone.Muted(0));
    EXPECT_EQ(Mic(), (std::vector<std::string>{"unmuted device 1"}));
    // Changes of the first device no longer reach the tray.
    FWorld.Microphone.SetMuted(true, 0);
    FWorld.Loop.RunUntilQuiet();
    EXPECT_EQ(Tray().Form(), TrayIconForm::Normal);
}

TEST_F(MicrophoneScenario, WithoutTheOptionAChangeOfTheDefaultLeavesTheTrayAndToggleAlone) {
    auto monitor = Start();
    const int headset = FWorld.Microphone.AddDevice();
    FWorld.Microphone.SetMuted(true, headset);
    FWorld.Microphone.SetDefaultDevice(headset);
    FWorld.Loop.RunUntilQuiet();
    EXPECT_EQ(Tray().Form(), TrayIconForm::Normal);
    monitor->MicrophoneMute();
    EXPECT_EQ(Mic(), (std::vector<std::string>{"muted"}));
    EXPECT_TRUE(FWorld.Microphone.Muted(headset)); // untouched
}

class LegacyMixerScenario : public MicrophoneScenario {
protected:
    void SetUp() override { FWorld.System.SetOsVersion(OsVersion{2, 5, 1, 2600}); }
};

TEST_F(LegacyMixerScenario, PressesToggleTheMicrophoneLine) {
    auto monitor = Start();
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 0); // no Core Audio before Windows 6
    monitor->MicrophoneMute();
    monitor->MicrophoneMute();
    EXPECT_EQ(Mic(), (std::vector<std::string>{"muted", "unmuted"}));
    EXPECT_EQ(FWorld.Microphone.EndpointOpenCount(), 0);
}

TEST_F(LegacyMixerScenario, NoMixerOrNoMicrophoneLineDoesNothingSilently) {
    auto monitor = Start();
    FWorld.Microphone.SetMixerPresent(false);
    monitor->MicrophoneMute();
    FWorld.Microphone.SetMixerPresent(true);
    FWorld.Microphone.SetMixerHasMicrophoneLine(false);
    monitor->MicrophoneMute();
    EXPECT_TRUE(Mic().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LegacyMixerScenario, MissingControlsAndFailedTransfersAreReported) {
    auto monitor = Start();
    FWorld.Microphone.SetMixerHasMuteControl(false);
    monitor->MicrophoneMute(); // the query and the set each fail to find the control
    EXPECT_EQ(Messages(), (std::vector<std::string>{"GetLineInfo Error", "GetLineInfo Error"}));
    FWorld.Log.Clear();
    FWorld.Microphone.SetMixerHasMuteControl(true);
    FWorld.Microphone.SetMixerValueFails(true);
    monitor->MicrophoneMute();
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"SetControlDetails Error", "SetControlDetails Error"}));
    EXPECT_TRUE(Mic().empty());
}

} // namespace
} // namespace zq::test

// The whole monitor in this process on the Windows services, with the virtual
// mouse on the system's HID class driver and the recording device of the test
// session's sound server: a button bound to microphone mute toggles the real
// endpoint's mute, as read back from that endpoint.
#include "FolderPlatform.h"
#include "app/Messages.h"
#include "app/MonitorSession.h"
#include "devices/VirtualMouse.h"
#include "platform/win32/Win32CaptureEndpoint.h"
#include "profiles/FactoryDefaults.h"
#include "profiles/ProfileRecords.h"
#include "support/TempFolder.h"
#include "support/win32/StoredGame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zq::test {
namespace {

using devices::VirtualMouse;
using namespace std::chrono_literals;

constexpr wchar_t ProfileKey[] = L"software\\ZQWIN32MONITOR";

// The endpoint the monitor opens, with each mute it sets read back from the
// endpoint itself.
class ObservedEndpoint : public ICaptureEndpoint {
public:
    ObservedEndpoint(std::unique_ptr<ICaptureEndpoint> real, std::vector<std::string>& states)
        : FReal(std::move(real)), FStates(states) {}
    std::optional<bool> GetMute() override {
        ReadOn.push_back(std::this_thread::get_id());
        return FReal->GetMute();
    }
    bool SetMute(bool muted) override {
        const bool done = FReal->SetMute(muted);
        const auto now = FReal->GetMute();
        FStates.push_back(!now ? "unreadable" : *now ? "muted" : "unmuted");
        return done;
    }
    bool Reactivate() override { return FReal->Reactivate(); }
    void NotifyChanges(WindowHandle window, std::uint32_t msg) override {
        FReal->NotifyChanges(window, msg);
    }
    ICaptureEndpoint& Real() { return *FReal; }
    // The threads the monitor read the mute state on.
    std::vector<std::thread::id> ReadOn;

private:
    std::unique_ptr<ICaptureEndpoint> FReal;
    std::vector<std::string>& FStates;
};

class ObservedAudio : public IAudio {
public:
    std::unique_ptr<ICaptureEndpoint> OpenDefaultCaptureEndpoint() override {
        auto real = FReal.OpenDefaultCaptureEndpoint();
        if (!real)
            return nullptr;
        ++Opened;
        auto observed = std::make_unique<ObservedEndpoint>(std::move(real), States);
        Last = observed.get();
        return observed;
    }
    std::uint32_t MixerDeviceCount() override { return FReal.MixerDeviceCount(); }
    std::unique_ptr<IMixerDevice> OpenMixer(std::uint32_t device) override {
        return FReal.OpenMixer(device);
    }
    std::unique_ptr<IAudioWatch> WatchDefaultCaptureDevice(WindowHandle window,
                                                           std::uint32_t msg) override {
        return FReal.WatchDefaultCaptureDevice(window, msg);
    }
    int Opened = 0;
    ObservedEndpoint* Last = nullptr;
    std::vector<std::string> States;

private:
    win32::Win32Audio FReal;
};

TEST(Win32MonitorStack, AButtonBoundToMuteTogglesTheRealRecordingDevice) {
    const char* endpoint = std::getenv("ZQ_CAPTURE_ENDPOINT");
    ASSERT_TRUE(endpoint && std::string(endpoint) == "1")
        << "no recording device: run under scripts/wine-session with pulseaudio installed "
           "(scripts/setup installs it)";
    const std::string problem = VirtualMouse::Install();
    ASSERT_TRUE(problem.empty()) << problem;
    ASSERT_TRUE(VirtualMouse::Plug());
    ASSERT_TRUE(VirtualMouse::Reset());
    ASSERT_TRUE(VirtualMouse::SetActiveProfile(2));

    // Game 3's profile, the current one of the factory settings, with button 0
    // bound to microphone mute, as the configuration program stores it.
    ASSERT_TRUE(StoreGameWithButtonBound(ProfileKey, 3, 0, MicrophoneMuteFunctionCode));

    TempFolder folder;
    std::ofstream(folder.Path() / "config.ini", std::ios::binary)
        << "[options]\r\nProfileRegFolder=ZQWIN32MONITOR\r\n"
           "[IncludeHIDDeviceList]\r\nid1=HID\\VID_7A51&PID_0C01&MI_01\r\n";
    ObservedAudio audio;
    FolderPlatform windows(folder.WithSeparator(), &audio);
    zq::Platform& platform = windows.Platform();
    auto& loop = windows.Windows().Loop;
    const auto pumpUntil = [&](auto cond, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!cond()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            loop.ProcessMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    };

    {
        MonitorSession session(platform);
        EXPECT_EQ(audio.Opened, 1) << "the monitor opened no recording device";
        // The start-up resynchronisation starts reading, then reads the mouse
        // back, ending in mode 1.
        ASSERT_TRUE(pumpUntil([] { return VirtualMouse::State()->Mode == 1; }, 10s));

        const std::uint8_t press[] = {7, 1, 0, 0, 0, 0, 0, 0};
        const std::uint8_t release[] = {7, 0, 0, 0, 0, 0, 0, 0};
        for (std::size_t presses = 1; presses <= 2; ++presses) {
            ASSERT_TRUE(VirtualMouse::SendInput(press));
            ASSERT_TRUE(VirtualMouse::SendInput(release));
            ASSERT_TRUE(pumpUntil([&] { return audio.States.size() == presses; }, 5s))
                << "press " << presses << " did not reach the microphone";
        }
        pumpUntil([] { return false; }, 300ms); // nothing more follows
        EXPECT_EQ(audio.States, (std::vector<std::string>{"muted", "unmuted"}));
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);
    VirtualMouse::Unplug();
}

// The real endpoint, opened through Win32Audio by the whole monitor, registers
// the program's callback object. Wine accepts the registration but never calls
// a callback (see Win32AudioTest), so the audio service's part is played here:
// the registered object is told of a change on a thread of its own, as the
// service would. The report must reach the main window as a posted message and
// be handled there, on the main thread, where the monitor reads the mute state
// again for the tray; the notifying thread touches no window.
TEST(Win32MonitorStack, TheRealEndpointsCallbackReachesTheMainWindowOnTheMainThread) {
    const char* endpoint = std::getenv("ZQ_CAPTURE_ENDPOINT");
    ASSERT_TRUE(endpoint && std::string(endpoint) == "1")
        << "no recording device: run under scripts/wine-session with pulseaudio installed "
           "(scripts/setup installs it)";
    TempFolder folder;
    ObservedAudio audio;
    FolderPlatform windows(folder.WithSeparator(), &audio);
    zq::Platform& platform = windows.Platform();
    auto& loop = windows.Windows().Loop;
    MonitorSession session(platform);
    ASSERT_NE(audio.Last, nullptr) << "the monitor opened no recording device";
    auto* real = dynamic_cast<win32::Win32CaptureEndpoint*>(&audio.Last->Real());
    ASSERT_NE(real, nullptr);
    EXPECT_TRUE(real->Registered()) << "the endpoint refused the program's callback";
    ASSERT_NE(real->Callback(), nullptr);

    const std::thread::id mainThread = std::this_thread::get_id();
    loop.ProcessMessages();
    const std::size_t readsBefore = audio.Last->ReadOn.size();
    std::thread service([&] {
        AUDIO_VOLUME_NOTIFICATION_DATA data{};
        data.bMuted = TRUE;
        data.nChannels = 1;
        real->Callback()->OnNotify(&data);
    });
    service.join();
    EXPECT_EQ(audio.Last->ReadOn.size(), readsBefore) << "handled before the loop ran";
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (audio.Last->ReadOn.size() == readsBefore && std::chrono::steady_clock::now() < end) {
        loop.ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    ASSERT_GT(audio.Last->ReadOn.size(), readsBefore)
        << "the notification did not reach the main window";
    for (const auto& thread : audio.Last->ReadOn)
        EXPECT_EQ(thread, mainThread);
}

} // namespace
} // namespace zq::test

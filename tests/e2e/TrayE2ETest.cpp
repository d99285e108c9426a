// The tray icon as a person sees it. The real monitor runs with the virtual
// mouse and the test session's recording device; the system tray is read back
// from the screen before and after the mouse button bound to microphone mute is
// pressed. The pictures are kept beside the build for people to look at:
// build/windows/test-artifacts/tray-microphone-on.bmp, tray-microphone-muted.bmp
// and tray-microphone-on-again.bmp.

#include "MonitorProcess.h"
#include "ScreenPicture.h"
#include "devices/VirtualMouse.h"
#include "devices/vfilter/VirtualFilterDriver.h"
#include "support/win32/StoredGame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace zq::e2e {
namespace {

using devices::VirtualFilterDriver;
using devices::VirtualMouse;

constexpr wchar_t ProfileKey[] = L"software\\ZQE2ETRAY";
const std::string Config = "[options]\r\nProfileRegFolder=ZQE2ETRAY\r\n"
                           "[IncludeHIDDeviceList]\r\nid1=hid\\vid_7a51&pid_0c01&mi_01\r\n";

// The notification area as it is shown: the taskbar's on Windows; where no
// shell owns the display, wine's X11 driver shows icons in a tray window of its
// own (the taskbar's window then exists but stays hidden).
HWND SystemTray() {
    for (const wchar_t* name : {L"Shell_TrayWnd", L"__winex11_standalone_tray"}) {
        const HWND tray = ::FindWindowW(name, nullptr);
        if (tray && ::IsWindowVisible(tray))
            return tray;
    }
    return nullptr;
}

std::optional<ScreenPicture> TrayPicture() {
    const HWND tray = SystemTray();
    RECT area{};
    if (!tray || !::GetClientRect(tray, &area))
        return std::nullopt;
    ::MapWindowPoints(tray, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return ScreenPicture::Take(area);
}

// The tray once it has stopped changing (a picture equal to the one taken a
// moment before), different from `unlike` when given.
std::optional<ScreenPicture> SettledTray(const std::optional<ScreenPicture>& unlike = {}) {
    std::optional<ScreenPicture> last, picture;
    const bool settled = WaitFor(
        [&] {
            last = std::exchange(picture, TrayPicture());
            return picture && last && *picture == *last && (!unlike || *picture != *unlike);
        },
        10s);
    return settled ? picture : std::nullopt;
}

bool IsMarkRed(std::uint32_t pixel) {
    const auto r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r >= 0xA0 && g <= 0x70 && b <= 0x70;
}

void PressMuteButton() {
    const std::uint8_t press[] = {7, 1, 0, 0, 0, 0, 0, 0};
    const std::uint8_t release[] = {7, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(VirtualMouse::SendInput(press));
    ASSERT_TRUE(VirtualMouse::SendInput(release));
}

class TrayE2E : public ::testing::Test {
protected:
    static void TearDownTestSuite() { VirtualMouse::Unplug(); }
    void SetUp() override {
        const char* endpoint = std::getenv("ZQ_CAPTURE_ENDPOINT");
        ASSERT_TRUE(endpoint && std::string(endpoint) == "1")
            << "no recording device: run under scripts/wine-session with pulseaudio installed "
               "(scripts/setup installs it)";
        const std::string mouse = VirtualMouse::Install();
        ASSERT_TRUE(mouse.empty()) << mouse;
        const std::string driver = VirtualFilterDriver::Install();
        ASSERT_TRUE(driver.empty()) << driver;
        ASSERT_TRUE(VirtualMouse::Plug());
        ASSERT_TRUE(VirtualMouse::Reset());
        ASSERT_TRUE(VirtualFilterDriver::Clear());
        ASSERT_TRUE(VirtualMouse::SetActiveProfile(2));
        // Game 3, the current one of the factory settings and the mouse's
        // profile 2, with button 0 bound to microphone mute.
        ASSERT_TRUE(test::StoreGameWithButtonBound(ProfileKey, 3, 0, MicrophoneMuteFunctionCode));
        FInstall.WriteFile("config.ini", Config);
    }
    void TearDown() override {
        FMonitor.Kill();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);
    }

    MonitorInstall FInstall{false};
    Process FMonitor;
};

TEST_F(TrayE2E, TheMicrophonesStateShowsOnTheTrayIconOnTheScreen) {
    FMonitor = FInstall.StartMonitor();
    ASSERT_TRUE(FMonitor.Running());
    // Reading starts with the start-up resynchronisation, which ends with the
    // CPI record.
    ASSERT_TRUE(WaitFor([] { return !VirtualFilterDriver::Requests().empty(); }, 15s))
        << "no CPI record reached the driver after start";
    ASSERT_TRUE(WaitFor([] { return SystemTray() != nullptr; }, 10s))
        << "no system tray is shown on the display";
    const auto on = SettledTray();
    ASSERT_TRUE(on) << "the tray could not be read back from the screen";

    PressMuteButton();
    const auto muted = SettledTray(on);
    const auto folder = BuildFolder().parent_path() / "test-artifacts";
    EXPECT_TRUE(on->Save(folder / "tray-microphone-on.bmp"));
    if (muted) {
        EXPECT_TRUE(muted->Save(folder / "tray-microphone-muted.bmp"));
    }
    ASSERT_TRUE(muted) << "the tray did not change after the mute button";

    // The pictures differ in one icon's square only.
    int left = muted->Width, top = muted->Height, right = -1, bottom = -1;
    for (int y = 0; y < muted->Height; ++y)
        for (int x = 0; x < muted->Width; ++x)
            if (muted->At(x, y) != on->At(x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    const int width = right - left + 1, height = bottom - top + 1;
    ASSERT_GT(width, 0);
    EXPECT_LE(width, 32);
    EXPECT_LE(height, 32);

    // There the muted picture has the red slash from the top-left to the
    // bottom-right corner, which the first picture does not have.
    int red = 0, offDiagonal = 0, redBefore = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            if (!IsMarkRed(muted->At(x, y)))
                continue;
            ++red;
            const double across = static_cast<double>(x - left) / width;
            const double down = static_cast<double>(y - top) / height;
            if (std::abs(across - down) > 0.25)
                ++offDiagonal;
            if (IsMarkRed(on->At(x, y)))
                ++redBefore;
        }
    EXPECT_GE(red, std::max(width, height)) << "no red slash where the pictures differ";
    EXPECT_EQ(offDiagonal, 0) << "red outside the slash's diagonal";
    EXPECT_EQ(redBefore, 0) << "the slash was already there with the microphone on";

    // A second press brings the first picture back.
    PressMuteButton();
    const auto again = SettledTray(muted);
    ASSERT_TRUE(again) << "the tray did not change after the second press";
    EXPECT_TRUE(again->Save(folder / "tray-microphone-on-again.bmp"));
    EXPECT_EQ(*again, *on);
}

} // namespace
} // namespace zq::e2e

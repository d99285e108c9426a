#pragma once
// The main window of the monitor ("TZQMONMAIN"). It is never shown in normal use:
// the user meets it as a tray icon with the menu Config / Exit. It owns the
// program's device, driver and language components and its two timers, starts or
// brings forward the configuration program, and handles the window messages that
// program sends. Its content, when shown, is the About window.
//
// The mouse's reports arrive as uiHIDData1Data on the main thread: a button bound
// to microphone mute toggles the microphone, a profile or CPI change made on the
// mouse is followed, applied to the filter driver and told to the configuration
// program. After every arrival of a HID device (and once after start) the window
// waits until arrivals settle, then reloads the profiles, restarts reading and
// re-applies the mouse's profile and CPI level; the same happens after the
// computer resumes from sleep, when the mouse and the driver may have lost the
// settings without any arrival.
//
// The tray tells the state at a glance: its hint names the current profile, its
// CPI level and, while a capture endpoint is open, whether the microphone is
// on; the icon carries a red slash while the microphone is muted. The audio
// system reports mute changes made anywhere as a posted message, so the tray
// stays true. With [options] ShowNotices=1 in config.ini each change made with
// the mouse also shows a balloon notice (one per burst); with
// FollowDefaultMicrophone=1 the mute button follows the default capture device.

#include "driver/CpiUnit.h"
#include "driver/TuiSTDCommand.h"
#include "hid/TuiHIDData.h"
#include "hid/TuiHIDEvent.h"
#include "language/TranslatableComponent.h"
#include "language/TranslatedScene.h"
#include "language/TuiLanguage.h"
#include "platform/Audio.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "platform/Timer.h"
#include "profiles/DMUnit.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zq {

class MouseMonitor {
public:
    // Creates the window and its components, then runs FormCreate. The profile
    // manager must outlive the window.
    MouseMonitor(Platform& platform, TDM& dm);
    // Runs FormDestroy (unless it has run) and releases the components.
    ~MouseMonitor();
    MouseMonitor(const MouseMonitor&) = delete;
    MouseMonitor& operator=(const MouseMonitor&) = delete;

    WindowHandle Handle() const { return FWindow->Handle(); }
    IWindow& Window() { return *FWindow; }

    // Event handlers, named as the window's design binds them.
    void FormCreate();
    void FormDestroy();
    void TrayIconDblClick();
    void Config1Click();
    void About1Click();
    void Exit1Click();
    void BtnOKClick();
    void BtnGoWebClick();

    // Component events, named as the window's design binds them.
    void uiHIDData1Data(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                        std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size);
    void uiHIDEvent1DeviceArrival(TuiHIDEvent& Sender);
    void TimerDeviceArrialTimer();
    void TimerToSetCurrentCpiTimer();
    void TimerNoticeTimer();

    // Handles every waiting message, then sleeps 10 ms (used between device commands).
    void ProcessMessageAndSleep10ms();
    // Toggles the mute state of the default recording device; true when the
    // recording device's mute changed (never for the legacy mixer).
    bool MicrophoneMute();

    // Tray menu entries, in order; About is not visible.
    enum MenuEntry : std::size_t { Config1 = 0, About1 = 1, Exit1 = 2 };

private:
    // Every window message of the main window, dispatched by number.
    std::optional<LResult> WndProc(std::uint32_t msg, WParam wParam, LParam lParam);
    void WMApplyProfile(LParam cpiIndex);
    void WMReloadSettings();
    void WMDeviceAction(WParam action, LParam state);
    void ExecuteButtonFunction(std::uint8_t button, std::uint16_t functionCode, std::uint8_t state);

    // Following the mouse. The sequences pump messages between device commands,
    // so each may run inside another; after each pump, one that finds the window
    // shutting down stops.
    bool ShuttingDown() const;
    void ResyncDevice();
    void RestartDeviceReading();
    void ReadDeviceProfileState();

    void LoadTrayIcon();
    void ApplyLanguage();
    void OpenConfigProgram();
    void ShutdownDevices();
    std::u16string Translate(const std::u16string& text) const;
    void DescribeDesign();
    void ShowAboutScene();
    void OnSceneClick(const std::string& name);

    // The tray's icon form and hint from the present state.
    void UpdateTrayState();
    std::u16string TrayHintText() const;
    // The endpoint's mute state read from it, while it is open and readable.
    std::optional<bool> ReadMicrophoneState();
    // A change made with the mouse, told in a notice once changes stop for a while.
    enum class Change { Microphone, Profile, Cpi };
    void NoteChange(Change change);
    void WMMicrophoneChanged();
    void WMDefaultMicrophoneChanged();
    void WMPowerBroadcast(WParam event);

    void OpenAudioEndpoint();
    // The mute state set, or nullopt when nothing was toggled (or the mixer was).
    std::optional<bool> ToggleMicrophone();
    // Reads the endpoint's mute state and sets the opposite; the state set, or
    // nullopt when either fails.
    static std::optional<bool> ToggleMute(ICaptureEndpoint& endpoint);
    // The CPI settings of the current profile to the filter driver, and the
    // record once more, marked not to be applied, at shutdown.
    void SetCPIToDriver();
    void ResetCPIOfDriver();

    Platform& FPlatform;
    TDM& FDM;
    std::u16string FWebAddress;
    // The window's texts as the language component walks them.
    TTranslatableComponent FDesign;
    std::unique_ptr<IWindow> FWindow;
    std::unique_ptr<ITrayIcon> TrayIcon1;
    std::unique_ptr<TuiLanguage> uiLanguage1;
    std::unique_ptr<TuiHIDData> uiHIDData1;
    std::unique_ptr<TuiHIDEvent> uiHIDEvent1;
    std::unique_ptr<TuiSTDCommand> uiSTDCommand1;
    Timer TimerDeviceArrial;
    Timer TimerToSetCurrentCpi;
    // Debounces the notices of changes made with the mouse.
    Timer TimerNotice;
    // The configuration program as this window last started it.
    std::unique_ptr<IStartedProgram> FStartedConfigProgram;
    // The capture endpoint, opened once and kept while it works (empty until it
    // could be opened, and again once its device has gone).
    std::unique_ptr<ICaptureEndpoint> FEndpoint;
    // Its mute state as last set or read (at opening, and when the audio system
    // reports a change); empty without a readable endpoint. The tray shows it
    // without asking the endpoint on every change of profile or CPI level.
    std::optional<bool> FMicrophoneMuted;
    // Reports of the default capture device changing, kept while the option asks.
    std::unique_ptr<IAudioWatch> FDefaultMicrophoneWatch;
    // The changes made with the mouse since the last notice.
    bool FNoticeMicrophone = false;
    bool FNoticeProfile = false;
    bool FNoticeCpi = false;
    // The About window's content, following the current language.
    std::unique_ptr<TTranslatedScene> vgScene1;
    // The CPI level index last read from the mouse or received from the
    // configuration program, and the CPI record last built.
    std::int32_t FCurrentcpiindex = 0;
    CPI_UNIT FCPIUNIT{};
    // Windows 6 or later: the microphone is muted through its capture endpoint,
    // else through the legacy mixer.
    bool FCoreAudio = false;
    bool FDestroyed = false;
    // The tray shows the state once FormCreate has gathered it.
    bool FCreated = false;
    // Counts the profile events from the mouse, to tell whether a later one ran
    // inside an earlier one's pump.
    std::uint32_t FProfileEvents = 0;
};

// Handles every waiting message, then sleeps 50 ms.
void ProcessMessagesAndSleep50ms(IMessageLoop& loop);

} // namespace zq

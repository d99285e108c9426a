#pragma once
// The main window of the monitor ("TZQMONMAIN"). It is never shown in normal use:
// the user meets it as a tray icon with the menu Config / Exit. It owns the
// program's device, driver and language components and its two timers, starts or
// brings forward the configuration program, and handles the window messages that
// program sends. Its content, when shown, is the About window.

#include "platform/Audio.h"
#include "language/TranslatableComponent.h"
#include "language/TranslatedScene.h"
#include "language/TuiLanguage.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zq {

// Reads the language the user chose in the configuration program: its position in
// the language list (CurrentLanguage of the settings across profiles).
using StoredLanguageIndex = std::function<std::uint8_t()>;

class MouseMonitor {
public:
    // Creates the window and its components, then runs FormCreate.
    // webAddress is the vendor's site shown in the About window. Without a stored
    // language the language stays as the language component chose it.
    MouseMonitor(Platform& platform, std::u16string webAddress,
                 StoredLanguageIndex storedLanguage = {});
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

    // Handles every waiting message, then sleeps 10 ms (used between device commands).
    void ProcessMessageAndSleep10ms();
    // Toggles the mute state of the default recording device.
    void MicrophoneMute();

    // Tray menu entries, in order; About is not visible.
    enum MenuEntry : std::size_t { Config1 = 0, About1 = 1, Exit1 = 2 };

private:
    // Every window message of the main window, dispatched by number.
    std::optional<LResult> WndProc(std::uint32_t msg, WParam wParam, LParam lParam);
    void WMApplyProfile(LParam cpiIndex);
    void WMReloadSettings();
    void WMDeviceAction(WParam action, LParam state);

    void LoadTrayIcon();
    void ApplyLanguage();
    void OpenConfigProgram();
    void ShutdownDevices();
    std::u16string Translate(const std::u16string& text) const;
    void DescribeDesign();
    void ShowAboutScene();
    void OnSceneClick(const std::string& name);

    // Work of the device, driver and audio components, run from the points the
    // window's life gives them.
    void OpenAudioEndpoint();
    void SetCPIToDriver();
    void ResetCPIOfDriver();
    void StopReading();
    void TimerDeviceArrialTimer();
    void TimerToSetCurrentCpiTimer();

    Platform& FPlatform;
    std::u16string FWebAddress;
    StoredLanguageIndex FStoredLanguage;
    // The window's texts as the language component walks them.
    TTranslatableComponent FDesign;
    std::unique_ptr<IWindow> FWindow;
    std::unique_ptr<ITrayIcon> TrayIcon1;
    std::unique_ptr<TuiLanguage> uiLanguage1;
    Timer TimerDeviceArrial;
    Timer TimerToSetCurrentCpi;
    // The capture endpoint, opened once and kept (empty until it could be opened).
    std::unique_ptr<ICaptureEndpoint> FEndpoint;
    // The About window's content, following the current language.
    std::unique_ptr<TTranslatedScene> vgScene1;
    std::int32_t FCurrentcpiindex = 0;
    bool FDestroyed = false;
};

// Handles every waiting message, then sleeps 50 ms.
void ProcessMessagesAndSleep50ms(IMessageLoop& loop);

} // namespace zq

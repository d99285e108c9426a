#include "app/MouseMonitor.h"

#include "app/AboutScene.h"
#include "app/Messages.h"
#include "app/Mixer.h"

namespace zq {

namespace {
// The tray icon file images\0409\icons\logo.ico below the executable's folder;
// optional. Formed from its parts so the path holds on every platform.
std::filesystem::path TrayIconFile() {
    return std::filesystem::path(u"images") / u"0409" / u"icons" / u"logo.ico";
}
} // namespace

MouseMonitor::MouseMonitor(Platform& platform, std::u16string webAddress)
    : FPlatform(platform), FWebAddress(std::move(webAddress)),
      TimerDeviceArrial(platform.Loop, 1500, false),
      TimerToSetCurrentCpi(platform.Loop, 100, false) {
    WindowOptions options;
    options.ClassName = MonitorClassName;
    options.Title = ApplicationTitle;
    options.ClientWidth = AboutWidth;
    options.ClientHeight = AboutHeight;
    options.Popup = true;
    FWindow = FPlatform.Desktop.CreateOwnWindow(
        options, [this](std::uint32_t msg, WParam w, LParam l) { return WndProc(msg, w, l); });

    TrayIcon1 = FPlatform.Desktop.CreateTrayIcon();
    TrayIcon1->SetMenu({{u"Config", true}, {u"About", false}, {u"Exit", true}});
    TrayIcon1->SetHint(TrayHint);
    TrayIcon1->OnClick = [this] { TrayIconDblClick(); };
    TrayIcon1->OnMenuItem = [this](std::size_t index) {
        switch (index) {
        case Config1:
            Config1Click();
            break;
        case About1:
            About1Click();
            break;
        case Exit1:
            Exit1Click();
            break;
        default:
            break;
        }
    };

    TimerDeviceArrial.OnTimer = [this] { TimerDeviceArrialTimer(); };
    TimerToSetCurrentCpi.OnTimer = [this] { TimerToSetCurrentCpiTimer(); };

    FormCreate();
}

MouseMonitor::~MouseMonitor() {
    if (!FDestroyed)
        FormDestroy();
}

void MouseMonitor::FormCreate() {
    LoadTrayIcon();
    ApplyLanguage();
    const OsVersion os = FPlatform.System.GetOsVersion();
    if (os.PlatformId == 2 && os.Major >= 6)
        OpenAudioEndpoint();
}

void MouseMonitor::FormDestroy() {
    FDestroyed = true;
    ShutdownDevices();
}

void MouseMonitor::ShutdownDevices() {
    StopReading();
    ResetCPIOfDriver();
    FPlatform.Loop.Sleep(100);
}

void MouseMonitor::LoadTrayIcon() {
    // The executable's folder ends with a separator; without the file the tray
    // keeps the application icon.
    TrayIcon1->SetIconFromFile(FPlatform.System.ExecutableFolder() / TrayIconFile());
}

std::u16string MouseMonitor::Translate(const std::u16string& text) const {
    return text;
}

void MouseMonitor::ApplyLanguage() {
    TrayIcon1->SetMenuCaption(Config1, Translate(u"Config"));
    TrayIcon1->SetMenuCaption(About1, Translate(u"About"));
    TrayIcon1->SetMenuCaption(Exit1, Translate(u"Exit"));
    TrayIcon1->SetHint(Translate(TrayHint));
    FWindow->SetTitle(Translate(ApplicationTitle));
    FWindow->SetScene(
        BuildAboutScene(FWebAddress, [this](const std::u16string& t) { return Translate(t); }),
        [this](const std::string& name) { OnSceneClick(name); });
}

void MouseMonitor::OnSceneClick(const std::string& name) {
    if (name == AboutOkButton)
        BtnOKClick();
    else if (name == AboutWebButton)
        BtnGoWebClick();
}

void MouseMonitor::TrayIconDblClick() {
    OpenConfigProgram();
}

void MouseMonitor::Config1Click() {
    OpenConfigProgram();
}

void MouseMonitor::OpenConfigProgram() {
    if (const WindowHandle config = FindConfigWindow(FPlatform.Desktop)) {
        FPlatform.Desktop.BringForward(config, SW_SHOW_);
        return;
    }
    // Started by full path from our own folder, never found through the search path.
    const auto folder = FPlatform.System.ExecutableFolder();
    FPlatform.Desktop.StartProgram(folder / ConfigProgramName, u"", folder, SW_SHOW_);
}

void MouseMonitor::About1Click() {
    FWindow->Show();
    ProcessMessagesAndSleep50ms(FPlatform.Loop);
    FWindow->BringToForeground();
}

void MouseMonitor::BtnOKClick() {
    FWindow->Hide();
}

void MouseMonitor::BtnGoWebClick() {
    FPlatform.Desktop.OpenAddress(FWebAddress, FWindow->Handle(), SW_SHOWNORMAL_);
}

void MouseMonitor::Exit1Click() {
    PostToConfigProgram(FPlatform.Desktop, MSG_MONITOR_EXIT, 0, 0);
    FPlatform.Loop.Terminate();
}

void MouseMonitor::ProcessMessageAndSleep10ms() {
    FPlatform.Loop.ProcessMessages();
    FPlatform.Loop.Sleep(10);
}

std::optional<LResult> MouseMonitor::WndProc(std::uint32_t msg, WParam wParam, LParam lParam) {
    switch (msg) {
    case MSG_APPLY_PROFILE:
        WMApplyProfile(lParam);
        return 0;
    case MSG_RELOAD_SETTINGS:
        WMReloadSettings();
        return 0;
    case MSG_DEVICE_ACTION:
        WMDeviceAction(wParam, lParam);
        return 0;
    default:
        return std::nullopt;
    }
}

void MouseMonitor::WMApplyProfile(LParam cpiIndex) {
    FCurrentcpiindex = static_cast<std::int32_t>(cpiIndex);
    SetCPIToDriver();
}

void MouseMonitor::WMReloadSettings() {
    ApplyLanguage();
}

void MouseMonitor::WMDeviceAction(WParam, LParam) {}

void MouseMonitor::MicrophoneMute() {
    const OsVersion os = FPlatform.System.GetOsVersion();
    if (os.PlatformId != 2 || os.Major < 6) {
        const bool muted = MixerGetMute(FPlatform.Audio, FPlatform.Desktop, MixerMicrophone);
        MixerSetMute(FPlatform.Audio, FPlatform.Desktop, MixerMicrophone, !muted);
        return;
    }
    // No capture device when the window was created: each press tries again.
    if (!FEndpoint)
        OpenAudioEndpoint();
    if (!FEndpoint)
        return;
    // When the present state cannot be read there is nothing to toggle from.
    if (const auto muted = FEndpoint->GetMute())
        FEndpoint->SetMute(!*muted);
}

void MouseMonitor::OpenAudioEndpoint() {
    try {
        FEndpoint = FPlatform.Audio.OpenDefaultCaptureEndpoint();
    } catch (...) {
        FEndpoint.reset();
    }
}

void MouseMonitor::SetCPIToDriver() {}

void MouseMonitor::ResetCPIOfDriver() {}

void MouseMonitor::StopReading() {}

void MouseMonitor::TimerDeviceArrialTimer() {
    TimerDeviceArrial.SetEnabled(false);
}

void MouseMonitor::TimerToSetCurrentCpiTimer() {
    TimerToSetCurrentCpi.SetEnabled(false);
}

void ProcessMessagesAndSleep50ms(IMessageLoop& loop) {
    loop.ProcessMessages();
    loop.Sleep(50);
}

} // namespace zq

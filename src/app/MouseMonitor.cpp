#include "app/MouseMonitor.h"

#include "app/AboutScene.h"
#include "app/DeviceReports.h"
#include "app/Messages.h"
#include "app/Mixer.h"
#include "driver/CpiTransfer.h"
#include "hid/DeviceCommand.h"
#include "language/EmbeddedTables.h"
#include "language/Translator.h"
#include "platform/Text.h"
#include "profiles/DeviceUsage.h"

namespace zq {

namespace {
// The tray icon file images\0409\icons\logo.ico below the executable's folder;
// optional. Formed from its parts so the path holds on every platform.
std::filesystem::path TrayIconFile() {
    return std::filesystem::path(u"images") / u"0409" / u"icons" / u"logo.ico";
}

// A burst of changes made with the mouse (a few CPI presses, a profile switch
// with its CPI level) is told in one notice once it has settled.
constexpr std::uint32_t NoticeSettleMs = 500;
} // namespace

MouseMonitor::MouseMonitor(Platform& platform, TDM& dm)
    : FPlatform(platform), FDM(dm), FWebAddress(dm.FOtherConfig.OfficialWebsite),
      FDesign(MonitorClassName, u"ZQMONMAIN", TTranslatableComponent::Kind::Form),
      TimerDeviceArrial(platform.Loop, 1500, false),
      TimerToSetCurrentCpi(platform.Loop, 100, false),
      TimerNotice(platform.Loop, NoticeSettleMs, false) {
    WindowOptions options;
    options.ClassName = MonitorClassName;
    options.Title = ApplicationTitle;
    options.ClientWidth = AboutWidth;
    options.ClientHeight = AboutHeight;
    options.Popup = true;
    FWindow = FPlatform.Desktop.CreateOwnWindow(
        options, [this](std::uint32_t msg, WParam w, LParam l) { return WndProc(msg, w, l); });

    // The program never runs on without its main window: a close request hides
    // About when it shows and otherwise ends the program as Exit does.
    FWindow->OnCloseRequest = [this] {
        if (FWindow->IsVisible())
            BtnOKClick();
        else
            Exit1Click();
    };
    // The process may be ended as soon as the session's end has been handled,
    // so the devices are shut down (the driver gets its reset record) now. Before
    // the start is complete (the shell's wait while the tray icon is placed
    // handles messages sent to the window) there is nothing to shut down yet:
    // the loop ends, and the shutdown runs when the window goes.
    FWindow->OnSessionEnd = [this] {
        if (FCreated && !FDestroyed)
            FormDestroy();
        FPlatform.Loop.Terminate();
    };

    TrayIcon1 = FPlatform.Desktop.CreateTrayIcon();
    TrayIcon1->SetMenu({{u"Config", true}, {u"About", false}, {u"Exit", true}});
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

    DescribeDesign();
    uiLanguage1 = std::make_unique<TuiLanguage>(FPlatform, &FDesign, MonitorLanguageTable());

    // Reports reach uiHIDData1Data on the main thread (not FastOnData).
    uiHIDData1 = std::make_unique<TuiHIDData>(FPlatform);
    uiHIDData1->SetFastOnData(false);
    uiHIDData1->OnData = [this](const std::u16string& id, const std::u16string& path,
                                std::uint8_t reportId, const std::uint8_t* data,
                                std::uint16_t size) {
        uiHIDData1Data(id, path, reportId, data, size);
    };
    uiHIDEvent1 = std::make_unique<TuiHIDEvent>(FPlatform);
    uiHIDEvent1->OnDeviceArrival = [this](TuiHIDEvent& sender) {
        uiHIDEvent1DeviceArrival(sender);
    };
    uiSTDCommand1 = std::make_unique<TuiSTDCommand>(FPlatform);

    TimerDeviceArrial.OnTimer = [this] { TimerDeviceArrialTimer(); };
    TimerToSetCurrentCpi.OnTimer = [this] { TimerToSetCurrentCpiTimer(); };
    TimerNotice.OnTimer = [this] { TimerNoticeTimer(); };

    // The scene shows its source texts' translations itself; the address is data.
    vgScene1 = std::make_unique<TTranslatedScene>(BuildAboutScene(FWebAddress),
                                                  std::vector<std::string>{AboutWebAddressText});
    vgScene1->OnChanged = [this] { ShowAboutScene(); };
    ShowAboutScene();

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
    FCoreAudio = os.PlatformId == 2 && os.Major >= 6;
    if (FCoreAudio) {
        OpenAudioEndpoint();
        if (FDM.FMonitorOptions.FollowDefaultMicrophone)
            FDefaultMicrophoneWatch =
                FPlatform.Audio.WatchDefaultCaptureDevice(Handle(), MSG_DEFAULT_MICROPHONE_CHANGED);
    }
    FCreated = true;
    UpdateTrayState();
}

void MouseMonitor::FormDestroy() {
    FDestroyed = true;
    TimerNotice.SetEnabled(false);
    FDefaultMicrophoneWatch.reset();
    if (FEndpoint)
        FEndpoint->NotifyChanges(0, 0);
    ShutdownDevices();
}

void MouseMonitor::ShutdownDevices() {
    uiHIDData1->HidStopRead();
    ResetCPIOfDriver();
    FPlatform.Loop.Sleep(100);
}

void MouseMonitor::LoadTrayIcon() {
    // The executable's folder ends with a separator; without the file the tray
    // keeps the application icon.
    TrayIcon1->SetIconFromFile(FPlatform.System.ExecutableFolder() / TrayIconFile());
}

std::u16string MouseMonitor::Translate(const std::u16string& text) const {
    return zq::Translate(text);
}

void MouseMonitor::DescribeDesign() {
    // The window's caption is its title; the menu entries are captioned by
    // ApplyLanguage, and the scene translates itself.
    FDesign.BindText(
        u"Caption", [this] { return FWindow->Title(); },
        [this](const std::u16string& title) { FWindow->SetTitle(title); });
    TTranslatableComponent& menu = FDesign.Add(u"TPopupMenu", u"MyPopupMenu");
    menu.Add(u"TMenuItem", u"Config1").SetText(u"Caption", u"Config");
    menu.Add(u"TMenuItem", u"About1").SetText(u"Caption", u"About");
    menu.Add(u"TMenuItem", u"Exit1").SetText(u"Caption", u"Exit");
    FDesign.Add(u"TvgScene", u"vgScene1", TTranslatableComponent::Kind::Scene);
}

void MouseMonitor::ApplyLanguage() {
    // The language chosen in the configuration program, unless it is current already.
    const int current = uiLanguage1->GetLanguageIndexByShortID(uiLanguage1->Lang());
    const int stored = FDM.FAllProfileSettingInfo.CurrentLanguage;
    if (current != stored)
        uiLanguage1->SetLang(uiLanguage1->GetLanguageShortIDByIndex(stored));
    TrayIcon1->SetMenuCaption(Config1, Translate(u"Config"));
    TrayIcon1->SetMenuCaption(About1, Translate(u"About"));
    TrayIcon1->SetMenuCaption(Exit1, Translate(u"Exit"));
    UpdateTrayState();
    FWindow->SetTitle(Translate(ApplicationTitle));
    FPlatform.Desktop.SetApplicationTitle(FWindow->Title());
}

void MouseMonitor::ShowAboutScene() {
    FWindow->SetScene(vgScene1->Current(), [this](const std::string& name) { OnSceneClick(name); });
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
        // Only queued: a hung configuration program must not hold the monitor.
        FPlatform.Desktop.BringForward(config, SW_SHOW_, ShowMode::Queue);
        return;
    }
    // The copy started last may still be on its way to its window: one is enough.
    if (FStartedConfigProgram && FStartedConfigProgram->IsRunning())
        return;
    // Started by full path from our own folder, never found through the search path.
    const auto folder = FPlatform.System.ExecutableFolder();
    FStartedConfigProgram =
        FPlatform.Desktop.StartProgram(folder / ConfigProgramName, u"", folder, SW_SHOW_);
}

void MouseMonitor::About1Click() {
    FWindow->Show();
    ProcessMessagesAndSleep50ms(FPlatform.Loop);
    if (!ShuttingDown())
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

bool MouseMonitor::ShuttingDown() const {
    return FDestroyed || FPlatform.Loop.IsTerminated();
}

void MouseMonitor::ProcessMessageAndSleep10ms() {
    FPlatform.Loop.ProcessMessages();
    FPlatform.Loop.Sleep(10);
}

std::optional<LResult> MouseMonitor::WndProc(std::uint32_t msg, WParam wParam, LParam lParam) {
    // Sent while the window is still being built (inside the shell's wait as the
    // tray icon is placed): the devices, the driver and the tray are not there
    // yet. Nothing is lost by leaving them: the start reads the settings, the
    // microphone and the mouse afresh.
    if (!FCreated)
        return std::nullopt;
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
    case MSG_MICROPHONE_CHANGED:
        WMMicrophoneChanged();
        return 0;
    case MSG_DEFAULT_MICROPHONE_CHANGED:
        WMDefaultMicrophoneChanged();
        return 0;
    case WM_POWERBROADCAST_:
        WMPowerBroadcast(wParam);
        return 1; // TRUE: no objection to any power change
    default:
        return std::nullopt;
    }
}

void MouseMonitor::uiHIDData1Data(const std::u16string&, const std::u16string&,
                                  std::uint8_t ReportID, const std::uint8_t* Data,
                                  std::uint16_t Size) {
    if (Size != DeviceReportDataSize || !Data)
        return;
    if (ReportID == ButtonReportId) {
        // Exactly one button bit: the row of that bit names the key index.
        for (int j = 0; j < KeyCount; ++j) {
            const auto& row = KeyCodeTable[static_cast<std::size_t>(j)];
            if (row[1] == Data[0] && row[2] == Data[1] && row[3] == Data[2]) {
                FPlatform.System.DebugOutput(u"KeyIndex = " + IntToText(j) +
                                             u" postmessage record!");
                FPlatform.Desktop.PostToWindow(Handle(), MSG_DEVICE_ACTION, static_cast<WParam>(j),
                                               1);
                return;
            }
        }
        return;
    }
    if (ReportID != StatusReportId)
        return;
    const std::uint8_t value = Data[1];
    switch (Data[0]) {
    case StatusCpiChanged:
        // Told at once; the driver gets the level once reports stop for 100 ms.
        PostToConfigProgram(FPlatform.Desktop, MSG_DEVICE_CPI_CHANGED, value, 0);
        FCPIUNIT.CurrentCpi = value;
        TimerToSetCurrentCpi.SetEnabled(false);
        TimerToSetCurrentCpi.SetEnabled(true);
        UpdateTrayState();
        NoteChange(Change::Cpi);
        break;
    case StatusNotice6:
        PostToConfigProgram(FPlatform.Desktop, MSG_DEVICE_NOTICE6, value, 0);
        break;
    case StatusProfileChanged:
        if (value <= LastProfileAction - FirstProfileAction)
            FPlatform.Desktop.PostToWindow(Handle(), MSG_DEVICE_ACTION,
                                           static_cast<WParam>(FirstProfileAction + value), 0);
        break;
    default:
        break;
    }
}

void MouseMonitor::WMDeviceAction(WParam action, LParam state) {
    if (action >= FirstProfileAction && action <= LastProfileAction) {
        const WindowHandle config = FindConfigWindow(FPlatform.Desktop);
        const std::uint32_t event = ++FProfileEvents;
        // The profile followed is the one the mouse answers; the configuration
        // program is told the one the event named.
        ReadDeviceProfileState();
        if (ShuttingDown())
            return;
        SetCPIToDriver();
        UpdateTrayState();
        NoteChange(Change::Profile);
        // A later profile event handled inside the pump above has told the
        // configuration program the newer profile already; ours is out of date.
        if (config && event == FProfileEvents)
            FPlatform.Desktop.SendToWindow(config, MSG_DEVICE_PROFILE_CHANGED,
                                           action - FirstProfileAction, 0, ConfigSendTimeoutMs);
    } else if (action <= LastButtonWithFunction) {
        const std::uint16_t functionCode =
            FDM.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[action].FunctionCode;
        ExecuteButtonFunction(static_cast<std::uint8_t>(action), functionCode,
                              static_cast<std::uint8_t>(state));
    }
}

void MouseMonitor::ExecuteButtonFunction(std::uint8_t, std::uint16_t functionCode, std::uint8_t) {
    if (functionCode != MicrophoneMuteFunctionCode)
        return;
    if (MicrophoneMute())
        NoteChange(Change::Microphone);
}

void MouseMonitor::uiHIDEvent1DeviceArrival(TuiHIDEvent&) {
    // Arrivals come in bursts (one per collection of a device): act 1500 ms after
    // the last one.
    TimerDeviceArrial.SetEnabled(false);
    TimerDeviceArrial.SetEnabled(true);
}

void MouseMonitor::TimerDeviceArrialTimer() {
    TimerDeviceArrial.SetEnabled(false);
    ResyncDevice();
}

void MouseMonitor::ResyncDevice() {
    TimerDeviceArrial.SetEnabled(false);
    THIDDataParam param{};
    param.UsageAndPage = DeviceUsageAndPage;
    if (!uiHIDData1->IsDeviceExist(param))
        return;
    FDM.LoadAllProfileInfoFromRegistry();
    FDM.LoadCurrentProfileInfoFromRegistry();
    // Each step below pumps messages; the session may end in there, and then the
    // sequence stops: nothing more reaches the mouse or the driver.
    RestartDeviceReading();
    if (ShuttingDown())
        return;
    ReadDeviceProfileState();
    if (ShuttingDown())
        return;
    SetCPIToDriver();
    UpdateTrayState();
}

void MouseMonitor::RestartDeviceReading() {
    uiHIDData1->HidStopRead();
    ProcessMessagesAndSleep50ms(FPlatform.Loop);
    if (ShuttingDown())
        return;
    uiHIDData1->HidFindAndReadDevice(DeviceUsageAndPage, u"*");
}

void MouseMonitor::ReadDeviceProfileState() {
    SetDeviceMode(*uiHIDData1, 0);
    ProcessMessageAndSleep10ms();
    if (ShuttingDown())
        return;
    std::uint8_t profile = 0;
    if (QueryDeviceByte(*uiHIDData1, profile, QUERY_CURRENT_PROFILE) == 0) {
        FDM.SwitchToProfile(profile);
        std::int32_t cpiIndex = 0;
        if (GetProfileCpiIndex(*uiHIDData1, profile, cpiIndex) == 0)
            FCurrentcpiindex = cpiIndex;
        FDM.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = FCurrentcpiindex;
    }
    SetDeviceMode(*uiHIDData1, 1);
}

void MouseMonitor::WMApplyProfile(LParam cpiIndex) {
    FDM.LoadAllProfileInfoFromRegistry();
    FDM.SwitchToProfile(FDM.FAllProfileSettingInfo.CurrentGame);
    FDM.LoadCurrentProfileInfoFromRegistry();
    FCurrentcpiindex = static_cast<std::int32_t>(cpiIndex);
    SetCPIToDriver();
    UpdateTrayState();
}

void MouseMonitor::WMReloadSettings() {
    FDM.LoadAllProfileInfoFromRegistry();
    ApplyLanguage();
}

bool MouseMonitor::MicrophoneMute() {
    const std::optional<bool> muted = ToggleMicrophone();
    // The tray follows at once, whether or not the audio system reports it.
    FMicrophoneMuted = muted ? muted : ReadMicrophoneState();
    UpdateTrayState();
    return muted.has_value();
}

std::optional<bool> MouseMonitor::ToggleMicrophone() {
    // The legacy mixer's state is not shown: nothing to tell.
    if (!FCoreAudio) {
        const bool muted = MixerGetMute(FPlatform.Audio, FPlatform.Desktop, MixerMicrophone);
        MixerSetMute(FPlatform.Audio, FPlatform.Desktop, MixerMicrophone, !muted);
        return std::nullopt;
    }
    // No capture device when the window was created: each press tries again.
    if (!FEndpoint)
        OpenAudioEndpoint();
    if (!FEndpoint)
        return std::nullopt;
    if (const auto muted = ToggleMute(*FEndpoint))
        return muted;
    // The endpoint stopped working (its device was unplugged or disabled, or the
    // audio service restarted): activate it again on the same device; when the
    // device is gone, drop it so the next press takes the default one of then.
    if (!FEndpoint->Reactivate()) {
        FEndpoint.reset();
        return std::nullopt;
    }
    return ToggleMute(*FEndpoint);
}

std::optional<bool> MouseMonitor::ToggleMute(ICaptureEndpoint& endpoint) {
    // When the present state cannot be read there is nothing to toggle from.
    const auto muted = endpoint.GetMute();
    if (!muted || !endpoint.SetMute(!*muted))
        return std::nullopt;
    return !*muted;
}

void MouseMonitor::OpenAudioEndpoint() {
    try {
        FEndpoint = FPlatform.Audio.OpenDefaultCaptureEndpoint();
        if (FEndpoint)
            FEndpoint->NotifyChanges(Handle(), MSG_MICROPHONE_CHANGED);
    } catch (...) {
        FEndpoint.reset();
    }
    FMicrophoneMuted = ReadMicrophoneState();
}

std::optional<bool> MouseMonitor::ReadMicrophoneState() {
    if (!FCoreAudio || !FEndpoint)
        return std::nullopt;
    return FEndpoint->GetMute();
}

void MouseMonitor::UpdateTrayState() {
    if (!FCreated || FDestroyed)
        return;
    TrayIcon1->SetLook(FMicrophoneMuted.value_or(false) ? TrayIconForm::MicrophoneMuted
                                                        : TrayIconForm::Normal,
                       TrayHintText());
}

std::u16string MouseMonitor::TrayHintText() const {
    // "GAMING MOUSE DRIVER - Profile 3 - CPI level 2 - Microphone off", each word
    // translated; profiles and levels are counted from 1, as the mouse shows them.
    std::u16string hint = Translate(TrayHint) + u" - " + Translate(u"Profile") + u" " +
                          IntToText(FDM.FProfileIndex + 1) + u" - " + Translate(u"CPI level") +
                          u" " + IntToText(FCPIUNIT.CurrentCpi + 1);
    if (FMicrophoneMuted)
        hint += u" - " + Translate(*FMicrophoneMuted ? u"Microphone off" : u"Microphone on");
    // The notification area keeps no more; a long translation is cut, not refused.
    if (hint.size() > TrayHintLimit)
        hint.resize(TrayHintLimit);
    return hint;
}

void MouseMonitor::NoteChange(Change change) {
    if (!FDM.FMonitorOptions.ShowNotices)
        return;
    (change == Change::Microphone ? FNoticeMicrophone
     : change == Change::Profile  ? FNoticeProfile
                                  : FNoticeCpi) = true;
    TimerNotice.SetEnabled(false);
    TimerNotice.SetEnabled(true);
}

void MouseMonitor::TimerNoticeTimer() {
    TimerNotice.SetEnabled(false);
    std::u16string text;
    auto add = [&text](const std::u16string& part) {
        text += (text.empty() ? u"" : u" - ") + part;
    };
    if (FNoticeMicrophone && FMicrophoneMuted)
        add(Translate(*FMicrophoneMuted ? u"Microphone off" : u"Microphone on"));
    if (FNoticeProfile)
        add(Translate(u"Profile") + u" " + IntToText(FDM.FProfileIndex + 1));
    if (FNoticeProfile || FNoticeCpi)
        add(Translate(u"CPI level") + u" " + IntToText(FCPIUNIT.CurrentCpi + 1));
    FNoticeMicrophone = FNoticeProfile = FNoticeCpi = false;
    if (!text.empty())
        TrayIcon1->ShowNotice(Translate(TrayHint), text);
}

void MouseMonitor::WMMicrophoneChanged() {
    FMicrophoneMuted = ReadMicrophoneState();
    UpdateTrayState();
}

void MouseMonitor::WMDefaultMicrophoneChanged() {
    // The first chosen endpoint stays unless the user asked to follow the default.
    if (!FDM.FMonitorOptions.FollowDefaultMicrophone || !FCoreAudio || ShuttingDown())
        return;
    if (FEndpoint)
        FEndpoint->NotifyChanges(0, 0);
    FEndpoint.reset();
    OpenAudioEndpoint();
    UpdateTrayState();
}

void MouseMonitor::WMPowerBroadcast(WParam event) {
    // After sleep the mouse and the filter driver may have lost the CPI settings,
    // and no arrival is announced: resynchronise as after an arrival (both resume
    // notices of one wake-up make one resynchronisation).
    if (event == PBT_APMRESUMEAUTOMATIC_ || event == PBT_APMRESUMESUSPEND_)
        uiHIDEvent1DeviceArrival(*uiHIDEvent1);
}

void MouseMonitor::SetCPIToDriver() {
    std::array<CpiLevel, SentCpiLevels> levels{};
    for (int i = 0; i < SentCpiLevels; ++i) {
        const TCPISTATEITEM& item = FDM.FCurrentProfileInfo.ConfigInfo.CPIState[i];
        levels[static_cast<std::size_t>(i)] = CpiLevel{item.XCPI, item.YCPI, item.Enabled};
    }
    BuildCpiUnit(FCPIUNIT, FCurrentcpiindex, levels);
    SendCPIUnit(*uiSTDCommand1, FCPIUNIT);
}

void MouseMonitor::ResetCPIOfDriver() {
    FCPIUNIT.NeedApplyNewCPI = 0;
    SendCPIUnit(*uiSTDCommand1, FCPIUNIT);
}

void MouseMonitor::TimerToSetCurrentCpiTimer() {
    TimerToSetCurrentCpi.SetEnabled(false);
    SendCurrentCpi(*uiSTDCommand1, FCPIUNIT.CurrentCpi);
}

void ProcessMessagesAndSleep50ms(IMessageLoop& loop) {
    loop.ProcessMessages();
    loop.Sleep(50);
}

} // namespace zq

#include "platform/sim/SimDesktop.h"

#include "platform/Text.h"

#include <stdexcept>
#include <system_error>

namespace zq::sim {

namespace {
// Joins the words with single spaces.
std::string Words(std::initializer_list<std::string> words) {
    std::string text;
    for (const auto& word : words) {
        if (!text.empty())
            text.push_back(' ');
        text.append(word);
    }
    return text;
}

std::string MessageText(std::uint32_t msg, WParam w, LParam l) {
    return std::to_string(msg) + " " + std::to_string(w) + " " + std::to_string(l);
}
} // namespace

SimWindow::SimWindow(SimDesktop& desktop, WindowHandle handle, WindowOptions options)
    : FDesktop(desktop), FHandle(handle), FOptions(std::move(options)), FTitle(FOptions.Title) {}

SimWindow::~SimWindow() {
    FDesktop.FWindows.erase(FHandle);
}

void SimWindow::SetScene(const Scene& scene, std::function<void(const std::string&)> onClick) {
    FScene = scene;
    FOnClick = std::move(onClick);
}

bool SimWindow::ClickSceneItem(const std::string& name) {
    for (const auto& item : FScene.Items) {
        if (item.Name == name && item.Kind == SceneItemKind::Button) {
            if (FOnClick)
                FOnClick(name);
            return true;
        }
    }
    return false;
}

bool SimWindow::RequestClose() {
    if (OnCloseRequest) {
        OnCloseRequest();
        return false;
    }
    // Left to the window manager, the window is destroyed: nothing finds it or
    // reaches it any more.
    FDesktop.FWindows.erase(FHandle);
    return true;
}

SimTrayIcon::SimTrayIcon(SimDesktop& desktop) : FDesktop(desktop) {
    FDesktop.FTray = this;
}

SimTrayIcon::~SimTrayIcon() {
    if (FDesktop.FTray == this)
        FDesktop.FTray = nullptr;
}

bool SimTrayIcon::SetIconFromFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    FIconFile = file;
    return true;
}

void SimTrayIcon::SetLook(TrayIconForm form, const std::u16string& hint) {
    if (form == FForm && hint == FHint)
        return;
    FForm = form;
    FHint = hint;
    if (FDesktop.OnTrayChange)
        FDesktop.OnTrayChange(std::string("icon ") +
                              (form == TrayIconForm::MicrophoneMuted ? "muted" : "normal") +
                              ", hint: " + ToUtf8(hint));
}

void SimTrayIcon::ShowNotice(const std::u16string& title, const std::u16string& text) {
    FNotices.push_back({title, text});
    if (FDesktop.OnTrayChange)
        FDesktop.OnTrayChange("notice: " + ToUtf8(title) + ": " + ToUtf8(text));
}

void SimTrayIcon::SetMenuCaption(std::size_t index, const std::u16string& caption) {
    if (index < FMenu.size())
        FMenu[index].Caption = caption;
}

std::vector<std::u16string> SimTrayIcon::VisibleMenuCaptions() const {
    std::vector<std::u16string> captions;
    for (const auto& item : FMenu)
        if (item.Visible)
            captions.push_back(item.Caption);
    return captions;
}

void SimTrayIcon::Click() {
    if (OnClick)
        OnClick();
}

bool SimTrayIcon::ChooseMenuItem(const std::u16string& caption) {
    for (std::size_t i = 0; i < FMenu.size(); ++i) {
        if (FMenu[i].Visible && FMenu[i].Caption == caption) {
            if (OnMenuItem)
                OnMenuItem(i);
            return true;
        }
    }
    return false;
}

bool SimTrayIcon::ChooseMenuEntry(std::size_t index) {
    if (index >= FMenu.size() || !FMenu[index].Visible)
        return false;
    if (OnMenuItem)
        OnMenuItem(index);
    return true;
}

SimDesktop::SimDesktop(SimLoop& loop, SimLog& log)
    : FLoop(loop), FLog(log), FPeer(*this, u"TZQCFGMAIN") {}

std::unique_ptr<IWindow> SimDesktop::CreateOwnWindow(const WindowOptions& options,
                                                     WindowProc proc) {
    const WindowHandle handle = FNextHandle++;
    auto window = std::make_unique<SimWindow>(*this, handle, options);
    FWindows[handle] = OwnWindow{window.get(), std::move(proc)};
    return window;
}

std::unique_ptr<ITrayIcon> SimDesktop::CreateTrayIcon() {
    auto icon = std::make_unique<SimTrayIcon>(*this);
    if (WhileTrayIconIsPlaced)
        WhileTrayIconIsPlaced();
    return icon;
}

WindowHandle SimDesktop::FindWindowByClass(const std::u16string& className) {
    for (const auto& [handle, own] : FWindows)
        if (own.Window->Options().ClassName == className)
            return handle;
    if (FPeer.FPresent && FPeer.FClassName == className)
        return FPeer.FHandle;
    return 0;
}

void SimDesktop::BroadcastToOwnWindows(std::uint32_t msg, WParam wParam, LParam lParam) {
    for (const auto& [handle, own] : FWindows)
        PostToWindow(handle, msg, wParam, lParam);
}

bool SimDesktop::PostToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                              LParam lParam) {
    if (auto it = FWindows.find(window); it != FWindows.end()) {
        // The message reaches the window's procedure only if the window still
        // exists when the loop gets to it.
        FLoop.Post([this, window, msg, wParam, lParam] {
            if (auto own = FWindows.find(window); own != FWindows.end())
                own->second.Proc(msg, wParam, lParam);
        });
        return true;
    }
    if (window == FPeer.FHandle && FPeer.FPresent) {
        FPeer.FReceived.push_back({msg, wParam, lParam, false});
        FLog.Add("peer-post", MessageText(msg, wParam, lParam));
        return true;
    }
    return false;
}

std::optional<LResult> SimDesktop::SendToWindow(WindowHandle window, std::uint32_t msg,
                                                WParam wParam, LParam lParam, std::uint32_t) {
    if (auto it = FWindows.find(window); it != FWindows.end())
        return it->second.Proc(msg, wParam, lParam).value_or(0);
    if (window == FPeer.FHandle && FPeer.FPresent) {
        FPeer.FReceived.push_back({msg, wParam, lParam, true});
        FLog.Add("peer-send", MessageText(msg, wParam, lParam));
        if (FPeer.FHung)
            return std::nullopt;
        return FPeer.FReply;
    }
    return std::nullopt;
}

void SimDesktop::BringForward(WindowHandle window, int showCommand, ShowMode mode) {
    if (window != FPeer.FHandle || !FPeer.FPresent)
        return;
    const std::string line =
        Words({"bring-forward", ToUtf8(FPeer.FClassName), std::to_string(showCommand)});
    if (mode == ShowMode::Wait && FPeer.FHung) {
        FLog.Add("shell", Words({line, "hung"}));
        throw std::logic_error("the main thread waits for ever on a hung program's window");
    }
    ++FPeer.FShown;
    FLog.Add("shell", line);
}

namespace {
class SimStartedProgram : public IStartedProgram {
public:
    explicit SimStartedProgram(std::shared_ptr<bool> running) : FRunning(std::move(running)) {}
    bool IsRunning() override { return *FRunning; }

private:
    std::shared_ptr<bool> FRunning;
};
} // namespace

void SimDesktop::EndStartedPrograms() {
    for (auto& running : FStarted)
        *running = false;
    FStarted.clear();
}

std::unique_ptr<IStartedProgram> SimDesktop::StartProgram(const std::filesystem::path& program,
                                                          const std::u16string& parameters,
                                                          const std::filesystem::path&,
                                                          int showCommand) {
    std::string line = Words({"start", ToUtf8(program.generic_u16string())});
    if (!parameters.empty())
        line = Words({line, ToUtf8(parameters)});
    line = Words({line, std::to_string(showCommand)});
    FLog.Add("shell", line);
    std::error_code ec;
    const bool started =
        OnStartProgram ? OnStartProgram(program) : std::filesystem::is_regular_file(program, ec);
    if (!started)
        return nullptr;
    FStarted.push_back(std::make_shared<bool>(true));
    return std::make_unique<SimStartedProgram>(FStarted.back());
}

bool SimDesktop::OpenAddress(const std::u16string& address, WindowHandle, int showCommand) {
    FLog.Add("shell", Words({"open", ToUtf8(address), std::to_string(showCommand)}));
    return true;
}

void SimDesktop::ShowMessage(const std::u16string& text) {
    FLog.Add("message", ToUtf8(text));
}

SimWindow* SimDesktop::FindOwnWindow(const std::u16string& className) const {
    for (const auto& [handle, own] : FWindows)
        if (own.Window->Options().ClassName == className)
            return own.Window;
    return nullptr;
}

} // namespace zq::sim

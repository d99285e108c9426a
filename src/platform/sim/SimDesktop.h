#pragma once
// The simulated window manager and shell: the program's own windows, the tray
// icon, the configuration program's window (a recording peer) and started
// programs. Everything done to the outside world goes to the log.

#include "platform/Desktop.h"
#include "platform/sim/RecordingPeer.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimLoop.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zq::sim {

class SimDesktop;

class SimWindow : public IWindow {
public:
    SimWindow(SimDesktop& desktop, WindowHandle handle, WindowOptions options);
    ~SimWindow() override;

    WindowHandle Handle() const override { return FHandle; }
    void SetTitle(const std::u16string& title) override { FTitle = title; }
    std::u16string Title() const override { return FTitle; }
    void Show() override { FVisible = true; }
    void Hide() override { FVisible = false; }
    bool IsVisible() const override { return FVisible; }
    void BringToForeground() override { FForeground = true; }
    void SetScene(const Scene& scene, std::function<void(const std::string&)> onClick) override;

    const WindowOptions& Options() const { return FOptions; }
    const Scene& CurrentScene() const { return FScene; }
    bool WasBroughtToForeground() const { return FForeground; }
    // A click on a named button of the scene; false when there is none.
    bool ClickSceneItem(const std::string& name);
    // The window manager's close request; true when the window is gone after it.
    bool RequestClose();
    // The user's session ends.
    void EndSession() {
        if (OnSessionEnd)
            OnSessionEnd();
    }

private:
    SimDesktop& FDesktop;
    WindowHandle FHandle;
    WindowOptions FOptions;
    std::u16string FTitle;
    bool FVisible = false;
    bool FForeground = false;
    Scene FScene;
    std::function<void(const std::string&)> FOnClick;
};

class SimTrayIcon : public ITrayIcon {
public:
    explicit SimTrayIcon(SimDesktop& desktop);
    ~SimTrayIcon() override;

    bool SetIconFromFile(const std::filesystem::path& file) override;
    void SetLook(TrayIconForm form, const std::u16string& hint) override;
    void ShowNotice(const std::u16string& title, const std::u16string& text) override;
    void SetMenu(const std::vector<TrayMenuItem>& items) override { FMenu = items; }
    void SetMenuCaption(std::size_t index, const std::u16string& caption) override;

    // What a user sees and does.
    const std::filesystem::path& IconFile() const { return FIconFile; } // empty: application icon
    const std::u16string& Hint() const { return FHint; }
    TrayIconForm Form() const { return FForm; }
    struct Notice {
        std::u16string Title;
        std::u16string Text;
        bool operator==(const Notice&) const = default;
    };
    const std::vector<Notice>& Notices() const { return FNotices; }
    const std::vector<TrayMenuItem>& Menu() const { return FMenu; }
    std::vector<std::u16string> VisibleMenuCaptions() const;
    void Click();
    // Chooses the visible entry with this caption; false when there is none.
    bool ChooseMenuItem(const std::u16string& caption);
    // Chooses the entry at this position if it is visible, whatever its caption.
    bool ChooseMenuEntry(std::size_t index);

private:
    SimDesktop& FDesktop;
    std::filesystem::path FIconFile;
    std::u16string FHint;
    TrayIconForm FForm = TrayIconForm::Normal;
    std::vector<TrayMenuItem> FMenu;
    std::vector<Notice> FNotices;
};

class SimDesktop : public IDesktop {
public:
    SimDesktop(SimLoop& loop, SimLog& log);

    std::unique_ptr<IWindow> CreateOwnWindow(const WindowOptions& options,
                                             WindowProc proc) override;
    std::unique_ptr<ITrayIcon> CreateTrayIcon() override;
    WindowHandle FindWindowByClass(const std::u16string& className) override;
    bool PostToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                      LParam lParam) override;
    std::optional<LResult> SendToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                                        LParam lParam, std::uint32_t timeoutMs) override;
    // Showing a hung program's window and waiting for it would never return: the
    // simulated world raises an error instead.
    void BringForward(WindowHandle window, int showCommand, ShowMode mode) override;
    std::unique_ptr<IStartedProgram> StartProgram(const std::filesystem::path& program,
                                                  const std::u16string& parameters,
                                                  const std::filesystem::path& workingFolder,
                                                  int showCommand) override;
    bool OpenAddress(const std::u16string& address, WindowHandle owner, int showCommand) override;
    void ShowMessage(const std::u16string& text) override;
    void SetApplicationTitle(const std::u16string& title) override { FApplicationTitle = title; }

    const std::u16string& ApplicationTitle() const { return FApplicationTitle; }

    // A message the system sends to every top-level window (a power notice, for
    // one), queued for each of the program's own windows.
    void BroadcastToOwnWindows(std::uint32_t msg, WParam wParam, LParam lParam);

    // The configuration program's window ("TZQCFGMAIN").
    RecordingPeer& Peer() { return FPeer; }
    // The program's own windows and tray icon, as a user would find them.
    SimWindow* FindOwnWindow(const std::u16string& className) const;
    SimTrayIcon* Tray() const { return FTray; }
    // Runs while the tray icon is placed, as it is created. Placing it waits for
    // the shell, and messages other programs send to ours meanwhile are handled
    // inside that wait, before the program has finished starting; a test sends
    // them from here.
    std::function<void()> WhileTrayIconIsPlaced;
    // Decides whether starting a program succeeds; by default when the file exists.
    std::function<bool(const std::filesystem::path&)> OnStartProgram;
    // Told each change of the tray icon's look ("icon muted, hint: ...") and each
    // notice ("notice: TITLE: TEXT"), as a person would see them.
    std::function<void(const std::string&)> OnTrayChange;
    // A program started runs until this ends it (every one started so far).
    void EndStartedPrograms();

private:
    friend class SimWindow;
    std::u16string FApplicationTitle;
    friend class SimTrayIcon;
    struct OwnWindow {
        SimWindow* Window;
        WindowProc Proc;
    };

    SimLoop& FLoop;
    SimLog& FLog;
    WindowHandle FNextHandle = 0x10010;
    std::map<WindowHandle, OwnWindow> FWindows;
    SimTrayIcon* FTray = nullptr;
    RecordingPeer FPeer;
    // Whether each started program still runs, shared with its handle.
    std::vector<std::shared_ptr<bool>> FStarted;
};

} // namespace zq::sim

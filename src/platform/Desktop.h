#pragma once
// The window manager and the shell as this program needs them: its own windows,
// the tray icon, the configuration program's window, and starting programs.

#include "platform/Scene.h"
#include "platform/Types.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zq {

// Handles a window message; the result goes back to a sender. nullopt leaves the
// message to the window manager's default handling.
using WindowProc =
    std::function<std::optional<LResult>(std::uint32_t msg, WParam wParam, LParam lParam)>;

struct WindowOptions {
    std::u16string ClassName;
    std::u16string Title;
    int ClientWidth = 0;
    int ClientHeight = 0;
    // Without border or caption, centred when shown, and without a task-bar button.
    bool Popup = true;
};

// A top-level window of this program. Created hidden.
class IWindow {
public:
    virtual ~IWindow() = default;
    virtual WindowHandle Handle() const = 0;
    virtual void SetTitle(const std::u16string& title) = 0;
    virtual std::u16string Title() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void BringToForeground() = 0;
    // The drawn content; onClick receives the name of a clicked button.
    virtual void SetScene(const Scene& scene, std::function<void(const std::string&)> onClick) = 0;

    // The user or another program asks the window to close. With a handler the
    // window stays; the handler decides what closing means.
    std::function<void()> OnCloseRequest;
    // The user's session is ending: the process may be ended as soon as this
    // returns.
    std::function<void()> OnSessionEnd;
};

struct TrayMenuItem {
    std::u16string Caption;
    bool Visible = true;
};

// The icon's two forms: as loaded, or with the microphone-muted mark (a red
// slash) drawn over it.
enum class TrayIconForm { Normal, MicrophoneMuted };

// The notification area keeps a hint of at most this many characters.
inline constexpr std::size_t TrayHintLimit = 127;

// The notification-area icon with its popup menu. The icon comes back by itself
// when the shell restarts; a shell that is not there yet is not an error.
class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // Loads the icon file; false (keeping the application icon) when it cannot.
    virtual bool SetIconFromFile(const std::filesystem::path& file) = 0;
    // The icon's form and hint together, so the shell is told once per change.
    virtual void SetLook(TrayIconForm form, const std::u16string& hint) = 0;
    // A balloon notice from the icon; the shell shows it for a while.
    virtual void ShowNotice(const std::u16string& title, const std::u16string& text) = 0;
    virtual void SetMenu(const std::vector<TrayMenuItem>& items) = 0;
    virtual void SetMenuCaption(std::size_t index, const std::u16string& caption) = 0;

    std::function<void()> OnClick;               // single left click
    std::function<void(std::size_t)> OnMenuItem; // index into the items given to SetMenu
};

// How a window of another program is shown: waiting until that program has
// handled the show, or only queueing it, so a hung program cannot hold us up.
enum class ShowMode { Wait, Queue };

// A program started through the shell, as far as its starter follows it.
class IStartedProgram {
public:
    virtual ~IStartedProgram() = default;
    // False once it has ended (or when it cannot be followed).
    virtual bool IsRunning() = 0;
};

class IDesktop {
public:
    virtual ~IDesktop() = default;

    virtual std::unique_ptr<IWindow> CreateOwnWindow(const WindowOptions& options,
                                                     WindowProc proc) = 0;
    virtual std::unique_ptr<ITrayIcon> CreateTrayIcon() = 0;

    // A top-level window of the class, any title; 0 when there is none.
    virtual WindowHandle FindWindowByClass(const std::u16string& className) = 0;
    // Queues a message for any window; false when it could not be queued.
    virtual bool PostToWindow(WindowHandle window, std::uint32_t msg, WParam wParam,
                              LParam lParam) = 0;
    // Delivers a message and waits for its result, giving up after timeoutMs or at
    // once when the receiving program is hung; nullopt when no result came.
    virtual std::optional<LResult> SendToWindow(WindowHandle window, std::uint32_t msg,
                                                WParam wParam, LParam lParam,
                                                std::uint32_t timeoutMs) = 0;
    // Shows a window of another program with the show command and brings it to
    // the foreground.
    virtual void BringForward(WindowHandle window, int showCommand, ShowMode mode) = 0;
    // Starts a program, given by its full path, through the shell ("open"); null
    // when it could not be started.
    virtual std::unique_ptr<IStartedProgram>
    StartProgram(const std::filesystem::path& program, const std::u16string& parameters,
                 const std::filesystem::path& workingFolder, int showCommand) = 0;
    // A message box with an OK button, owned by no window, captioned with the
    // application's title; returns when closed.
    virtual void ShowMessage(const std::u16string& text) = 0;
    virtual void SetApplicationTitle(const std::u16string& title) = 0;
    // Opens a document or web address through the shell ("open").
    virtual bool OpenAddress(const std::u16string& address, WindowHandle owner,
                             int showCommand) = 0;
};

} // namespace zq

#pragma once
// The notification-area icon. It has a hidden top-level window of its own
// (class "ZQMON.TrayIcon"), the only kind that receives the shell's
// "TaskbarCreated" broadcast, so the icon is added again whenever the shell
// (re)starts. Clicks arrive as its callback message and menu choices as
// WM_COMMAND with the entry's position + 1, which is also how automation
// reaches them. The muted form of the icon is drawn at run time over the icon
// in use (the file's or the application's).

#include "platform/Desktop.h"
#include "platform/TrayIconPlacement.h"
#include "platform/win32/Handles.h"

#include <shellapi.h>

namespace zq::win32 {

inline constexpr wchar_t TrayWindowClassName[] = L"ZQMON.TrayIcon";
// The shell's notifications about the icon: lParam holds the mouse message.
inline constexpr UINT TrayCallbackMessage = WM_APP + 0x201;

class Win32TrayIcon : public ITrayIcon, private INotificationArea {
public:
    Win32TrayIcon();
    ~Win32TrayIcon() override;
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    bool SetIconFromFile(const std::filesystem::path& file) override;
    void SetLook(TrayIconForm form, const std::u16string& hint) override;
    void ShowNotice(const std::u16string& title, const std::u16string& text) override;
    void SetMenu(const std::vector<TrayMenuItem>& items) override { FMenu = items; }
    void SetMenuCaption(std::size_t index, const std::u16string& caption) override;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    // Places the icon, or tries again in a while when no shell takes it.
    void Place();
    // The shell's operations on the icon, with its present look.
    bool Add() override;
    bool Modify() override;
    bool Delete() override;
    NOTIFYICONDATAW Data(UINT flags) const;
    void ShowMenu();
    void Choose(std::size_t id);

    UniqueWindow FWindow;
    UniqueIcon FOwnIcon;   // the file's icon or the program's own, at the tray's size
    HICON FIcon = nullptr; // FOwnIcon, or the system's application icon
    UniqueIcon FMutedIcon; // FIcon with the muted mark, made when first needed
    TrayIconForm FForm = TrayIconForm::Normal;
    std::u16string FHint;
    std::vector<TrayMenuItem> FMenu;
    TrayIconPlacement FPlacement{*this};
    UINT FTaskbarCreated = 0;
    // The second click of a double click is part of the same gesture.
    bool FInDoubleClick = false;
};

// The icon with the microphone-muted mark drawn over it, of the icon's own size;
// null when the icon's pixels cannot be read.
UniqueIcon MakeMutedIcon(HICON source);

} // namespace zq::win32

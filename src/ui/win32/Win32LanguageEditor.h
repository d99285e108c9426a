#pragma once
// The language editor's window: a tool bar with the locale list and the language
// commands, one tab per language over a two-column grid whose translation column
// is edited in place, a status bar with the text commands, and the text-list
// popup. It shows what the editor model holds and hands every action to it.

#include "language/LanguageEditor.h"
#include "platform/win32/Handles.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace zq::win32 {

class Win32LanguageEditorWindow {
public:
    explicit Win32LanguageEditorWindow(TLanguageEditor& editor);
    ~Win32LanguageEditorWindow();
    Win32LanguageEditorWindow(const Win32LanguageEditorWindow&) = delete;
    Win32LanguageEditorWindow& operator=(const Win32LanguageEditorWindow&) = delete;

    HWND Handle() const { return FWindow.Get(); }
    bool IsOpen() const { return static_cast<bool>(FWindow); }
    // Shows the window and handles messages until it closes: by the user, or by a
    // save when the editor was opened with a component. The owner, if any, is
    // disabled meanwhile.
    void ShowModal(HWND owner = nullptr);
    // Shows what the model holds now.
    void Refresh();

    // What a user sees and does, by the control's component name ("BtnAddLanguage").
    HWND Control(std::u16string_view name) const;
    std::u16string ControlText(std::u16string_view name) const;
    void Click(std::u16string_view name);
    int TabCount() const;
    std::u16string TabText(int index) const;
    int GridRowCount() const;
    std::u16string GridCell(int row, int column) const;

    // Shows a message box over the window (text, MB_* flags) and answers the
    // button chosen (IDYES, ...). Unset, the system's message box; tests answer
    // in the translator's place.
    std::function<int(const std::u16string& text, unsigned flags)> OnAskUser;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CellEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HWND AddControl(std::u16string_view name, const wchar_t* windowClass, DWORD style, int id);
    void Layout();
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header, LPARAM lParam);
    void RefreshTabs();
    void RefreshGrid();
    void BeginCellEdit(int row);
    void EndCellEdit(bool commit);
    void SaveToLanguageFile();
    int AskUser(const std::u16string& text, unsigned flags);
    void OpenTextList();
    void ShowOwnTexts();

    TLanguageEditor& FEditor;
    UniqueFont FFont;
    UniqueWindow FWindow;
    std::map<std::u16string, HWND, std::less<>> FControls;
    HWND FTabs = nullptr;
    HWND FGrid = nullptr;
    UniqueWindow FCellEdit;
    WNDPROC FCellEditDefault = nullptr;
    int FEditRow = -1;
    bool FRefreshing = false;
};

} // namespace zq::win32

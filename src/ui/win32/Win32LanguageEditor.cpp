#include "ui/win32/Win32LanguageEditor.h"
#include "platform/win32/ContainErrors.h"
#include "platform/win32/Win32Convert.h"

#include "language/Translator.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

namespace zq::win32 {

namespace {

constexpr wchar_t EditorWindowClass[] = L"ZQ.LanguageEditor";
constexpr wchar_t TextListWindowClass[] = L"ZQ.LanguageTextList";
constexpr char16_t FormName[] = u"LanguageEditorForm";

constexpr int ClientWidth = 960;
constexpr int ClientHeight = 600;
constexpr int ToolBarHeight = 35;
constexpr int StatusBarHeight = 40;
constexpr int SourceColumnWidth = 380;
constexpr int TranslationColumnWidth = 440;
constexpr int LocaleListRows = 20;
constexpr int TextListWidth = 667;
constexpr int TextListHeight = 368;

enum ControlId : int {
    IdLangCombo = 100,
    IdAddLanguage,
    IdDeleteLanguage,
    IdPrevPage,
    IdNextPage,
    IdTabs,
    IdGrid,
    IdConstText,
    IdAddConstText,
    IdDeleteItem,
    IdSaveToFile,
    IdTextList,
    IdMemo,
    IdSaveTextList,
};

// Where each control sits: x, y (from the top of its bar), width, height.
struct Placement {
    const char16_t* Name;
    int X, Y, Width, Height;
    bool InStatusBar;
};
constexpr Placement Placements[] = {
    {u"Label1", 8, 10, 90, 18, false},
    {u"LangCombo", 100, 6, 240, 24, false},
    {u"BtnAddLanguage", 350, 5, 120, 25, false},
    {u"BtnDelet", 475, 5, 120, 25, false},
    {u"BtnPrevPage", 600, 5, 90, 25, false},
    {u"BtnNextPage", 695, 5, 90, 25, false},
    {u"Label2", 8, 12, 150, 18, true},
    {u"TBConstText", 160, 8, 220, 24, true},
    {u"BTNADDConstText", 385, 7, 110, 26, true},
    {u"BTNDELCONSTTEXT", 500, 7, 150, 26, true},
    {u"sbtnsavelanguagetofile", 655, 7, 150, 26, true},
    {u"SpeedButton2", 810, 7, 140, 26, true},
};

void SetText(HWND window, const std::u16string& text) {
    ::SetWindowTextW(window, Wide(text).c_str());
}

UniqueFont MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
    return UniqueFont();
}

// Handles messages for a modal window until it is gone. A quit request is passed
// on to the loop outside.
template <typename StillOpen> void RunModalLoop(HWND dialog, StillOpen stillOpen) {
    MSG msg;
    while (stillOpen()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got == -1)
            return;
        if (!stillOpen() || !::IsDialogMessageW(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// The text-list popup: a memo without word wrap and its "Save" button. Shown
// modally below the editor's tool bar; gives the memo's text when saved.
class TextListPopup {
public:
    TextListPopup(HWND owner, HFONT font, const std::u16string& title,
                  const std::u16string& saveCaption)
        : FOwner(owner) {
        RegisterWindowClass(TextListWindowClass, &TextListPopup::WndProc, 0,
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        POINT origin{0, ToolBarHeight};
        ::ClientToScreen(owner, &origin);
        ::CreateWindowExW(WS_EX_DLGMODALFRAME, TextListWindowClass, Wide(title).c_str(),
                          WS_POPUP | WS_CAPTION | WS_SYSMENU, origin.x, origin.y, TextListWidth,
                          TextListHeight, owner, nullptr, ::GetModuleHandleW(nullptr), this);
        if (!FWindow)
            return;
        RECT client;
        ::GetClientRect(FWindow.Get(), &client);
        FMemo =
            ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
                                  ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
                              4, 4, client.right - 8, client.bottom - 44, FWindow.Get(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdMemo)),
                              ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(FMemo, EM_SETLIMITTEXT, 0, 0); // as long as the system allows
        const HWND save =
            ::CreateWindowExW(0, L"BUTTON", Wide(saveCaption).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                              client.right - 104, client.bottom - 34, 100, 28, FWindow.Get(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdSaveTextList)),
                              ::GetModuleHandleW(nullptr), nullptr);
        for (HWND control : {FMemo, save})
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    ~TextListPopup() {
        if (FWindow)
            ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
    }
    TextListPopup(const TextListPopup&) = delete;
    TextListPopup& operator=(const TextListPopup&) = delete;

    // The memo's text when the user saved; nullopt when the popup was closed.
    std::optional<std::u16string> ShowModal() {
        if (!FWindow)
            return std::nullopt;
        ::EnableWindow(FOwner, FALSE);
        ::ShowWindow(FWindow.Get(), SW_SHOW);
        ::SetFocus(FMemo);
        RunModalLoop(FWindow.Get(), [this] { return static_cast<bool>(FWindow) && !FDone; });
        // The owner is enabled before the popup goes, so that it gets the activation.
        ::EnableWindow(FOwner, TRUE);
        FWindow.Reset();
        ::SetForegroundWindow(FOwner);
        return FSaved;
    }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* self = static_cast<TextListPopup*>(
                reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->FWindow.Reset(window);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<TextListPopup*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self)
            return ::DefWindowProcW(window, msg, wParam, lParam);
        switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IdSaveTextList) {
                self->FSaved = WindowText(self->FMemo);
                self->FDone = true;
            } else if (LOWORD(wParam) == IDCANCEL) {
                self->FDone = true;
            }
            return 0;
        case WM_CLOSE:
            self->FDone = true;
            return 0;
        case WM_NCDESTROY:
            self->FWindow.Release();
            break;
        default:
            break;
        }
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }

    HWND FOwner;
    UniqueWindow FWindow;
    HWND FMemo = nullptr;
    bool FDone = false;
    std::optional<std::u16string> FSaved;
};

} // namespace

Win32LanguageEditorWindow::Win32LanguageEditorWindow(TLanguageEditor& editor)
    : FEditor(editor), FFont(MessageFont()) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    RegisterWindowClass(EditorWindowClass, &Win32LanguageEditorWindow::WndProc, 0,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT rect{0, 0, ClientWidth, ClientHeight};
    ::AdjustWindowRectEx(&rect, style, FALSE, 0);
    // The window procedure takes ownership of the handle at WM_NCCREATE.
    ::CreateWindowExW(0, EditorWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                      rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                      ::GetModuleHandleW(nullptr), this);
    if (!FWindow)
        return;
    CreateControls();
    // Texts the editor's own language component changes later reach the controls.
    for (const auto& component : FEditor.Form().Components())
        component->OnTextChanged = [this](const std::u16string&, const std::u16string&) {
            ShowOwnTexts();
        };
    FEditor.Form().OnTextChanged = [this](const std::u16string&, const std::u16string&) {
        ShowOwnTexts();
    };
    ShowOwnTexts();
    Layout();
    Refresh();
}

Win32LanguageEditorWindow::~Win32LanguageEditorWindow() {
    for (const auto& component : FEditor.Form().Components())
        component->OnTextChanged = nullptr;
    FEditor.Form().OnTextChanged = nullptr;
    // The windows go while every member is still there: an open cell edit is
    // dropped, not committed, and the window procedure no longer reaches us.
    { const UniqueWindow edit = std::move(FCellEdit); }
    if (FWindow) {
        ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
        FWindow.Reset();
    }
}

HWND Win32LanguageEditorWindow::AddControl(std::u16string_view name, const wchar_t* windowClass,
                                           DWORD style, int id) {
    const DWORD exStyle = (style & ES_AUTOHSCROLL) || id == IdGrid ? WS_EX_CLIENTEDGE : 0;
    HWND control = ::CreateWindowExW(
        exStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, FWindow.Get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    FControls.emplace(std::u16string(name), control);
    return control;
}

void Win32LanguageEditorWindow::CreateControls() {
    constexpr DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    AddControl(u"Label1", L"STATIC", SS_LEFT, -1);
    AddControl(u"LangCombo", L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, IdLangCombo);
    AddControl(u"BtnAddLanguage", L"BUTTON", button, IdAddLanguage);
    AddControl(u"BtnDelet", L"BUTTON", button, IdDeleteLanguage);
    AddControl(u"BtnPrevPage", L"BUTTON", button, IdPrevPage);
    AddControl(u"BtnNextPage", L"BUTTON", button, IdNextPage);
    // The grid lies over the tab control's page area; the tab control leaves it be.
    FTabs = AddControl(u"TabControl1", WC_TABCONTROLW, WS_TABSTOP | WS_CLIPSIBLINGS, IdTabs);
    FGrid = AddControl(u"Grid", WC_LISTVIEWW,
                       WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                       IdGrid);
    ::SetWindowPos(FGrid, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ListView_SetExtendedListViewStyle(FGrid, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(L"");
    column.cx = SourceColumnWidth;
    ListView_InsertColumn(FGrid, 0, &column);
    column.cx = TranslationColumnWidth;
    ListView_InsertColumn(FGrid, 1, &column);
    AddControl(u"Label2", L"STATIC", SS_LEFT, -1);
    AddControl(u"TBConstText", L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, IdConstText);
    AddControl(u"BTNADDConstText", L"BUTTON", button, IdAddConstText);
    AddControl(u"BTNDELCONSTTEXT", L"BUTTON", button, IdDeleteItem);
    AddControl(u"sbtnsavelanguagetofile", L"BUTTON", button, IdSaveToFile);
    AddControl(u"SpeedButton2", L"BUTTON", button, IdTextList);

    const HWND combo = Control(u"LangCombo");
    for (const auto& locale : FEditor.Locales())
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(locale.Name).c_str()));
}

void Win32LanguageEditorWindow::ShowOwnTexts() {
    SetText(FWindow.Get(), FEditor.Caption(FormName));
    for (const auto& [name, control] : FControls) {
        const TTranslatableComponent* component = FEditor.Form().Find(name);
        if (component && component->HasText(u"Caption"))
            SetText(control, component->Text(u"Caption").value_or(u""));
    }
    // The grid's headings are the window's own texts too.
    for (int i = 0; i < 2; ++i) {
        std::wstring heading = Wide(Translate(i == 0 ? u"Text" : u"Translation"));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = heading.data();
        ListView_SetColumn(FGrid, i, &column);
    }
}

void Win32LanguageEditorWindow::Layout() {
    RECT client;
    ::GetClientRect(FWindow.Get(), &client);
    const int statusTop = client.bottom - StatusBarHeight;
    for (const auto& place : Placements) {
        const int top = place.InStatusBar ? statusTop + place.Y : place.Y;
        const HWND control = Control(place.Name);
        int height = place.Height;
        if (std::u16string_view(place.Name) == u"LangCombo") {
            // A drop-down list's height is that of its open list: the field
            // and LocaleListRows rows of the list.
            const auto field = ::SendMessageW(control, CB_GETITEMHEIGHT, WPARAM(-1), 0);
            const auto row = ::SendMessageW(control, CB_GETITEMHEIGHT, 0, 0);
            if (field > 0 && row > 0)
                height = static_cast<int>(field + row * LocaleListRows) +
                         4 * ::GetSystemMetrics(SM_CYBORDER);
            ::SendMessageW(control, CB_SETMINVISIBLE, LocaleListRows, 0);
        }
        ::MoveWindow(control, place.X, top, place.Width, height, TRUE);
    }
    RECT tabs{0, ToolBarHeight, client.right, statusTop};
    ::MoveWindow(FTabs, tabs.left, tabs.top, tabs.right - tabs.left, tabs.bottom - tabs.top, TRUE);
    // The grid fills the tab control's page area.
    RECT page{0, 0, tabs.right - tabs.left, tabs.bottom - tabs.top};
    TabCtrl_AdjustRect(FTabs, FALSE, &page);
    ::MoveWindow(FGrid, page.left, tabs.top + page.top, page.right - page.left,
                 page.bottom - page.top, TRUE);
}

void Win32LanguageEditorWindow::Refresh() {
    if (!FWindow)
        return;
    ::SendMessageW(Control(u"LangCombo"), CB_SETCURSEL, static_cast<WPARAM>(FEditor.LocaleIndex()),
                   0);
    RefreshTabs();
    RefreshGrid();
}

void Win32LanguageEditorWindow::RefreshTabs() {
    FRefreshing = true;
    TabCtrl_DeleteAllItems(FTabs);
    int item = 0;
    int selected = -1;
    const auto& tabs = FEditor.Tabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (!tabs[i].Visible)
            continue;
        std::wstring text = Wide(tabs[i].Text);
        TCITEMW entry{};
        entry.mask = TCIF_TEXT | TCIF_PARAM;
        entry.pszText = text.data();
        entry.lParam = static_cast<LPARAM>(i);
        TabCtrl_InsertItem(FTabs, item, &entry);
        if (static_cast<int>(i) == FEditor.TabIndex())
            selected = item;
        ++item;
    }
    TabCtrl_SetCurSel(FTabs, selected);
    FRefreshing = false;
}

void Win32LanguageEditorWindow::RefreshGrid() {
    EndCellEdit(true);
    const int tab = FEditor.TabIndex();
    const std::size_t rows =
        tab < 0 ? 0 : FEditor.Tabs()[static_cast<std::size_t>(tab)].Rows.size();
    FRefreshing = true;
    ListView_SetItemCountEx(FGrid, static_cast<int>(rows), LVSICF_NOSCROLL);
    if (FEditor.Row() >= 0 && static_cast<std::size_t>(FEditor.Row()) < rows)
        ListView_SetItemState(FGrid, FEditor.Row(), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    FRefreshing = false;
    ::InvalidateRect(FGrid, nullptr, TRUE);
}

void Win32LanguageEditorWindow::BeginCellEdit(int row) {
    EndCellEdit(true);
    const int tab = FEditor.TabIndex();
    if (tab < 0 || row < 0)
        return;
    const auto& rows = FEditor.Tabs()[static_cast<std::size_t>(tab)].Rows;
    if (static_cast<std::size_t>(row) >= rows.size() ||
        rows[static_cast<std::size_t>(row)].Source.empty())
        return;
    ListView_EnsureVisible(FGrid, row, FALSE);
    RECT cell{};
    if (!ListView_GetSubItemRect(FGrid, row, 1, LVIR_LABEL, &cell))
        return;
    FEditRow = row;
    FCellEdit.Reset(::CreateWindowExW(0, L"EDIT",
                                      Wide(rows[static_cast<std::size_t>(row)].Translation).c_str(),
                                      WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left,
                                      cell.top, cell.right - cell.left, cell.bottom - cell.top,
                                      FGrid, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    const HWND edit = FCellEdit.Get();
    if (!edit)
        return;
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    ::SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FCellEditDefault = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32LanguageEditorWindow::CellEditProc)));
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SetFocus(edit);
}

void Win32LanguageEditorWindow::EndCellEdit(bool commit) {
    if (!FCellEdit)
        return;
    // Taken out first: destroying the box takes its focus, which ends the edit again.
    UniqueWindow edit = std::move(FCellEdit);
    if (commit)
        FEditor.SetTranslation(FEditRow, WindowText(edit.Get()));
    edit.Reset();
    ListView_RedrawItems(FGrid, FEditRow, FEditRow);
    if (::GetFocus() == nullptr || ::GetFocus() == FWindow.Get())
        ::SetFocus(FGrid);
}

LRESULT CALLBACK Win32LanguageEditorWindow::CellEditProc(HWND edit, UINT msg, WPARAM wParam,
                                                         LPARAM lParam) {
    auto* self =
        reinterpret_cast<Win32LanguageEditorWindow*>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
    const WNDPROC original = self ? self->FCellEditDefault : nullptr;
    if (!original)
        return ::DefWindowProcW(edit, msg, wParam, lParam);
    if (self->FCellEdit.Get() == edit) {
        switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS; // Enter and Escape belong to the cell
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                self->EndCellEdit(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_KILLFOCUS:
            ::CallWindowProcW(original, edit, msg, wParam, lParam);
            self->EndCellEdit(true);
            return 0;
        default:
            break;
        }
    }
    return ::CallWindowProcW(original, edit, msg, wParam, lParam);
}

void Win32LanguageEditorWindow::OnCommand(int id, int code) {
    switch (id) {
    case IdLangCombo:
        if (code == CBN_SELCHANGE)
            FEditor.SetLocaleIndex(
                static_cast<int>(::SendMessageW(Control(u"LangCombo"), CB_GETCURSEL, 0, 0)));
        return;
    case IdAddLanguage:
        FEditor.AddLanguage();
        break;
    case IdDeleteLanguage:
        FEditor.DeleteLanguage();
        break;
    case IdPrevPage:
        FEditor.PrevPage();
        break;
    case IdNextPage:
        FEditor.NextPage();
        break;
    case IdAddConstText:
        FEditor.SetConstText(WindowText(Control(u"TBConstText")));
        FEditor.AddConstText();
        break;
    case IdDeleteItem:
        EndCellEdit(true);
        FEditor.DeleteItemFromList();
        break;
    case IdSaveToFile:
        SaveToLanguageFile();
        return;
    case IdTextList:
        OpenTextList();
        return;
    default:
        return;
    }
    Refresh();
}

void Win32LanguageEditorWindow::SaveToLanguageFile() {
    EndCellEdit(true);
    bool saved = false;
    if (FEditor.LanguageFileUnreadable()) {
        // The file's languages are not in the tabs: only the translator may
        // decide to give them up.
        const int answer = AskUser(Translate(u"The language file could not be read. Replace it "
                                             u"with the languages shown here? The old file is "
                                             u"kept beside it as a backup."),
                                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer != IDYES)
            return;
        saved = FEditor.ReplaceUnreadableLanguageFile();
    } else {
        saved = FEditor.SaveToLanguageFile();
    }
    if (!saved) {
        AskUser(Translate(u"The language file could not be saved."), MB_OK | MB_ICONERROR);
        return;
    }
    if (FEditor.Closed())
        ::DestroyWindow(FWindow.Get());
}

int Win32LanguageEditorWindow::AskUser(const std::u16string& text, unsigned flags) {
    if (OnAskUser)
        return OnAskUser(text, flags);
    return ::MessageBoxW(FWindow.Get(), Wide(text).c_str(), Wide(FEditor.Caption(FormName)).c_str(),
                         flags);
}

void Win32LanguageEditorWindow::OpenTextList() {
    EndCellEdit(true);
    if (!FEditor.OpenTextList())
        return;
    TextListPopup popup(FWindow.Get(), FFont.Get(), FEditor.Caption(u"SpeedButton2"),
                        FEditor.Caption(u"BtnSaveTextList"));
    if (const auto memo = popup.ShowModal())
        FEditor.SaveTextList(*memo);
    else
        FEditor.CloseTextList();
    Refresh();
}

LRESULT Win32LanguageEditorWindow::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.hwndFrom == FTabs && header.code == TCN_SELCHANGE && !FRefreshing) {
        EndCellEdit(true);
        TCITEMW entry{};
        entry.mask = TCIF_PARAM;
        if (TabCtrl_GetItem(FTabs, TabCtrl_GetCurSel(FTabs), &entry))
            FEditor.SetTabIndex(static_cast<int>(entry.lParam));
        Refresh();
        return 0;
    }
    if (header.hwndFrom != FGrid)
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        auto& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
        const int tab = FEditor.TabIndex();
        if (!(item.mask & LVIF_TEXT) || tab < 0 || item.cchTextMax <= 0)
            return 0;
        const auto& rows = FEditor.Tabs()[static_cast<std::size_t>(tab)].Rows;
        std::u16string text;
        if (item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < rows.size()) {
            const auto& row = rows[static_cast<std::size_t>(item.iItem)];
            text = item.iSubItem == 0 ? row.Source : row.Translation;
        }
        const std::size_t length =
            std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(text.begin(), length, item.pszText);
        item.pszText[length] = L'\0';
        return 0;
    }
    case LVN_ITEMCHANGED: {
        const auto& change = *reinterpret_cast<NMLISTVIEW*>(lParam);
        if (!FRefreshing && (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED))
            FEditor.SetRow(change.iItem);
        return 0;
    }
    case NM_DBLCLK:
        BeginCellEdit(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
        return 0;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_F2)
            BeginCellEdit(FEditor.Row());
        return 0;
    case LVN_BEGINSCROLL:
        EndCellEdit(true);
        return 0;
    default:
        return 0;
    }
}

LRESULT Win32LanguageEditorWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam), lParam);
    case WM_SIZE:
        EndCellEdit(true);
        Layout();
        return 0;
    case WM_CLOSE:
        EndCellEdit(true);
        ::DestroyWindow(FWindow.Get());
        return 0;
    case WM_NCDESTROY: {
        // The window is gone: the handle is no longer ours to destroy.
        const HWND window = FWindow.Release();
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
    default:
        return ::DefWindowProcW(FWindow.Get(), msg, wParam, lParam);
    }
}

LRESULT CALLBACK Win32LanguageEditorWindow::WndProc(HWND window, UINT msg, WPARAM wParam,
                                                    LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Win32LanguageEditorWindow*>(
            reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FWindow.Reset(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self =
        reinterpret_cast<Win32LanguageEditorWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->FWindow)
        return ::DefWindowProcW(window, msg, wParam, lParam);
    LRESULT result = 0;
    ContainErrors("Language editor", [&] { result = self->HandleMessage(msg, wParam, lParam); });
    return result;
}

void Win32LanguageEditorWindow::ShowModal(HWND owner) {
    if (!FWindow)
        return;
    if (owner)
        ::EnableWindow(owner, FALSE);
    ::ShowWindow(FWindow.Get(), SW_SHOW);
    ::SetForegroundWindow(FWindow.Get());
    if (FEditor.LanguageFileUnreadable())
        AskUser(Translate(u"The language file could not be read. Its languages are not shown, "
                          u"and it stays as it is unless you choose to replace it when saving."),
                MB_OK | MB_ICONWARNING);
    RunModalLoop(FWindow.Get(), [this] { return IsOpen(); });
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetForegroundWindow(owner);
    }
}

HWND Win32LanguageEditorWindow::Control(std::u16string_view name) const {
    const auto it = FControls.find(name);
    return it == FControls.end() ? nullptr : it->second;
}

std::u16string Win32LanguageEditorWindow::ControlText(std::u16string_view name) const {
    if (name == FormName)
        return WindowText(FWindow.Get());
    const HWND control = Control(name);
    return control ? WindowText(control) : std::u16string();
}

void Win32LanguageEditorWindow::Click(std::u16string_view name) {
    // What a click on the button tells its parent.
    if (const HWND control = Control(name))
        ::SendMessageW(FWindow.Get(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                       reinterpret_cast<LPARAM>(control));
}

int Win32LanguageEditorWindow::TabCount() const {
    return TabCtrl_GetItemCount(FTabs);
}

std::u16string Win32LanguageEditorWindow::TabText(int index) const {
    wchar_t text[256] = {};
    TCITEMW entry{};
    entry.mask = TCIF_TEXT;
    entry.pszText = text;
    entry.cchTextMax = static_cast<int>(std::size(text));
    if (!TabCtrl_GetItem(FTabs, index, &entry))
        return {};
    return FromWide(std::wstring(entry.pszText));
}

int Win32LanguageEditorWindow::GridRowCount() const {
    return ListView_GetItemCount(FGrid);
}

std::u16string Win32LanguageEditorWindow::GridCell(int row, int column) const {
    wchar_t text[1024] = {};
    ListView_GetItemText(FGrid, row, column, text, static_cast<int>(std::size(text)));
    return FromWide(std::wstring(text));
}

} // namespace zq::win32

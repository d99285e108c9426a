#pragma once
// The language editor without its window: one tab per language with a grid of
// source texts and translations, the commands of its tool bar and status bar, the
// text-list popup, paging through the tabs, and saving the table as "ui.local"
// beside the executable. A window shows this model and forwards the user's
// actions to it; the tests drive it directly.

#include "language/TranslatableComponent.h"
#include "language/TuiLanguage.h"
#include "platform/Platform.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

class TLanguageEditor {
public:
    static constexpr std::size_t MaxVisibleTabs = 8;
    // Empty rows a grid gets beyond the source texts.
    static constexpr std::size_t SpareRowsAtOpening = 300;
    static constexpr std::size_t SpareRowsOfAddedLanguage = 100;
    static constexpr std::size_t SpareRowsGrowth = 30;

    // An entry of the locale list (LangCombo).
    struct TLocaleEntry {
        std::u16string Name;       // the locale's name in the user's language
        std::u16string LanguageId; // "0409": the short ID a language added from it gets
    };
    struct TGridRow {
        std::u16string Source;      // column 0, read only
        std::u16string Translation; // column 1, editable
    };
    struct TTab {
        std::u16string Text;    // the locale's name
        std::u16string ShortID; // the language the grid edits
        std::vector<TGridRow> Rows;
        bool Visible = true;
    };

    // Opens over a language component, closing after a save; or, without one, over
    // a component of its own that reads "ui.local" from the executable's folder.
    explicit TLanguageEditor(Platform& platform, TuiLanguage* component = nullptr);
    ~TLanguageEditor();
    TLanguageEditor(const TLanguageEditor&) = delete;
    TLanguageEditor& operator=(const TLanguageEditor&) = delete;

    TuiLanguage& Language() { return *FLang; }
    bool OwnsComponent() const { return FOwnLang != nullptr; }
    // True once a save has closed an editor opened with a component.
    bool Closed() const { return FClosed; }

    // The editor window's own texts, translated by its own language component.
    TTranslatableComponent& Form() { return FForm; }
    // The "Caption" of a component of the window; empty when it has none.
    std::u16string Caption(std::u16string_view componentName);

    // The locale list; the first entry is selected at opening.
    const std::vector<TLocaleEntry>& Locales() const { return FLocales; }
    int LocaleIndex() const { return FLocaleIndex; }
    void SetLocaleIndex(int index);

    const std::vector<TTab>& Tabs() const { return FTabs; }
    // The selected tab, -1 when there is none; always one of the tabs shown.
    int TabIndex() const { return FTabIndex; }
    void SetTabIndex(int index);
    int FirstVisibleTab() const { return FFirstVisible; }

    // The selected row of the grid, -1 when there is none.
    int Row() const { return FRow; }
    void SetRow(int row);
    // Edits column 1 of a row of the selected tab's grid; false for a row without a
    // source text or a translation that a line cannot hold.
    bool SetTranslation(int row, std::u16string text);

    // The text box of the status bar (TBConstText).
    const std::u16string& ConstText() const { return FConstText; }
    void SetConstText(std::u16string text) { FConstText = std::move(text); }

    // "Add Language": a tab for the selected locale, or the selection of its tab.
    void AddLanguage();
    // "Delete Language": the selected tab goes; the language leaves at the next save.
    void DeleteLanguage();
    // "Add Const Text": the text box's text becomes a source text.
    void AddConstText();
    // "Delete Item From List": the selected row's source text goes from every grid.
    void DeleteItemFromList();
    // "Get/Set Text List": true when the popup opens (a tab is selected); its memo
    // starts empty.
    bool OpenTextList();
    bool TextListOpen() const { return FTextListOpen; }
    // The popup's "Save": the memo's lines (source=translation) become the source
    // texts and the selected tab's translations; the popup closes.
    void SaveTextList(std::u16string_view memoText);
    void CloseTextList() { FTextListOpen = false; }
    // True when "ui.local" was there at opening but could not be read: the tabs
    // then hold none of its languages, and a save would lose them all.
    bool LanguageFileUnreadable() const { return FLanguageFileUnreadable; }
    // "Save to language file": the tabs become the languages of the table, which
    // replaces "ui.local". False when the file could not be written, or when it
    // could not be read at opening (it is then left as it is).
    bool SaveToLanguageFile();
    // The translator's choice to save over a "ui.local" that could not be read:
    // the old file is kept beside it (ui.local.bak, or the first free
    // ui.local.bakN) and the table saved. False when either failed.
    bool ReplaceUnreadableLanguageFile();
    // "Next Page" / "Prev Page": at most MaxVisibleTabs tabs are shown; a selected
    // tab that leaves the page gives way to the nearest tab shown.
    void NextPage();
    void PrevPage();

private:
    void BuildForm();
    void OpenTabs();
    void FillNewGrid(TTab& tab, std::size_t spareRows, bool sourceWhereUntranslated);
    void RefillGrids(int freshTab = -1);
    void ShowTabs();
    bool WriteLanguageFile();

    TTranslatableComponent FForm;
    std::unique_ptr<TuiLanguage> FOwnLang;
    TuiLanguage* FLang;
    std::unique_ptr<TuiLanguage> FEditorLanguage;
    std::vector<TLocaleEntry> FLocales;
    int FLocaleIndex = -1;
    std::vector<TTab> FTabs;
    int FTabIndex = -1;
    int FFirstVisible = 0;
    int FRow = -1;
    std::u16string FConstText;
    bool FTextListOpen = false;
    bool FClosed = false;
    bool FLanguageFileUnreadable = false;
};

} // namespace zq

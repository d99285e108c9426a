#include "language/LanguageEditor.h"

#include "language/EmbeddedTables.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

namespace zq {

namespace {

using Kind = TTranslatableComponent::Kind;

} // namespace

TLanguageEditor::TLanguageEditor(Platform& platform, TuiLanguage* component)
    : FForm(u"TLanguageEditorForm", u"LanguageEditorForm", Kind::Form), FLang(component) {
    BuildForm();
    if (!FLang) {
        // A component of our own reads "ui.local" as it is created.
        FOwnLang = std::make_unique<TuiLanguage>(platform, nullptr);
        FLang = FOwnLang.get();
    }
    // The editor's own texts follow the user's language.
    FEditorLanguage = std::make_unique<TuiLanguage>(platform, &FForm, EditorLanguageTable());
    FEditorLanguage->SetAutoSelect(true);

    for (const auto& locale : platform.Locales.SupportedLocales())
        FLocales.push_back({locale.LocalizedName, locale.LanguageId});
    FLocaleIndex = FLocales.empty() ? -1 : 0;
    // The component has read the file, or failed to and left it out without a
    // word; a save must not then replace what nobody has seen.
    std::error_code ec;
    const auto file = FLang->LanguageFile();
    FLanguageFileUnreadable =
        std::filesystem::exists(file, ec) && !TLanguageTable().LoadFromFile(file);
    OpenTabs();
}

TLanguageEditor::~TLanguageEditor() = default;

void TLanguageEditor::BuildForm() {
    FForm.SetText(u"Caption", u"Language Editor");
    auto add = [this](std::u16string className, std::u16string name, std::u16string caption) {
        TTranslatableComponent& component = FForm.Add(std::move(className), std::move(name));
        if (!caption.empty())
            component.SetText(u"Caption", std::move(caption));
    };
    // The tool bar.
    add(u"TLabel", u"Label1", u"Langs List：");
    add(u"TComboBox", u"LangCombo", u"");
    add(u"TButton", u"BtnAddLanguage", u"Add Language");
    add(u"TButton", u"BtnDelet", u"Delete Language");
    add(u"TButton", u"BtnPrevPage", u"Prev Page");
    add(u"TButton", u"BtnNextPage", u"Next Page");
    // The tabs; their names are the locales' own.
    add(u"TTabControl", u"TabControl1", u"");
    // The status bar.
    add(u"TStatusBar", u"StatusBar1", u"");
    add(u"TLabel", u"Label2", u"Type Text to translate:");
    add(u"TEdit", u"TBConstText", u"");
    add(u"TButton", u"BTNADDConstText", u"Add Const Text");
    add(u"TButton", u"BTNDELCONSTTEXT", u"Delete Item From List");
    add(u"TSpeedButton", u"sbtnsavelanguagetofile", u"Save to language file");
    add(u"TSpeedButton", u"SpeedButton2", u"Get/Set Text List");
    // The text-list popup.
    add(u"TPanel", u"PopupTextList", u"");
    add(u"TMemo", u"MemoTextList", u"");
    add(u"TButton", u"BtnSaveTextList", u"Save");
}

std::u16string TLanguageEditor::Caption(std::u16string_view componentName) {
    const TTranslatableComponent* component = FForm.Find(componentName);
    if (!component)
        return {};
    return component->Text(u"Caption").value_or(std::u16string());
}

void TLanguageEditor::SetLocaleIndex(int index) {
    FLocaleIndex = (index >= 0 && static_cast<std::size_t>(index) < FLocales.size()) ? index : -1;
}

void TLanguageEditor::OpenTabs() {
    // One tab per language named by a locale of this system, once per locale;
    // languages such as "CH" or "US" have no locale and no tab.
    for (const auto& language : FLang->Table().Languages()) {
        const auto locale =
            std::find_if(FLocales.begin(), FLocales.end(), [&](const TLocaleEntry& l) {
                return EqualsIgnoreAsciiCase(l.LanguageId, language.ShortID);
            });
        if (locale == FLocales.end())
            continue;
        const bool shown = std::any_of(FTabs.begin(), FTabs.end(), [&](const TTab& tab) {
            return EqualsIgnoreAsciiCase(tab.ShortID, language.ShortID);
        });
        if (shown)
            continue;
        TTab tab{locale->Name, language.ShortID, {}, true};
        FillNewGrid(tab, SpareRowsAtOpening, true);
        FTabs.push_back(std::move(tab));
    }
    FTabIndex = static_cast<int>(FTabs.size()) - 1;
    ShowTabs();
}

void TLanguageEditor::FillNewGrid(TTab& tab, std::size_t spareRows, bool sourceWhereUntranslated) {
    const TSortedStrings& originals = FLang->Table().Originals();
    const TLanguage* language = FLang->Table().Language(tab.ShortID);
    tab.Rows.assign(originals.Count() + spareRows, TGridRow{});
    for (std::size_t i = 0; i < originals.Count(); ++i) {
        std::u16string translation = language ? language->Translations.Value(originals[i]) : u"";
        if (translation.empty() && sourceWhereUntranslated)
            translation = originals[i];
        tab.Rows[i] = {originals[i], std::move(translation)};
    }
}

void TLanguageEditor::RefillGrids(int freshTab) {
    const TSortedStrings& originals = FLang->Table().Originals();
    for (std::size_t t = 0; t < FTabs.size(); ++t) {
        TTab& tab = FTabs[t];
        // Translations typed but not yet saved stay with their texts.
        std::map<std::u16string, std::u16string> typed;
        if (static_cast<int>(t) != freshTab)
            for (auto& row : tab.Rows)
                if (!row.Source.empty())
                    typed.emplace(row.Source, std::move(row.Translation));
        while (tab.Rows.size() < originals.Count())
            tab.Rows.resize(tab.Rows.size() + SpareRowsGrowth);
        const TLanguage* language = FLang->Table().Language(tab.ShortID);
        for (std::size_t i = 0; i < tab.Rows.size(); ++i) {
            if (i >= originals.Count()) {
                tab.Rows[i] = {};
                continue;
            }
            const std::u16string& source = originals[i];
            std::u16string translation;
            if (const auto it = typed.find(source); it != typed.end()) {
                translation = it->second;
            } else {
                translation = language ? language->Translations.Value(source) : u"";
                if (translation.empty())
                    translation = source;
            }
            tab.Rows[i] = {source, std::move(translation)};
        }
    }
}

void TLanguageEditor::ShowTabs() {
    const int count = static_cast<int>(FTabs.size());
    const int visible = static_cast<int>(MaxVisibleTabs);
    FFirstVisible = std::clamp(FFirstVisible, 0, std::max(0, count - visible));
    const int lastVisible = std::min(count, FFirstVisible + visible) - 1;
    for (int i = 0; i < count; ++i)
        FTabs[static_cast<std::size_t>(i)].Visible = i >= FFirstVisible && i <= lastVisible;
    // The selected tab is the one the grid shows and "Delete Language" removes:
    // it must be one the translator can see, so a page that leaves it behind
    // selects the nearest tab shown.
    if (FTabIndex >= 0)
        FTabIndex = std::clamp(FTabIndex, FFirstVisible, lastVisible);
}

void TLanguageEditor::SetTabIndex(int index) {
    if (index < 0 || index >= static_cast<int>(FTabs.size()))
        return;
    FTabIndex = index;
    // Selecting a hidden tab brings it into view.
    const int visible = static_cast<int>(MaxVisibleTabs);
    if (index < FFirstVisible)
        FFirstVisible = index;
    else if (index >= FFirstVisible + visible)
        FFirstVisible = index - visible + 1;
    ShowTabs();
}

void TLanguageEditor::SetRow(int row) {
    FRow = row < 0 ? -1 : row;
}

bool TLanguageEditor::SetTranslation(int row, std::u16string text) {
    if (FTabIndex < 0 || row < 0 || BreaksLine(text))
        return false;
    TTab& tab = FTabs[static_cast<std::size_t>(FTabIndex)];
    if (static_cast<std::size_t>(row) >= tab.Rows.size())
        return false;
    TGridRow& cell = tab.Rows[static_cast<std::size_t>(row)];
    if (cell.Source.empty())
        return false;
    cell.Translation = std::move(text);
    return true;
}

void TLanguageEditor::AddLanguage() {
    if (FLocaleIndex < 0)
        return;
    const TLocaleEntry& locale = FLocales[static_cast<std::size_t>(FLocaleIndex)];
    for (std::size_t i = 0; i < FTabs.size(); ++i) {
        if (EqualsIgnoreAsciiCase(FTabs[i].ShortID, locale.LanguageId)) {
            SetTabIndex(static_cast<int>(i));
            return;
        }
    }
    TTab tab{locale.Name, locale.LanguageId, {}, true};
    FillNewGrid(tab, SpareRowsOfAddedLanguage, false);
    FTabs.push_back(std::move(tab));
    SetTabIndex(static_cast<int>(FTabs.size()) - 1);
}

void TLanguageEditor::DeleteLanguage() {
    if (FTabIndex < 0)
        return;
    FTabs.erase(FTabs.begin() + FTabIndex);
    FTabIndex = FTabs.empty() ? -1 : std::max(0, FTabIndex - 1);
    ShowTabs();
}

void TLanguageEditor::AddConstText() {
    // A text with "=" or a line break could never be looked up in a translation list.
    if (!IsLineName(FConstText))
        return;
    if (!FLang->Table().Originals().Add(FConstText))
        return;
    RefillGrids();
}

void TLanguageEditor::DeleteItemFromList() {
    if (FTabIndex < 0 || FRow < 0)
        return;
    const TTab& current = FTabs[static_cast<std::size_t>(FTabIndex)];
    if (static_cast<std::size_t>(FRow) >= current.Rows.size())
        return;
    const std::u16string source = current.Rows[static_cast<std::size_t>(FRow)].Source;
    if (source.empty())
        return;
    FLang->Table().Originals().Remove(source);
    for (TTab& tab : FTabs) {
        auto& rows = tab.Rows;
        const auto it = std::find_if(rows.begin(), rows.end(),
                                     [&](const TGridRow& row) { return row.Source == source; });
        if (it == rows.end())
            continue;
        // The rows below move up by one, as far as the last filled row.
        std::size_t i = static_cast<std::size_t>(it - rows.begin());
        for (; i + 1 < rows.size() && !rows[i + 1].Source.empty(); ++i)
            rows[i] = std::move(rows[i + 1]);
        rows[i] = {};
    }
}

bool TLanguageEditor::OpenTextList() {
    if (FTabIndex < 0)
        return false;
    FTextListOpen = true;
    return true;
}

void TLanguageEditor::SaveTextList(std::u16string_view memoText) {
    FTextListOpen = false;
    if (FTabIndex < 0)
        return;
    TLanguageTable& table = FLang->Table();
    const std::u16string& shortId = FTabs[static_cast<std::size_t>(FTabIndex)].ShortID;
    // A tab added since the last save has no language in the table yet.
    table.AddLanguage(shortId);
    TLanguage& language = *table.Language(shortId);

    TSortedStrings originals;
    for (const auto line : SplitLines(memoText)) {
        const auto equals = line.find(u'=');
        const std::u16string_view source = line.substr(0, equals);
        if (source.empty())
            continue;
        originals.Add(std::u16string(source));
        language.Translations.SetValue(
            source, equals == std::u16string_view::npos ? u"" : line.substr(equals + 1));
    }
    table.Originals() = std::move(originals);
    RefillGrids(FTabIndex);
}

bool TLanguageEditor::SaveToLanguageFile() {
    if (FLanguageFileUnreadable)
        return false;
    return WriteLanguageFile();
}

bool TLanguageEditor::ReplaceUnreadableLanguageFile() {
    if (FLanguageFileUnreadable) {
        const auto file = FLang->LanguageFile();
        std::error_code ec;
        // The old file stays beside the new one, under a name no earlier backup has.
        auto backup = file;
        backup += u".bak";
        for (int n = 2; std::filesystem::exists(backup, ec) || ec; ++n) {
            if (n > 1000)
                return false;
            backup = file;
            backup += ".bak" + std::to_string(n);
        }
        std::filesystem::rename(file, backup, ec);
        if (ec)
            return false;
        FLanguageFileUnreadable = false;
    }
    return WriteLanguageFile();
}

bool TLanguageEditor::WriteLanguageFile() {
    TLanguageTable& table = FLang->Table();
    table.ClearLanguages();
    for (const TTab& tab : FTabs) {
        table.AddLanguage(tab.ShortID);
        TLanguage& language = *table.Language(tab.ShortID);
        const std::size_t count = std::min(tab.Rows.size(), table.Originals().Count());
        for (std::size_t i = 0; i < count && !tab.Rows[i].Source.empty(); ++i)
            language.Translations.SetValue(tab.Rows[i].Source, tab.Rows[i].Translation);
    }
    if (!table.SaveToFile(FLang->LanguageFile()))
        return false;
    // Opened with a component, the editor has done its work; on its own it stays.
    if (!FOwnLang)
        FClosed = true;
    return true;
}

void TLanguageEditor::NextPage() {
    if (FTabs.size() - static_cast<std::size_t>(FFirstVisible) > MaxVisibleTabs)
        ++FFirstVisible;
    ShowTabs();
}

void TLanguageEditor::PrevPage() {
    if (FFirstVisible > 0)
        --FFirstVisible;
    ShowTabs();
}

} // namespace zq

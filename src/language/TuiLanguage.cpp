#include "language/TuiLanguage.h"

#include "language/Translator.h"
#include "platform/Text.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace zq {

namespace {

bool WasVisited(const std::vector<const TTranslatableComponent*>& visited,
                const TTranslatableComponent& component) {
    return std::find(visited.begin(), visited.end(), &component) != visited.end();
}

} // namespace

std::u16string ComponentBaseName(const TTranslatableComponent& component) {
    if (component.IsForm())
        return component.ClassName();
    const TTranslatableComponent* owner = component.Owner();
    if (!owner)
        return component.ClassName();
    if (owner->IsForm())
        return owner->ClassName();
    return ComponentBaseName(*owner) + u"." + owner->Name();
}

const std::vector<std::u16string>& TuiLanguage::ConstTexts() {
    static const std::vector<std::u16string> texts = {
        u"Down",
        u"Up",
        u"ms",
        u"Mouse Click",
        u"Mouse Right Click",
        u"Mouse Middle Click",
        u"Backward(Mouse)",
        u"Forward(Mouse)",
        u"Wheel up(Mouse)",
        u"Wheel Down(Mouse)",
    };
    return texts;
}

TuiLanguage::TuiLanguage(Platform& platform, TTranslatableComponent* owner,
                         std::span<const std::uint8_t> embeddedTable)
    : FSystem(platform.System),
      FLocales(platform.Locales), FSpecialClassName{u"TMenuItem",   u"TTabControl", u"TTabSheet",
                                                    u"TListView",   u"TTreeView",   u"TStatusBar",
                                                    u"TComboBoxEx", u"TuiMenuEx"} {
    if (owner && owner->IsForm()) {
        FOwner = owner;
        FCountsAsParent = true;
        TTranslator::Instance().RegisterForm(*owner, this);
        TTranslator::Instance().AddParentForm();
    }
    // The translators' file first, so that its languages take the first places and
    // win over embedded ones of the same short ID. A file that is not a table is
    // left aside.
    LoadLanguagesFromFile(LanguageFile());
    if (!embeddedTable.empty())
        FTable.LoadFromStream(embeddedTable);
    AutomaticChoice();
}

TuiLanguage::~TuiLanguage() {
    TTranslator::Instance().UnregisterRegistrant(this);
    // Only components that counted themselves take themselves off the count.
    if (FCountsAsParent)
        TTranslator::Instance().RemoveParentForm();
}

std::filesystem::path TuiLanguage::LanguageFile() const {
    return FSystem.ExecutableFolder() / LanguageFileName;
}

void TuiLanguage::BuildLocaleTables() const {
    // Built when first asked for: the system's locale list is long, and the
    // monitor itself never asks.
    if (FLocaleTablesBuilt)
        return;
    FLocaleTablesBuilt = true;
    for (const auto& locale : FLocales.SupportedLocales()) {
        const std::u16string key = AsciiLower(locale.LanguageId);
        FNameByLangID.emplace(key, locale.NativeName);
        if (!locale.CountryAbbreviation.empty())
            FNameByShortID.emplace(key, locale.NativeName);
    }
}

std::u16string TuiLanguage::UserLanguageShortID() const {
    const std::u16string abbreviation = FLocales.UserDefaultLanguageAbbreviation();
    return AsciiLower(std::u16string_view(abbreviation).substr(0, 2));
}

void TuiLanguage::AutomaticChoice() {
    // Leaves Lang empty, so that the first selection by the window always takes.
    if (const TLanguage* language = FTable.Language(UserLanguageShortID()))
        TTranslator::Instance().MakeCurrent(language->Translations);
}

void TuiLanguage::SetLang(const std::u16string& value) {
    TTranslator& translator = TTranslator::Instance();
    if (value == u"en") {
        translator.RemoveCurrent();
    } else if (const TLanguage* language = FTable.Language(value)) {
        translator.MakeCurrent(language->Translations);
    }
    FLang = value;
    std::vector<std::u16string> texts;
    TranslateForms(true, texts);
    if (OnLanguageChanged)
        OnLanguageChanged(*this, value, GetLanguageLongNameByShortID(value));
}

void TuiLanguage::SetAutoSelect(bool value) {
    FAutoSelect = value;
    if (value)
        SetLang(UserLanguageShortID());
}

int TuiLanguage::uiParentFormCount() const {
    return TTranslator::Instance().ParentFormCount();
}

std::u16string TuiLanguage::GetOSDefaultLang() const {
    return FormatLanguageId(FLocales.SystemDefaultLanguageId());
}

int TuiLanguage::GetLanguageIndexByShortID(std::u16string_view shortId) const {
    return FTable.FindLanguage(shortId);
}

std::u16string TuiLanguage::GetLanguageShortIDByIndex(int index) const {
    const auto& languages = FTable.Languages();
    if (index < 0 || static_cast<std::size_t>(index) >= languages.size())
        return {};
    return languages[static_cast<std::size_t>(index)].ShortID;
}

std::u16string TuiLanguage::GetLanguageLongNameByLangID(std::u16string_view langId) const {
    BuildLocaleTables();
    const auto it = FNameByLangID.find(AsciiLower(langId));
    return it == FNameByLangID.end() ? std::u16string() : it->second;
}

std::u16string TuiLanguage::GetLanguageLongNameByShortID(std::u16string_view shortId) const {
    BuildLocaleTables();
    const auto it = FNameByShortID.find(AsciiLower(shortId));
    return it == FNameByShortID.end() ? std::u16string() : it->second;
}

bool TuiLanguage::LoadLanguagesFromFile(const std::filesystem::path& file) {
    TLanguageTable loaded;
    if (!loaded.LoadFromFile(file))
        return false;
    FTable = std::move(loaded);
    return true;
}

void TuiLanguage::TranslateForms(bool apply, std::vector<std::u16string>& texts) {
    std::vector<const TTranslatableComponent*> visited;
    for (TTranslatableComponent* form : TTranslator::Instance().RegisteredForms())
        if (!WasVisited(visited, *form))
            Walk(*form, apply, texts, visited);
}

void TuiLanguage::Walk(TTranslatableComponent& component, bool apply,
                       std::vector<std::u16string>& texts,
                       std::vector<const TTranslatableComponent*>& visited) {
    visited.push_back(&component);
    TranslateText(component, u"Caption", apply, texts);
    TranslateText(component, u"Hint", apply, texts);
    for (const auto& owned : component.Components()) {
        TTranslatableComponent& child = *owned;
        if (ContainsIgnoreAsciiCase(FSpecialClassName, child.ClassName())) {
            TranslateSpecial(child, apply, texts);
        } else if (ContainsIgnoreAsciiCase(FCustomClassList, child.ClassName())) {
            if (OnCustomTranslate)
                OnCustomTranslate(child, texts, visited, ComponentBaseName(child), apply);
        } else if (child.IsScene()) {
            // Scenes translate their own texts.
            visited.push_back(&child);
        } else if (!WasVisited(visited, child)) {
            Walk(child, apply, texts, visited);
        }
    }
}

void TuiLanguage::TranslateText(TTranslatableComponent& component, std::u16string_view property,
                                bool apply, std::vector<std::u16string>& texts) {
    std::u16string text;
    try {
        const auto value = component.Text(property);
        if (!value)
            return;
        text = *value;
    } catch (const std::exception&) {
        return; // a text that cannot be read is left alone
    }
    if (text.empty())
        return;
    texts.push_back(text);
    std::u16string translated = Translate(text);
    if (apply && !translated.empty())
        component.SetText(property, std::move(translated));
}

void TuiLanguage::TranslateSpecial(TTranslatableComponent& component, bool apply,
                                   std::vector<std::u16string>& texts) {
    // Menu entries, status bars and the like are left to their windows; controls
    // with an item list get their text, hint and entries translated.
    if (!component.HasItems())
        return;
    TranslateText(component, u"Text", apply, texts);
    TranslateText(component, u"Hint", apply, texts);
    std::vector<std::u16string> items = component.Items();
    for (auto& item : items) {
        if (item.empty())
            continue;
        texts.push_back(item);
        item = Translate(item);
    }
    if (apply && items != component.Items())
        component.SetItems(std::move(items));
}

bool TuiLanguage::CollectTexts() {
    TTranslator& translator = TTranslator::Instance();
    try {
        translator.StartCollecting();
        translator.RetranslateScenes();
        std::vector<std::u16string> texts = translator.StopCollecting();
        TranslateForms(false, texts);
        texts.insert(texts.end(), ConstTexts().begin(), ConstTexts().end());
        for (auto& text : texts)
            if (IsLineName(text)) // a translation line can hold it
                FTable.Originals().Add(std::move(text));
        return true;
    } catch (const std::exception&) {
        translator.StopCollecting();
        FActive = false;
        return false;
    }
}

} // namespace zq

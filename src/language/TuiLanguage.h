#pragma once
// The language component of a window. It holds the window's translation table
// (the table embedded in the program, after the languages of a "ui.local" file
// beside the executable), selects the current language of the program, and
// translates the "Caption" and "Hint" texts of the windows it is registered with.

#include "language/LanguageTable.h"
#include "language/TranslatableComponent.h"
#include "platform/Platform.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

class TuiLanguage {
public:
    using TLanguageChangedEvent = std::function<void(
        TuiLanguage& sender, const std::u16string& shortId, const std::u16string& longName)>;
    using TCustomTranslateEvent =
        std::function<void(TTranslatableComponent& component, std::vector<std::u16string>& texts,
                           std::vector<const TTranslatableComponent*>& visited,
                           const std::u16string& baseName, bool apply)>;

    // The translators' file beside the executable.
    static constexpr char16_t LanguageFileName[] = u"ui.local";

    // Builds the locale tables, registers the owner when it is a window, reads
    // "ui.local" from the executable's folder, appends the languages of the
    // embedded table (whose source texts replace the file's), and makes the
    // language named after the user's locale current when the table has it.
    TuiLanguage(Platform& platform, TTranslatableComponent* owner,
                std::span<const std::uint8_t> embeddedTable = {});
    // Leaves the registration together with the owner window.
    ~TuiLanguage();
    TuiLanguage(const TuiLanguage&) = delete;
    TuiLanguage& operator=(const TuiLanguage&) = delete;

    // The short ID set last through this component; empty until then.
    const std::u16string& Lang() const { return FLang; }
    // Selects a language: "en" removes the current language, a known short ID makes
    // its translations current, an unknown one keeps the current language. The value
    // is stored in every case, the registered windows are translated and
    // OnLanguageChanged is called.
    void SetLang(const std::u16string& value);

    bool AutoSelect() const { return FAutoSelect; }
    // Writing true selects the language named after the user's locale ("en", "ch").
    void SetAutoSelect(bool value);

    // Design-time switches; at run time they are only stored.
    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    bool ActiveLoadFromFile() const { return FActiveLoadFromFile; }
    void SetActiveLoadFromFile(bool value) { FActiveLoadFromFile = value; }

    // Language components created with a window as owner, less those destroyed.
    int uiParentFormCount() const;
    // Classes that the walk does not treat like other components.
    const std::vector<std::u16string>& SpecialClassName() const { return FSpecialClassName; }
    // Classes whose components are handed to OnCustomTranslate.
    std::vector<std::u16string>& CustomClassList() { return FCustomClassList; }

    TCustomTranslateEvent OnCustomTranslate;
    TLanguageChangedEvent OnLanguageChanged;

    // The system default language identifier, four upper-case hexadecimal digits.
    std::u16string GetOSDefaultLang() const;
    // Position of the language with this short ID (without regard to case), or -1.
    int GetLanguageIndexByShortID(std::u16string_view shortId) const;
    // The short ID at that position; empty outside the list.
    std::u16string GetLanguageShortIDByIndex(int index) const;
    // The language's own name from the system's locales; empty when unknown.
    std::u16string GetLanguageLongNameByLangID(std::u16string_view langId) const;
    std::u16string GetLanguageLongNameByShortID(std::u16string_view shortId) const;

    TLanguageTable& Table() { return FTable; }
    const TLanguageTable& Table() const { return FTable; }
    std::filesystem::path LanguageFile() const;

    // Removes the languages and reads those of the file, whose source texts replace
    // ours; a file that cannot be read or is not a table changes nothing (false).
    bool LoadLanguagesFromFile(const std::filesystem::path& file);

    // Translates the texts of every registered window: "Caption" and "Hint" of the
    // window and of each component it owns, each component once. Every text met is
    // added to texts; with apply the translations are written back.
    void TranslateForms(bool apply, std::vector<std::u16string>& texts);

    // Gathers the texts to translate into the source texts, for the language editor:
    // those of the scenes, of the registered windows and the constant texts. False
    // (and Active back to false) when that failed.
    bool CollectTexts();

    // The texts added to the source texts whenever texts are collected.
    static const std::vector<std::u16string>& ConstTexts();

    // The short ID named after the user's locale: the first two letters of its
    // abbreviated language name, in lower case.
    std::u16string UserLanguageShortID() const;

private:
    void BuildLocaleTables() const;
    void AutomaticChoice();
    void Walk(TTranslatableComponent& component, bool apply, std::vector<std::u16string>& texts,
              std::vector<const TTranslatableComponent*>& visited);
    void TranslateText(TTranslatableComponent& component, std::u16string_view property, bool apply,
                       std::vector<std::u16string>& texts);
    void TranslateSpecial(TTranslatableComponent& component, bool apply,
                          std::vector<std::u16string>& texts);

    ISystem& FSystem;
    ILocales& FLocales;
    TTranslatableComponent* FOwner = nullptr;
    bool FCountsAsParent = false;
    TLanguageTable FTable;
    std::u16string FLang;
    bool FAutoSelect = false;
    bool FActive = false;
    bool FActiveLoadFromFile = false;
    std::vector<std::u16string> FSpecialClassName;
    std::vector<std::u16string> FCustomClassList;
    // Native language names by language identifier ("0409"), the second only for
    // locales with a country.
    mutable bool FLocaleTablesBuilt = false;
    mutable std::map<std::u16string, std::u16string> FNameByLangID;
    mutable std::map<std::u16string, std::u16string> FNameByShortID;
};

// The base name of a component as OnCustomTranslate receives it: a window's class
// name, or the class of the owning window, or the owner's base name "." its name.
std::u16string ComponentBaseName(const TTranslatableComponent& component);

} // namespace zq

#pragma once
// The program's one translator: the current language, shared by every language
// component and by the free function Translate, the scenes whose texts follow
// it, the windows registered by language components, and the list that collects
// texts for the language editor. Used from the main thread only.

#include "language/SortedStrings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

class TTranslatableComponent;

// Texts shown by a scene that follow the current language.
class ISceneTexts {
public:
    virtual ~ISceneTexts() = default;
    // Passes the scene's texts through Translate again. In reverse mode (while the
    // current language is being removed) each text returns to its source text.
    virtual void RetranslateTexts() = 0;
};

class TTranslator {
public:
    static TTranslator& Instance();

    // Empty gives empty; otherwise the translation in the current language, or in
    // reverse mode the source text of a translation; the text itself when there is
    // none. While texts are collected, every text asked for is collected.
    std::u16string Translate(std::u16string_view text);

    bool HasCurrentLanguage() const { return FCurrent.has_value(); }
    // Removes the current language (if any), then makes a copy of these translations
    // current; the scenes follow.
    void MakeCurrent(const TSortedStrings& translations);
    // Returns the scenes' texts to their sources and drops the current language.
    void RemoveCurrent();
    bool Reverse() const { return FReverse; }

    // Scenes register for as long as they show texts.
    void RegisterScene(ISceneTexts& scene);
    void UnregisterScene(ISceneTexts& scene);
    // Every registered scene passes its texts through Translate once more.
    void RetranslateScenes();

    // Windows registered by language components, in the order they were registered.
    void RegisterForm(TTranslatableComponent& form, const void* registrant);
    // A registrant (a language component) that goes leaves with its registrations.
    void UnregisterRegistrant(const void* registrant);
    // A window that is destroyed leaves the registration, whoever registered it.
    void UnregisterForm(const TTranslatableComponent& form);
    // Each registered window once.
    std::vector<TTranslatableComponent*> RegisteredForms() const;

    // Language components created with a window as owner, less those destroyed.
    int ParentFormCount() const { return FParentFormCount; }
    void AddParentForm() { ++FParentFormCount; }
    void RemoveParentForm() { --FParentFormCount; }

    // Collecting texts for the language editor.
    void StartCollecting();
    std::vector<std::u16string> StopCollecting();
    bool Collecting() const { return FCollected.has_value(); }

    // Back to the state at program start (for tests).
    void Reset();

private:
    struct FormRegistration {
        TTranslatableComponent* Form;
        const void* Registrant;
    };

    std::optional<TSortedStrings> FCurrent;
    bool FReverse = false;
    std::optional<std::vector<std::u16string>> FCollected;
    std::vector<ISceneTexts*> FScenes;
    std::vector<FormRegistration> FForms;
    int FParentFormCount = 0;
};

// The program-wide translate function (TTranslator::Instance().Translate).
std::u16string Translate(std::u16string_view text);

} // namespace zq

#include "language/Translator.h"

#include <algorithm>

namespace zq {

TTranslator& TTranslator::Instance() {
    static TTranslator translator;
    return translator;
}

std::u16string Translate(std::u16string_view text) {
    return TTranslator::Instance().Translate(text);
}

std::u16string TTranslator::Translate(std::u16string_view text) {
    if (text.empty())
        return {};
    if (FCollected)
        FCollected->emplace_back(text);
    std::u16string result;
    if (FCurrent)
        result = FReverse ? FCurrent->NameOfValue(text) : FCurrent->Value(text);
    if (result.empty())
        result = text;
    return result;
}

void TTranslator::MakeCurrent(const TSortedStrings& translations) {
    // The copy is taken first: the list may belong to a table that removing the
    // current language would not touch, but it may also be the current list itself.
    TSortedStrings copy = translations;
    RemoveCurrent();
    FCurrent = std::move(copy);
    RetranslateScenes();
}

void TTranslator::RemoveCurrent() {
    if (!FCurrent)
        return;
    FReverse = true;
    RetranslateScenes();
    FReverse = false;
    FCurrent.reset();
}

void TTranslator::RegisterScene(ISceneTexts& scene) {
    if (std::find(FScenes.begin(), FScenes.end(), &scene) == FScenes.end())
        FScenes.push_back(&scene);
}

void TTranslator::UnregisterScene(ISceneTexts& scene) {
    std::erase(FScenes, &scene);
}

void TTranslator::RetranslateScenes() {
    // A scene may come or go while another one re-translates: work on a copy and
    // skip scenes that have left since.
    const auto scenes = FScenes;
    for (ISceneTexts* scene : scenes)
        if (std::find(FScenes.begin(), FScenes.end(), scene) != FScenes.end())
            scene->RetranslateTexts();
}

void TTranslator::RegisterForm(TTranslatableComponent& form, const void* registrant) {
    FForms.push_back({&form, registrant});
}

void TTranslator::UnregisterRegistrant(const void* registrant) {
    std::erase_if(FForms, [&](const FormRegistration& r) { return r.Registrant == registrant; });
}

void TTranslator::UnregisterForm(const TTranslatableComponent& form) {
    std::erase_if(FForms, [&](const FormRegistration& r) { return r.Form == &form; });
}

std::vector<TTranslatableComponent*> TTranslator::RegisteredForms() const {
    std::vector<TTranslatableComponent*> forms;
    for (const auto& registration : FForms)
        if (std::find(forms.begin(), forms.end(), registration.Form) == forms.end())
            forms.push_back(registration.Form);
    return forms;
}

void TTranslator::StartCollecting() {
    FCollected.emplace();
}

std::vector<std::u16string> TTranslator::StopCollecting() {
    std::vector<std::u16string> collected =
        FCollected ? std::move(*FCollected) : std::vector<std::u16string>{};
    FCollected.reset();
    return collected;
}

void TTranslator::Reset() {
    FCurrent.reset();
    FReverse = false;
    FCollected.reset();
    FScenes.clear();
    FForms.clear();
    FParentFormCount = 0;
}

} // namespace zq

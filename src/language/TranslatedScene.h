#pragma once
// A scene whose texts follow the current language: built from source texts, it
// shows their translations and switches with every language change, forward to a
// new language and back to the sources when a language is removed.

#include "language/Translator.h"
#include "platform/Scene.h"

#include <functional>
#include <string>
#include <vector>

namespace zq {

class TTranslatedScene : public ISceneTexts {
public:
    // fixedItems names the items whose text is data rather than wording (a web
    // address); they are shown as they are.
    explicit TTranslatedScene(Scene scene, std::vector<std::string> fixedItems = {});
    ~TTranslatedScene() override;
    TTranslatedScene(const TTranslatedScene&) = delete;
    TTranslatedScene& operator=(const TTranslatedScene&) = delete;

    // The scene as it is to be shown now.
    const Scene& Current() const { return FScene; }
    void RetranslateTexts() override;

    // Called after the texts changed.
    std::function<void()> OnChanged;

private:
    Scene FScene;
    std::vector<std::u16string> FSources; // per item; empty for fixed items
};

} // namespace zq

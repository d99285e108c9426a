#include "language/TranslatedScene.h"

#include <algorithm>

namespace zq {

TTranslatedScene::TTranslatedScene(Scene scene, std::vector<std::string> fixedItems)
    : FScene(std::move(scene)) {
    for (const auto& item : FScene.Items) {
        const bool fixed =
            std::find(fixedItems.begin(), fixedItems.end(), item.Name) != fixedItems.end();
        FSources.push_back(fixed ? std::u16string() : item.Text);
    }
    TTranslator::Instance().RegisterScene(*this);
    RetranslateTexts();
}

TTranslatedScene::~TTranslatedScene() {
    TTranslator::Instance().UnregisterScene(*this);
}

void TTranslatedScene::RetranslateTexts() {
    TTranslator& translator = TTranslator::Instance();
    for (std::size_t i = 0; i < FScene.Items.size(); ++i) {
        if (FSources[i].empty())
            continue; // fixed, or nothing to translate
        // Going back, the scene knows its sources: looking a shown text up among the
        // translations would pick the wrong source where two texts share a translation.
        FScene.Items[i].Text =
            translator.Reverse() ? FSources[i] : translator.Translate(FSources[i]);
    }
    if (OnChanged)
        OnChanged();
}

} // namespace zq

#include "language/TranslatableComponent.h"

#include "language/Translator.h"

namespace zq {

TTranslatableComponent::TTranslatableComponent(std::u16string className, std::u16string name,
                                               Kind kind)
    : FClassName(std::move(className)), FName(std::move(name)), FKind(kind) {}

TTranslatableComponent::~TTranslatableComponent() {
    TTranslator::Instance().UnregisterForm(*this);
}

TTranslatableComponent& TTranslatableComponent::Add(std::u16string className, std::u16string name,
                                                    Kind kind) {
    auto component =
        std::make_unique<TTranslatableComponent>(std::move(className), std::move(name), kind);
    component->FOwner = this;
    FComponents.push_back(std::move(component));
    return *FComponents.back();
}

TTranslatableComponent* TTranslatableComponent::Find(std::u16string_view name) {
    if (FName == name)
        return this;
    for (const auto& component : FComponents)
        if (auto* found = component->Find(name))
            return found;
    return nullptr;
}

TTranslatableComponent::Property* TTranslatableComponent::FindProperty(std::u16string_view name) {
    for (auto& property : FProperties)
        if (property.Name == name)
            return &property;
    return nullptr;
}

const TTranslatableComponent::Property*
TTranslatableComponent::FindProperty(std::u16string_view name) const {
    for (const auto& property : FProperties)
        if (property.Name == name)
            return &property;
    return nullptr;
}

void TTranslatableComponent::SetText(std::u16string_view name, std::u16string value) {
    Property* property = FindProperty(name);
    if (!property) {
        FProperties.push_back({std::u16string(name), {}, {}, {}});
        property = &FProperties.back();
    }
    if (property->Set) {
        property->Set(value);
    } else {
        property->Value = value;
    }
    if (OnTextChanged)
        OnTextChanged(property->Name, value);
}

void TTranslatableComponent::BindText(std::u16string name, Getter get, Setter set) {
    if (Property* property = FindProperty(name)) {
        property->Get = std::move(get);
        property->Set = std::move(set);
        return;
    }
    FProperties.push_back({std::move(name), {}, std::move(get), std::move(set)});
}

std::optional<std::u16string> TTranslatableComponent::Text(std::u16string_view name) const {
    const Property* property = FindProperty(name);
    if (!property)
        return std::nullopt;
    return property->Get ? property->Get() : property->Value;
}

bool TTranslatableComponent::HasText(std::u16string_view name) const {
    return FindProperty(name) != nullptr;
}

void TTranslatableComponent::SetItems(std::vector<std::u16string> items) {
    FHasItems = true;
    FItems = std::move(items);
    if (OnItemsChanged)
        OnItemsChanged();
}

} // namespace zq

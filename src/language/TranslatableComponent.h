#pragma once
// A window, or a component on it, as the language component sees it: a class
// name, a name, the texts it shows under property names ("Caption", "Hint"), an
// optional item list, and the components it owns. Windows describe themselves
// with a tree of these; the language walk reads and writes their texts, and the
// window applies what is written.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

class TTranslatableComponent {
public:
    enum class Kind {
        Form,      // a window (or data module): the start of a walk
        Scene,     // a vector scene, which translates its own texts
        Component, // anything else
    };
    using Getter = std::function<std::u16string()>;
    using Setter = std::function<void(const std::u16string&)>;

    TTranslatableComponent(std::u16string className, std::u16string name,
                           Kind kind = Kind::Component);
    // A window leaves the language registration when it goes, so no walk reaches it.
    ~TTranslatableComponent();
    TTranslatableComponent(const TTranslatableComponent&) = delete;
    TTranslatableComponent& operator=(const TTranslatableComponent&) = delete;

    const std::u16string& ClassName() const { return FClassName; }
    const std::u16string& Name() const { return FName; }
    Kind GetKind() const { return FKind; }
    bool IsForm() const { return FKind == Kind::Form; }
    bool IsScene() const { return FKind == Kind::Scene; }
    TTranslatableComponent* Owner() const { return FOwner; }

    // Creates a component owned by this one, after those it already owns.
    TTranslatableComponent& Add(std::u16string className, std::u16string name,
                                Kind kind = Kind::Component);
    const std::vector<std::unique_ptr<TTranslatableComponent>>& Components() const {
        return FComponents;
    }
    // This component or one it owns, directly or not, by name; null when none.
    TTranslatableComponent* Find(std::u16string_view name);

    // A text held by the component itself; created when it is new.
    void SetText(std::u16string_view property, std::u16string value);
    // A text kept elsewhere (a window's title), read and written through functions.
    void BindText(std::u16string property, Getter get, Setter set);
    // nullopt when the component has no such property.
    std::optional<std::u16string> Text(std::u16string_view property) const;
    bool HasText(std::u16string_view property) const;

    // The entries of a control that carries an item list (tabs, list rows).
    bool HasItems() const { return FHasItems; }
    const std::vector<std::u16string>& Items() const { return FItems; }
    void SetItems(std::vector<std::u16string> items);

    // Called after a held text or the item list changed.
    std::function<void(const std::u16string& property, const std::u16string& value)> OnTextChanged;
    std::function<void()> OnItemsChanged;

private:
    struct Property {
        std::u16string Name;
        std::u16string Value;
        Getter Get;
        Setter Set;
    };
    Property* FindProperty(std::u16string_view name);
    const Property* FindProperty(std::u16string_view name) const;

    std::u16string FClassName;
    std::u16string FName;
    Kind FKind;
    TTranslatableComponent* FOwner = nullptr;
    std::vector<Property> FProperties;
    bool FHasItems = false;
    std::vector<std::u16string> FItems;
    std::vector<std::unique_ptr<TTranslatableComponent>> FComponents;
};

} // namespace zq

#pragma once
// Components and their ownership: an owner destroys what it owns, most recently created first.
#include <string>
#include <string_view>
#include <vector>

class LayoutValue;
class LayoutReader;

class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    virtual const char* ClassName() const { return "TComponent"; }

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return int(components_.size()); }
    TComponent* ComponentAt(int index) const { return components_[size_t(index)]; }
    TComponent* FindComponent(std::string_view name) const;

    // True while a layout is being applied to this component.
    bool IsLoading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }
    bool IsDestroying() const { return destroying_; }

    // Applies one property read from a layout; false when the component has no such property.
    virtual bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader);
    // Runs once the whole layout has been applied.
    virtual void Loaded() {}
    // Takes a component that a layout places inside this one (a control on a panel, an item
    // in a menu); false when this component holds no such thing.
    virtual bool AdoptChild(TComponent&) { return false; }

protected:
    // Destroys the owned components, most recently created first. Derived destructors call
    // it while their own part still exists, so components never see a half-destroyed owner.
    void DestroyComponents();
    void MarkDestroying() { destroying_ = true; }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_;
    std::vector<TComponent*> components_;
    std::string name_;
    int tag_ = 0;
    bool loading_ = false;
    bool destroying_ = false;
};

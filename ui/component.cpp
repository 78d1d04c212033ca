#include "ui/component.h"

#include <algorithm>

#include "ui/layout_value.h"

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent() {
    destroying_ = true;
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) delete components_.back();
}

void TComponent::InsertComponent(TComponent* component) { components_.push_back(component); }

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.rbegin(), components_.rend(), component);
    if (it != components_.rend()) components_.erase(std::next(it).base());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (TComponent* c : components_)
        if (!name.empty() && c->Name() == name) return c;
    return nullptr;
}

bool TComponent::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader&) {
    if (name == "Tag") {
        tag_ = value.AsInt();
        return true;
    }
    return false;
}

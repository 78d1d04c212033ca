#pragma once
// Creation of components by class name, for the layout reader.
#include <functional>
#include <string>
#include <string_view>

class TComponent;

// container: the component that the new one will stand in; a control is made on it directly.
using ComponentFactory = std::function<TComponent*(TComponent* owner, TComponent* container)>;

void RegisterComponentClass(std::string className, ComponentFactory factory);
// Nullptr when no class of that name is registered.
TComponent* CreateComponent(std::string_view className, TComponent* owner, TComponent* container);

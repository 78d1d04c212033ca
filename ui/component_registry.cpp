#include "ui/component_registry.h"

#include <map>
#include <type_traits>

#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/image.h"
#include "ui/image_list.h"
#include "ui/label.h"
#include "ui/list_view.h"
#include "ui/panel.h"
#include "ui/popup_menu.h"
#include "ui/splitter.h"
#include "ui/tree_view.h"

namespace {

using Registry = std::map<std::string, ComponentFactory, std::less<>>;

template <typename T>
ComponentFactory Factory() {
    return [](TComponent* owner, TComponent* container) -> TComponent* {
        if constexpr (std::is_constructible_v<T, TComponent*, TWinControl*>)
            return new T(owner, dynamic_cast<TWinControl*>(container));
        else
            return new T(owner);
    };
}

Registry& Classes() {
    static Registry classes = {
        {"TButton", Factory<TButton>()},       {"TBitBtn", Factory<TBitBtn>()},
        {"TLabel", Factory<TLabel>()},         {"TEdit", Factory<TEdit>()},
        {"TLabeledEdit", Factory<TLabeledEdit>()}, {"TPanel", Factory<TPanel>()},
        {"TImage", Factory<TImage>()},         {"TTreeView", Factory<TTreeView>()},
        {"TListView", Factory<TListView>()},   {"TImageList", Factory<TImageList>()},
        {"TPopupMenu", Factory<TPopupMenu>()}, {"TMenuItem", Factory<TMenuItem>()},
        {"TComboBox", Factory<TComboBox>()},
        {"TSplitter", Factory<TSplitter>()},
    };
    return classes;
}

}  // namespace

void RegisterComponentClass(std::string className, ComponentFactory factory) {
    Classes()[std::move(className)] = std::move(factory);
}

TComponent* CreateComponent(std::string_view className, TComponent* owner, TComponent* container) {
    auto it = Classes().find(className);
    return it == Classes().end() ? nullptr : it->second(owner, container);
}

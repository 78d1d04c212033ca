#include "dialogs/dialog_components.h"

#include "dialogs/open_dialog.h"
#include "ui/component_registry.h"

void RegisterDialogComponents() {
    RegisterComponentClass("TOpenDialog", [](TComponent* owner, TComponent*) -> TComponent* {
        return new TOpenDialog(owner);
    });
}

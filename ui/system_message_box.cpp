#include "ui/system_message_box.h"

#include "ui/form.h"
#include "ui/widget_access.h"

void ShowSystemMessageBoxOver(const TCustomForm* owner, const std::string& text, const std::string& caption,
                              MessageBoxIcon icon) {
    ShowSystemMessageBox(text, caption, icon, owner ? WidgetOf(*owner) : nullptr);
}

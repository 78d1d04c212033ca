#include "ui/popup_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <algorithm>

#include "platform/display_text.h"
#include "ui/access_key.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"

namespace {
PopupMenuChooser& Chooser() {
    static PopupMenuChooser chooser;
    return chooser;
}
}  // namespace

void SetPopupMenuChooser(PopupMenuChooser chooser) { Chooser() = std::move(chooser); }

// ---------------------------------------------------------------- TMenuItem

TMenuItem::~TMenuItem() {
    if (menu_) menu_->Remove(this);
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

bool TMenuItem::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Caption") SetCaption(value.AsText());
    else if (name == "Enabled") SetEnabled(value.AsBool());
    else if (name == "AccessKey") SetAccessKey(AccessKeyValue(value));
    else if (name == "OnClick") OnClick = reader.Handler<TNotifyEvent>(value);
    else return TComponent::ApplyProperty(name, value, reader);
    return true;
}

// ---------------------------------------------------------------- TPopupMenu

TPopupMenu::~TPopupMenu() {
    // The items belong to the window, not to the menu: they only lose their menu.
    for (TMenuItem* item : items_) item->menu_ = nullptr;
}

void TPopupMenu::Add(TMenuItem* item) {
    if (item->menu_) item->menu_->Remove(item);
    item->menu_ = this;
    items_.push_back(item);
}

void TPopupMenu::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->menu_ = nullptr;
}

void TPopupMenu::Popup(int screenX, int screenY) {
    if (OnPopup) OnPopup(this);
    TMenuItem* chosen = nullptr;
    if (Chooser()) {
        chosen = Chooser()(*this, screenX, screenY);
    } else {
        // A parent window makes the menu a proper pop-up of it on every desktop.
        QMenu menu(QApplication::activeWindow());
        std::vector<std::pair<QAction*, TMenuItem*>> actions;
        for (TMenuItem* item : items_) {
            if (item->IsSeparator()) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(CaptionWithAccessKey(ToDisplay(item->Caption()), item->AccessKey()));
            action->setEnabled(item->Enabled());
            actions.emplace_back(action, item);
        }
        QAction* picked = menu.exec(QPoint(screenX, screenY));
        for (const auto& [action, item] : actions)
            if (action == picked) chosen = item;
    }
    // The menu's loop may have run handlers that removed the item or disabled it.
    bool stillHere = std::find(items_.begin(), items_.end(), chosen) != items_.end();
    if (!chosen || !stillHere || chosen->IsSeparator() || !chosen->Enabled()) return;
    CatchErrors(chosen, [chosen] { chosen->Click(); });
}

bool TPopupMenu::AdoptChild(TComponent& child) {
    auto* item = dynamic_cast<TMenuItem*>(&child);
    if (!item) return false;
    Add(item);
    return true;
}

bool TPopupMenu::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "AutoHotkeys") {
        // Access keys are never made up from captions, whatever the setting: items have the
        // ones their layout gives them. The name is only checked.
        enum class HotkeyMode { Automatic, Manual, Parent };
        static constexpr NamedValue<HotkeyMode> modes[] = {
            {"maAutomatic", HotkeyMode::Automatic}, {"maManual", HotkeyMode::Manual}, {"maParent", HotkeyMode::Parent}};
        value.AsEnum(modes, "hot-key mode");
    } else if (name == "OnPopup") OnPopup = reader.Handler<TNotifyEvent>(value);
    else return TComponent::ApplyProperty(name, value, reader);
    return true;
}

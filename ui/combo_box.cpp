#include "ui/combo_box.h"

#include <QComboBox>

#include "platform/display_text.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"

TComboBox::TComboBox(TComponent* owner, TWinControl* parent)
    : TWinControl(owner, new QComboBox(ParentWidgetOf(parent))) {
    Box()->setEditable(false);
    QObject::connect(Box(), &QComboBox::currentIndexChanged, Box(), [this](int index) {
        if (!showing_) CatchErrors(this, [&] { UserChose(index); });
    });
    SetParent(parent);
}

QComboBox* TComboBox::Box() const { return static_cast<QComboBox*>(Widget()); }

void TComboBox::SetItems(std::vector<std::string> items) {
    itemIndex_ = -1;
    if (items == items_) {
        SetItemIndex(-1);
        return;
    }
    items_ = std::move(items);
    ShowItems();
}

void TComboBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < ItemCount() ? index : -1;
    if (!Box()) return;
    showing_ = true;
    Box()->setCurrentIndex(itemIndex_);
    showing_ = false;
}

void TComboBox::ShowCaption() { ShowItems(); }

void TComboBox::ShowItems() {
    if (!Box()) return;
    showing_ = true;
    Box()->clear();
    for (const std::string& item : items_) Box()->addItem(ToDisplay(item, TextCodePage()));
    Box()->setCurrentIndex(itemIndex_);
    showing_ = false;
}

void TComboBox::UserChose(int index) {
    if (index == itemIndex_) return;
    itemIndex_ = index;
    if (OnChange) OnChange(this);
}

// The arrows move through the items; the open list takes Enter and Esc itself.
bool TComboBox::WantsKey(const KeyRecord& key) const {
    return key.key == vk::Up || key.key == vk::Down || key.key == vk::Left || key.key == vk::Right;
}

bool TComboBox::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "OnChange") OnChange = reader.Handler<TNotifyEvent>(value);
    else return TWinControl::ApplyProperty(name, value, reader);
    return true;
}

#include "ui/check_box.h"

#include <QCheckBox>

#include "platform/display_text.h"
#include "ui/access_key.h"
#include "ui/error_sink.h"

TCheckBox::TCheckBox(TComponent* owner, TWinControl* parent)
    : TWinControl(owner, new QCheckBox(ParentWidgetOf(parent))) {
    QObject::connect(Box(), &QCheckBox::toggled, Box(), [this](bool checked) {
        if (!showing_) CatchErrors(this, [&] { UserToggled(checked); });
    });
    SetParent(parent);
}

QCheckBox* TCheckBox::Box() const { return static_cast<QCheckBox*>(Widget()); }

void TCheckBox::SetChecked(bool checked) {
    checked_ = checked;
    showing_ = true;
    Box()->setChecked(checked);
    showing_ = false;
}

void TCheckBox::SetAccessKey(char16_t key) {
    accessKey_ = key;
    ShowCaption();
}

void TCheckBox::ShowCaption() {
    if (!Box()) return;
    ShowCaptionWithAccessKey(*Box(), ToDisplay(Caption(), TextCodePage()), accessKey_);
}

bool TCheckBox::OfferAccessKey(char16_t letter) {
    if (AccessKeyOf(ToDisplay(Caption(), TextCodePage()), accessKey_) != letter || !CanFocus()) return false;
    SetFocus();
    Box()->toggle();
    return true;
}

void TCheckBox::UserToggled(bool checked) {
    checked_ = checked;
    if (OnClick) OnClick(this);
}

#include "ui/image.h"

#include <QLabel>

#include "platform/drawn_images.h"

TImage::TImage(TComponent* owner, TWinControl* parent) : TControl(owner, new QLabel(ParentWidgetOf(parent))) {
    SetParent(parent);
}

void TImage::ShowStandardIcon(TStandardIcon icon) {
    icon_ = icon;
    Render();
}

void TImage::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    Render();
}

void TImage::Render() {
    auto* label = static_cast<QLabel*>(Widget());
    if (!label || !icon_ || Width() <= 0) return;
    static const SystemIconKind kinds[] = {SystemIconKind::Warning, SystemIconKind::Error,
                                           SystemIconKind::Information, SystemIconKind::Question};
    label->setPixmap(SystemIcon(kinds[int(*icon_)], Width(), label->devicePixelRatioF()));
}

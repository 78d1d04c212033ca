#include "ui/image.h"

#include <QLabel>
#include <QWindow>

#include "platform/display_text.h"
#include "platform/drawn_images.h"

TImage::TImage(TComponent* owner) : TControl(owner, new QLabel) {}

void TImage::ShowStandardIcon(TStandardIcon icon) {
    source_ = Source::Standard;
    icon_ = icon;
    Render();
}

void TImage::ShowDrawnImage(const std::string& name) {
    source_ = Source::Drawn;
    drawn_ = name;
    Render();
}

bool TImage::HasPicture() const { return source_ != Source::None; }

void TImage::SetAccessibleName(const std::string& name) {
    if (Widget()) Widget()->setAccessibleName(ToDisplay(name));
}

void TImage::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    Render();
}

void TImage::Render() {
    auto* label = static_cast<QLabel*>(Widget());
    if (!label || source_ == Source::None || Width() <= 0) return;
    qreal pixelRatio = label->devicePixelRatioF();
    QPixmap picture;
    if (source_ == Source::Drawn) {
        picture = DrawnImage(drawn_, QSize(Width(), Height()), pixelRatio);
    } else {
        static const SystemIconKind kinds[] = {SystemIconKind::Warning, SystemIconKind::Error,
                                               SystemIconKind::Information, SystemIconKind::Question};
        picture = SystemIcon(kinds[int(icon_)], Width(), pixelRatio);
    }
    label->setPixmap(picture);
}

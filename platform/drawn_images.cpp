#include "platform/drawn_images.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <algorithm>
#include <map>
#include <memory>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

namespace {

// The program icon has a simpler drawing for small sizes, where the full one turns to mush.
constexpr int SmallAppIconLimit = 24;

QString ResourcePath(std::string_view name, int physicalWidth) {
    std::string file(name);
    if (name == "app" && physicalWidth <= SmallAppIconLimit) file = "app-small";
    return QStringLiteral(":/icons/") + QString::fromStdString(file) + QStringLiteral(".svg");
}

}  // namespace

bool IsDrawnImageName(std::string_view name) {
    // The small app drawing is an implementation detail, not a name of its own.
    return !name.empty() && name != "app-small" &&
           QFile::exists(ResourcePath(name, SmallAppIconLimit + 1));
}

namespace {

QImage Render(std::string_view name, QSize logicalSize, qreal pixelRatio) {
    if (logicalSize.isEmpty() || pixelRatio <= 0 || !IsDrawnImageName(name)) return {};
    const QSize physical(qRound(logicalSize.width() * pixelRatio), qRound(logicalSize.height() * pixelRatio));
    QSvgRenderer renderer(ResourcePath(name, physical.width()));
    if (!renderer.isValid()) return {};
    QImage image(physical, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(physical)));
    painter.end();
    return image;
}

// Embossed grey: a light copy shifted down-right under a grey copy whose shades follow the
// original's brightness, so the shape stays readable but plainly inactive.
QImage EmbossedGrey(const QImage& normal, qreal pixelRatio) {
    const QImage src = normal.convertToFormat(QImage::Format_ARGB32);
    QImage grey(src.size(), QImage::Format_ARGB32);
    QImage light(src.size(), QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* g = reinterpret_cast<QRgb*>(grey.scanLine(y));
        QRgb* l = reinterpret_cast<QRgb*>(light.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            const int shade = 112 + qGray(in[x]) * 88 / 255;
            g[x] = qRgba(shade, shade, shade, alpha);
            l[x] = qRgba(255, 255, 255, alpha * 9 / 10);
        }
    }
    QImage out(src.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    const int shift = std::max(1, static_cast<int>(std::lround(pixelRatio)));
    painter.drawImage(shift, shift, light);
    painter.drawImage(0, 0, grey);
    painter.end();
    return out;
}

QPixmap ToPixmap(QImage image, qreal pixelRatio) {
    image.setDevicePixelRatio(pixelRatio);
    return QPixmap::fromImage(std::move(image));
}

// The program icon, drawn in a size only when it is first asked for, and shared by every copy
// of the icon. It lists the sizes a window's icon needs, which X11 draws all of when a window
// is shown; a desktop's larger pictures come from the installed icon, and a larger size asked
// for here is drawn as sharp as the rest.
class AppIconEngine : public QIconEngine {
public:
    AppIconEngine() : drawn_(std::make_shared<std::map<int, QImage>>()) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        if (side <= 0) return {};
        QImage& image = (*drawn_)[side];
        if (image.isNull()) image = Render("app", QSize(side, side), 1.0);
        QPixmap pixmap = QPixmap::fromImage(image);
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance()))
            return QApplication::style()->generatedIconPixmap(mode, pixmap, nullptr);
        return pixmap;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : {16, 24, 32, 48, 64}) sizes.append(QSize(side, side));
        return sizes;
    }
    QIconEngine* clone() const override { return new AppIconEngine(*this); }
    QString key() const override { return QStringLiteral("iniviewer-app"); }

private:
    std::shared_ptr<std::map<int, QImage>> drawn_;
};

// A picture of one logical size, drawn for each pixel size only when a paint first asks for
// it: drawing for every pixel ratio up front costs start-up time for screens not in use.
class DrawnIconEngine : public QIconEngine {
public:
    DrawnIconEngine(std::string_view name, QSize logicalSize, DisabledLook disabledLook)
        : name_(name), logicalSize_(logicalSize), disabledLook_(disabledLook),
          drawn_(std::make_shared<std::map<std::tuple<int, int, int>, QPixmap>>()) {}

    // Asked with the physical size: the icon itself sets the pixel ratio on the result.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (size.isEmpty()) return {};
        QPixmap& pixmap = (*drawn_)[{size.width(), size.height(), int(mode)}];
        if (pixmap.isNull()) pixmap = Draw(size, mode);
        return pixmap;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }
    // Never larger than drawn: a larger request gets the picture at its own size.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (logicalSize_.width() <= size.width() && logicalSize_.height() <= size.height()) return logicalSize_;
        return logicalSize_.scaled(size, Qt::KeepAspectRatio);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {logicalSize_}; }
    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }
    QString key() const override { return QStringLiteral("iniviewer-drawn"); }

private:
    QPixmap Draw(QSize physical, QIcon::Mode mode) const {
        const qreal ratio = qreal(physical.width()) / logicalSize_.width();
        const QImage normal = Render(name_, logicalSize_, ratio);
        if (normal.isNull()) return {};
        if (mode == QIcon::Disabled && disabledLook_ == DisabledLook::Embossed)
            return QPixmap::fromImage(EmbossedGrey(normal, ratio));
        QPixmap pixmap = QPixmap::fromImage(normal);
        if (mode == QIcon::Normal || !qobject_cast<QApplication*>(QCoreApplication::instance())) return pixmap;
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }

    std::string name_;
    QSize logicalSize_;
    DisabledLook disabledLook_;
    std::shared_ptr<std::map<std::tuple<int, int, int>, QPixmap>> drawn_;
};

}  // namespace

QPixmap DrawnImage(std::string_view name, QSize logicalSize, double devicePixelRatio) {
    QImage image = Render(name, logicalSize, devicePixelRatio);
    if (image.isNull()) return {};
    return ToPixmap(std::move(image), devicePixelRatio);
}

std::vector<double> PixelRatiosToDraw() {
    std::vector<double> ratios{1.0, 2.0};
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (const QScreen* screen : QGuiApplication::screens()) ratios.push_back(screen->devicePixelRatio());
    std::sort(ratios.begin(), ratios.end());
    ratios.erase(std::unique(ratios.begin(), ratios.end(), [](double a, double b) { return qFuzzyCompare(a, b); }),
                 ratios.end());
    return ratios;
}

QIcon DrawnIcon(std::string_view name, QSize logicalSize, DisabledLook disabledLook) {
    if (logicalSize.isEmpty() || !IsDrawnImageName(name)) return {};
    return QIcon(new DrawnIconEngine(name, logicalSize, disabledLook));
}

QIcon AppIcon() {
    static const QIcon icon(new AppIconEngine);
    return icon;
}

QPixmap SystemIcon(SystemIconKind kind, int size, double devicePixelRatio) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || size <= 0 || devicePixelRatio <= 0) return {};
    QStyle::StandardPixmap which = QStyle::SP_MessageBoxWarning;
    const char* drawn = "warning";
    switch (kind) {
        case SystemIconKind::Warning: which = QStyle::SP_MessageBoxWarning; drawn = "warning"; break;
        case SystemIconKind::Error: which = QStyle::SP_MessageBoxCritical; drawn = "error"; break;
        case SystemIconKind::Information: which = QStyle::SP_MessageBoxInformation; drawn = "information"; break;
        case SystemIconKind::Question: which = QStyle::SP_MessageBoxQuestion; drawn = "question"; break;
    }
    QPixmap styled = QApplication::style()->standardIcon(which).pixmap(QSize(size, size), devicePixelRatio);
    // A smaller picture would be scaled up on the screen, blurred.
    if (!styled.isNull() && styled.width() >= qRound(size * devicePixelRatio)) return styled;
    QPixmap own = DrawnImage(drawn, QSize(size, size), devicePixelRatio);
    return own.isNull() ? styled : own;
}

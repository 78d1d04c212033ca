#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <map>
#include <string>
#include <vector>

#include "platform/drawn_images.h"

namespace {

struct Named {
    const char* name;
    int size;
};

const std::vector<Named> kImages = {
    {"file", 16},   {"section", 16}, {"key", 16},  {"browse", 16}, {"app", 16},
    {"ok", 18},     {"cancel", 18},  {"help", 18}, {"yes", 18},    {"no", 18},
    {"close", 18},  {"abort", 18},   {"retry", 18}, {"ignore", 18}, {"all", 18},
    {"add", 18},
};

QImage Argb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); }

double CoveredFraction(const QImage& image) {
    int covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128) ++covered;
    return double(covered) / (image.width() * image.height());
}

bool HasColour(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) > 128 && std::max({qRed(p), qGreen(p), qBlue(p)}) -
                                           std::min({qRed(p), qGreen(p), qBlue(p)}) > 24)
                return true;
        }
    return false;
}

}  // namespace

TEST(DrawnImages, EveryNameRendersAtItsSizeAndRatio) {
    for (const auto& [name, size] : kImages) {
        SCOPED_TRACE(name);
        for (qreal pixelRatio : {1.0, 2.0}) {
            const QPixmap pixmap = DrawnImage(name, QSize(size, size), pixelRatio);
            ASSERT_FALSE(pixmap.isNull());
            EXPECT_EQ(pixmap.size(), QSize(size, size) * pixelRatio) << "pixels follow the ratio";
            EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(size, size));
            const QImage image = Argb(pixmap);
            EXPECT_GT(CoveredFraction(image), 0.08) << "at ratio " << pixelRatio;
            EXPECT_LT(CoveredFraction(image), 0.95) << "a glyph keeps a transparent margin";
        }
    }
}

TEST(DrawnImages, NamesShowDifferentPictures) {
    std::map<std::string, QImage> seen;
    for (const auto& [name, size] : kImages) {
        const QImage image = Argb(DrawnImage(name, QSize(18, 18), 1.0));
        for (const auto& [other, picture] : seen) EXPECT_NE(image, picture) << name << " vs " << other;
        seen.emplace(name, image);
    }
}

TEST(DrawnImages, UnknownNamesAndEmptySizesGiveNull) {
    EXPECT_TRUE(DrawnImage("nonesuch", QSize(16, 16), 1.0).isNull());
    EXPECT_TRUE(DrawnImage("", QSize(16, 16), 1.0).isNull());
    EXPECT_TRUE(DrawnImage("app-small", QSize(16, 16), 1.0).isNull());
    EXPECT_TRUE(DrawnImage("ok.svg", QSize(16, 16), 1.0).isNull());
    EXPECT_TRUE(DrawnImage("ok", QSize(0, 18), 1.0).isNull());
    EXPECT_TRUE(DrawnIcon("nonesuch", QSize(18, 18), DisabledLook::Embossed).isNull());
}

TEST(DrawnImages, GlyphIconsDrawEachPixelRatioAndAGreyDisabledLook) {
    for (const auto& [name, size] : kImages) {
        if (size != 18) continue;
        SCOPED_TRACE(name);
        const QIcon icon = DrawnIcon(name, QSize(18, 18), DisabledLook::Embossed);
        for (qreal pixelRatio : {1.0, 1.5, 2.0}) {
            const QPixmap normal = icon.pixmap(QSize(18, 18), pixelRatio, QIcon::Normal);
            const QPixmap disabled = icon.pixmap(QSize(18, 18), pixelRatio, QIcon::Disabled);
            ASSERT_EQ(normal.size(), QSize(18, 18) * pixelRatio);
            EXPECT_EQ(normal.deviceIndependentSize(), QSizeF(18, 18));
            EXPECT_EQ(disabled.size(), normal.size());
            EXPECT_EQ(Argb(normal), Argb(DrawnImage(name, QSize(18, 18), pixelRatio))) << "drawn sharp, not scaled";
            EXPECT_NE(Argb(normal), Argb(disabled));
            EXPECT_TRUE(HasColour(Argb(normal)));
            EXPECT_FALSE(HasColour(Argb(disabled))) << "the disabled look is grey";
            EXPECT_GT(CoveredFraction(Argb(disabled)), 0.08);
        }
        // A larger place shows the glyph at its own size, as a bitmap would be.
        EXPECT_EQ(icon.actualSize(QSize(32, 32)), QSize(18, 18));
        EXPECT_EQ(icon.actualSize(QSize(9, 12)), QSize(9, 9));
    }
    // A glyph without its own disabled look is greyed by the style.
    const QIcon single = DrawnIcon("browse", QSize(16, 16), DisabledLook::Styled);
    EXPECT_NE(Argb(single.pixmap(16, 16, QIcon::Disabled)), Argb(single.pixmap(16, 16)));
    EXPECT_EQ(Argb(single.pixmap(16, 16)), Argb(DrawnImage("browse", QSize(16, 16), 1.0)));
}

TEST(DrawnImages, AppIconOffersTheDesktopSizes) {
    const QIcon icon = AppIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48, 64}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // Larger sizes are drawn when asked for, as sharp as the listed ones, not scaled up.
    for (int size : {128, 256})
        EXPECT_EQ(Argb(icon.pixmap(size, size)), Argb(DrawnImage("app", QSize(size, size), 1.0))) << size;
    // Every copy draws into the same pictures.
    EXPECT_EQ(AppIcon().cacheKey(), icon.cacheKey());
    // The 16-pixel icon is its own simpler drawing, not the large one shrunk.
    QImage large = Argb(DrawnImage("app", QSize(64, 64), 1.0)).scaled(16, 16, Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation);
    EXPECT_NE(Argb(icon.pixmap(16, 16)), large);
}

TEST(DrawnImages, SystemIconsComeFromTheStyle) {
    for (SystemIconKind kind : {SystemIconKind::Warning, SystemIconKind::Error,
                                SystemIconKind::Information, SystemIconKind::Question}) {
        const QPixmap icon = SystemIcon(kind, 32);
        ASSERT_FALSE(icon.isNull()) << int(kind);
        EXPECT_EQ(icon.deviceIndependentSize(), QSizeF(32, 32));
        EXPECT_GT(CoveredFraction(Argb(icon)), 0.1);
    }
    EXPECT_NE(Argb(SystemIcon(SystemIconKind::Warning, 32)), Argb(SystemIcon(SystemIconKind::Error, 32)));
}

TEST(DrawnImages, SystemIconsHaveAPixelPerDevicePixelAtDoubleRatio) {
    for (SystemIconKind kind : {SystemIconKind::Warning, SystemIconKind::Error,
                                SystemIconKind::Information, SystemIconKind::Question}) {
        const QPixmap icon = SystemIcon(kind, 32, 2.0);
        ASSERT_FALSE(icon.isNull()) << int(kind);
        EXPECT_EQ(icon.size(), QSize(64, 64)) << int(kind);
        EXPECT_EQ(icon.deviceIndependentSize(), QSizeF(32, 32)) << int(kind);
        EXPECT_GT(CoveredFraction(Argb(icon)), 0.1) << int(kind);
    }
    EXPECT_NE(Argb(SystemIcon(SystemIconKind::Information, 32, 2.0)),
              Argb(SystemIcon(SystemIconKind::Question, 32, 2.0)));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

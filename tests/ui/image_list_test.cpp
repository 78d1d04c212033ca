#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "platform/drawn_images.h"
#include "ui/image_list.h"

namespace {

QImage Pixels(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); }

TEST(ImageList, ImagesAreAddressedByIndexAndSharpAtBothRatios) {
    TImageList images(nullptr);
    EXPECT_EQ(images.AddDrawn("file"), 0);
    EXPECT_EQ(images.AddDrawn("section"), 1);
    EXPECT_EQ(images.AddDrawn("key"), 2);
    for (qreal pixelRatio : {1.0, 2.0}) {
        QPixmap shown = images.Icon(1).pixmap(QSize(16, 16), pixelRatio);
        EXPECT_EQ(Pixels(shown), Pixels(DrawnImage("section", QSize(16, 16), pixelRatio))) << "at ratio " << pixelRatio;
    }
    EXPECT_NE(Pixels(images.Icon(0).pixmap(QSize(16, 16))), Pixels(images.Icon(2).pixmap(QSize(16, 16))));
    EXPECT_TRUE(images.Icon(3).isNull());
    EXPECT_TRUE(images.Icon(-1).isNull());
}

}  // namespace

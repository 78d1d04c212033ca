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
    for (qreal dpr : {1.0, 2.0}) {
        QPixmap shown = images.Icon(1).pixmap(QSize(16, 16), dpr);
        EXPECT_EQ(Pixels(shown), Pixels(DrawnImage("section", QSize(16, 16), dpr))) << "at ratio " << dpr;
    }
    EXPECT_NE(Pixels(images.Icon(0).pixmap(QSize(16, 16))), Pixels(images.Icon(2).pixmap(QSize(16, 16))));
    EXPECT_TRUE(images.Icon(3).isNull());
    EXPECT_TRUE(images.Icon(-1).isNull());
}

struct CountingClient : ImageListClient {
    int changes = 0;
    bool gone = false;
    void ImageListChanged(TImageList&) override { ++changes; }
    void ImageListDestroyed(TImageList&) override { gone = true; }
};

TEST(ImageList, ViewsLearnOfChangesAndOfTheListGoingAway) {
    CountingClient client;
    {
        TImageList images(nullptr);
        images.AddClient(&client);
        images.AddDrawn("key");
        images.SetSize(24, 24);
        EXPECT_EQ(images.Icon(0).pixmap(QSize(24, 24)).size(), QSize(24, 24));
        EXPECT_EQ(client.changes, 2);
    }
    EXPECT_TRUE(client.gone);
}

}  // namespace

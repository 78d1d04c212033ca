// The toolkit font of a face name: the face asked for when it is installed, else the first
// installed one of the faces that show Chinese, the others kept behind it for missing characters.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

#include "encoding/code_page_conversion.h"
#include "ui/graphics.h"

namespace {

TEST(ToolkitFont, AnInstalledFaceLeadsAndNoFaceIsDropped) {
    const QString installed = QFontDatabase::families().value(0);
    ASSERT_FALSE(installed.isEmpty()) << "the test needs one installed face";

    TFont asked;
    asked.Name = Ansi("宋体不存在的字体");
    const QStringList missingFirst = ToolkitFont(asked).families();
    ASSERT_GT(missingFirst.size(), 1);
    EXPECT_TRUE(missingFirst.contains(QString::fromUtf8("宋体不存在的字体"))) << "kept for a later installation's sake";
    const bool anyInstalled = std::any_of(missingFirst.begin(), missingFirst.end(),
                                          [](const QString& family) { return QFontDatabase::hasFamily(family); });
    if (anyInstalled) {
        EXPECT_TRUE(QFontDatabase::hasFamily(missingFirst.first())) << missingFirst.join(", ").toStdString();
    }

    asked.Name = installed.toStdString();
    const QFont font = ToolkitFont(asked);
    EXPECT_EQ(font.families().first(), installed);
    EXPECT_EQ(font.families().size(), missingFirst.size()) << "the same fallback faces behind it";
    EXPECT_EQ(font.pixelSize(), 12);

    // Face names are matched without regard to case, as the font system does.
    asked.Name = installed.toUpper().toStdString();
    EXPECT_EQ(ToolkitFont(asked).families().first(), installed.toUpper());
}

// Where the named face is missing, the Chinese face most legible at the window's 12 pixels leads.
TEST(ToolkitFont, AMissingFaceGivesWayToTheMostLegibleChineseFace) {
    const QStringList byLegibility = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                                      QStringLiteral("AR PL UMing CN")};
    const auto best = std::find_if(byLegibility.begin(), byLegibility.end(),
                                   [](const QString& family) { return QFontDatabase::hasFamily(family); });
    if (best == byLegibility.end()) GTEST_SKIP() << "none of " << byLegibility.join(", ").toStdString() << " installed";
    TFont asked;
    asked.Name = Ansi("宋体");
    if (QFontDatabase::hasFamily(QString::fromUtf8("宋体"))) GTEST_SKIP() << "宋体 is installed";
    EXPECT_EQ(ToolkitFont(asked).families().first().toStdString(), best->toStdString());
    EXPECT_EQ(ToolkitFont(asked).pixelSize(), 12);
}

}  // namespace

// The dark palette keeps every text readable, and the portal's answer is read however it is
// wrapped.
#include <gtest/gtest.h>

#include <QColor>
#include <QDBusVariant>
#include <QPalette>
#include <QVariant>

#include "platform/color_contrast.h"
#include "platform/dark_palette.h"
#include "platform/desktop_color_scheme.h"

namespace {

// Text against its ground, for the window active and not.
void ExpectReadable(const QPalette& palette, QPalette::ColorRole text, QPalette::ColorRole ground, double least) {
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        const double ratio = ContrastRatio(palette.color(group, text), palette.color(group, ground));
        EXPECT_GE(ratio, least) << "role " << text << " on " << ground << " in group " << group;
    }
}

}  // namespace

TEST(DarkPalette, EveryTextReadsOnItsGround) {
    const QPalette dark = DarkPalette();
    EXPECT_LT(dark.color(QPalette::Base).lightness(), 60) << "not dark";
    EXPECT_LT(dark.color(QPalette::Window).lightness(), 60) << "not dark";
    ExpectReadable(dark, QPalette::Text, QPalette::Base, 7.0);
    ExpectReadable(dark, QPalette::WindowText, QPalette::Window, 7.0);
    ExpectReadable(dark, QPalette::ButtonText, QPalette::Button, 4.5);
    ExpectReadable(dark, QPalette::HighlightedText, QPalette::Highlight, 4.5);
    ExpectReadable(dark, QPalette::ToolTipText, QPalette::ToolTipBase, 4.5);
    ExpectReadable(dark, QPalette::Link, QPalette::Base, 4.5);
    ExpectReadable(dark, QPalette::PlaceholderText, QPalette::Base, 3.0);
}

TEST(DarkPalette, DisabledTextIsFainterButReadable) {
    const QPalette dark = DarkPalette();
    for (auto [text, ground] : {std::pair{QPalette::Text, QPalette::Base}, {QPalette::WindowText, QPalette::Window},
                                {QPalette::ButtonText, QPalette::Button}}) {
        const double disabled = ContrastRatio(dark.color(QPalette::Disabled, text), dark.color(QPalette::Disabled, ground));
        EXPECT_GE(disabled, 3.0) << "role " << text;
        EXPECT_LT(disabled, ContrastRatio(dark.color(QPalette::Active, text), dark.color(QPalette::Active, ground)) - 2.0)
            << "disabled role " << text << " looks enabled";
    }
}

TEST(DarkPalette, SelectionsOutOfFocusStayReadable) {
    const QPalette dark = DarkPalette();
    // The list keeps its band without the focus; the tree mixes a paler one from the band and
    // the ground, with the ordinary text on it.
    EXPECT_EQ(dark.color(QPalette::Inactive, QPalette::Highlight), dark.color(QPalette::Active, QPalette::Highlight));
    const QColor band = dark.color(QPalette::Highlight), base = dark.color(QPalette::Base);
    const QColor pale((band.red() + 2 * base.red()) / 3, (band.green() + 2 * base.green()) / 3,
                      (band.blue() + 2 * base.blue()) / 3);
    EXPECT_GE(ContrastRatio(dark.color(QPalette::Text), pale), 7.0);
    EXPECT_GE(ContrastRatio(pale, base), 1.2) << "the pale band cannot be told from the ground";
}

TEST(ContrastRatio, RunsFromOneToTwentyOne) {
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::white, Qt::white), 1.0);
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::red, Qt::blue), ContrastRatio(Qt::blue, Qt::red));
    EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
}

TEST(PortalColorScheme, ReadsTheValueThroughItsVariants) {
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant(uint(1))), ColorScheme::Dark);
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant(uint(2))), ColorScheme::Light);
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant(uint(0))), ColorScheme::NoPreference);
    // ReadOne wraps the value once, Read twice.
    const QVariant once = QVariant::fromValue(QDBusVariant(QVariant(uint(1))));
    EXPECT_EQ(ColorSchemeOfPortalValue(once), ColorScheme::Dark);
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant::fromValue(QDBusVariant(once))), ColorScheme::Dark);
    // Values the setting does not define.
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant(uint(7))), ColorScheme::NoPreference);
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant(QStringLiteral("1"))), ColorScheme::NoPreference);
    EXPECT_EQ(ColorSchemeOfPortalValue(QVariant()), ColorScheme::NoPreference);
}

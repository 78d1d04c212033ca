// Controls take their system colours from the palette of the moment: a change of the
// desktop's palette reaches controls made before it, and text on a fixed ground stays
// readable in either.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QWidget>

#include "platform/color_contrast.h"
#include "platform/dark_palette.h"
#include "ui/graphics.h"
#include "ui/label.h"
#include "ui/list_view.h"
#include "ui/widget_access.h"
#include "view_test_support.h"

namespace {

// The application's palette for the scope of a test, the toolkit's own again after it.
class PaletteGuard {
public:
    PaletteGuard() : saved_(QApplication::palette()) {}
    ~PaletteGuard() { QApplication::setPalette(saved_); }
    const QPalette& Light() const { return saved_; }

private:
    QPalette saved_;
};

QColor Role(const TControl& control, QPalette::ColorRole role) { return WidgetOf(control)->palette().color(role); }

}  // namespace

TEST(ReadableOn, KeepsReadableTextAndTurnsTheRestBlackOrWhite) {
    const QColor moneyGreen = ToolkitColor(clMoneyGreen), dark(0x2d, 0x2d, 0x30);
    EXPECT_EQ(ReadableOn(Qt::black, moneyGreen), QColor(Qt::black));
    EXPECT_EQ(ReadableOn(ToolkitColor(clRed), ToolkitColor(clCream)), ToolkitColor(clRed));
    EXPECT_EQ(ReadableOn(QColor(0xe8, 0xe8, 0xe8), moneyGreen), QColor(Qt::black));
    EXPECT_EQ(ReadableOn(ToolkitColor(clBlue), dark), QColor(Qt::white));
}

TEST(PaletteChange, ControlsMadeBeforeItFollow) {
    PaletteGuard guard;
    ShownWindow window;
    TForm& form = window.Form();
    form.SetColor(clBtnFace);
    auto* label = new TLabel(&form, &form);
    auto* list = new TListView(&form, &form);
    label->SetFont(form.Font());
    ASSERT_EQ(Role(form, QPalette::Window), guard.Light().color(QPalette::Window));

    const QPalette dark = DarkPalette();
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_EQ(Role(form, QPalette::Window), dark.color(QPalette::Window));
    EXPECT_EQ(Role(*label, QPalette::WindowText), dark.color(QPalette::Text));
    EXPECT_EQ(Role(*list, QPalette::Base), dark.color(QPalette::Base));
    // The list keeps its selection's colours without the focus: the dark ones now.
    EXPECT_EQ(WidgetOf(*list)->palette().color(QPalette::Inactive, QPalette::Highlight),
              dark.color(QPalette::Active, QPalette::Highlight));

    QApplication::setPalette(guard.Light());
    QApplication::processEvents();
    EXPECT_EQ(Role(form, QPalette::Window), guard.Light().color(QPalette::Window));
    EXPECT_EQ(Role(*label, QPalette::WindowText), guard.Light().color(QPalette::Text));
    EXPECT_EQ(WidgetOf(*list)->palette().color(QPalette::Inactive, QPalette::Highlight),
              guard.Light().color(QPalette::Active, QPalette::Highlight));
}

TEST(PaletteChange, SystemTextOnAFixedGroundStaysReadable) {
    PaletteGuard guard;
    QApplication::setPalette(DarkPalette());
    ShownWindow window;
    TForm& form = window.Form();
    form.SetColor(clMoneyGreen);
    auto* label = new TLabel(&form, &form);
    label->SetFont(form.Font());
    for (const TControl* control : {static_cast<const TControl*>(&form), static_cast<const TControl*>(label)})
        EXPECT_GE(ContrastRatio(Role(*control, QPalette::WindowText), ToolkitColor(clMoneyGreen)), 4.5);
}

#include "view_test_support.h"

#include <gtest/gtest.h>

#include "ui/layout_reader.h"
#include "ui/splitter.h"

namespace {

// A tree, a bar and a list side by side, as the main window has them.
class TSplitWindow : public TForm {
public:
    TSplitWindow() : TForm(nullptr) {
        RegisterLayoutText("TSplitWindow", R"(
SplitWindow : TSplitWindow {
  ClientWidth = 489
  ClientHeight = 329
  Left1 : TPanel { Left = 0; Top = 32; Width = 145; Height = 290; Anchors = [left, top, bottom] }
  Bar : TSplitter {
    Left = 145; Top = 32; Width = 7; Height = 290; Anchors = [left, top, bottom]
    Before = Left1; After = Right1; MinSize = 40; OnMoved = BarMoved
  }
  Right1 : TPanel { Left = 152; Top = 32; Width = 337; Height = 290; Anchors = [left, top, right, bottom] }
}
)");
        Bind("BarMoved", &TSplitWindow::BarMoved);
        LoadLayoutOf("TSplitWindow");
        bar = dynamic_cast<TSplitter*>(FindComponent("Bar"));
        before = dynamic_cast<TControl*>(FindComponent("Left1"));
        after = dynamic_cast<TControl*>(FindComponent("Right1"));
    }
    void BarMoved(TComponent*) { ++moved; }
    TSplitter* bar = nullptr;
    TControl* before = nullptr;
    TControl* after = nullptr;
    int moved = 0;
};

TEST(Splitter, DraggingMovesTheBarAndBothSidesFollowWithinTheirLimits) {
    TSplitWindow window;
    window.Show();
    QWidget* widget = WidgetOf(*window.bar);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 100));
    QTest::mouseMove(widget, QPoint(53, 100));
    EXPECT_EQ(window.moved, 0) << "not before the bar is let go";
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 100));
    EXPECT_EQ(window.moved, 1);
    EXPECT_EQ(window.before->Width(), 195);
    EXPECT_EQ(window.bar->Left(), 195);
    EXPECT_EQ(window.after->Left(), 202);
    EXPECT_EQ(window.after->Left() + window.after->Width(), 489) << "the right edge stays";

    window.SetClientSize(689, 329);
    EXPECT_EQ(window.before->Width(), 195) << "the new place holds when the window grows";
    EXPECT_EQ(window.after->Width(), 487);

    window.bar->SetBeforeSize(5);
    EXPECT_EQ(window.before->Width(), 40);
    window.bar->SetBeforeSize(5000);
    EXPECT_EQ(window.after->Width(), 40);
    EXPECT_EQ(window.before->Width() + window.bar->Width() + window.after->Width(), 689);
    EXPECT_EQ(window.moved, 1) << "only the user's drags are reported";
}

}  // namespace

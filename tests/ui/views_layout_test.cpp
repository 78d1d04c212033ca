#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QTreeView>

#include "ui/button.h"
#include "ui/edit.h"
#include "ui/image_list.h"
#include "ui/layout_reader.h"
#include "ui/list_view.h"
#include "ui/panel.h"
#include "ui/popup_menu.h"
#include "ui/tree_view.h"
#include "ui/widget_access.h"

namespace {

// The image list stands last, as in the main window: views must find it all the same.
const char* kLayout = R"(
ViewsWindow : TViewsWindow {
  ClientWidth = 489
  ClientHeight = 329
  tree1 : TTreeView {
    Left = 0; Top = 32; Width = 145; Height = 290
    Images = ImageList1
    Indent = 19
    PopupMenu = Poptree
    HideSelection = true
    ReadOnly = false
    OnClick = Clicked
  }
  ListView1 : TListView {
    Left = 152; Top = 32; Width = 337; Height = 290
    ViewStyle = vsReport
    Column = { Caption = "关键字"; AutoSize = true; MaxWidth = 150 }
    Column = { Caption = "关键字值"; AutoSize = true; MaxWidth = 800; MinWidth = 100 }
    ColumnClick = false
    FlatScrollBars = true
    HideSelection = false
    SmallImages = ImageList1
  }
  Poptree : TPopupMenu {
    AutoHotkeys = maManual
    mtreeadd : TMenuItem { Caption = "增加小节"; OnClick = Clicked }
    N1 : TMenuItem { Caption = "-" }
    mtreekill : TMenuItem { Caption = "删除小节"; Enabled = false }
  }
  ImageList1 : TImageList {
    Width = 16
    Height = 16
    AllocBy = 4
    Images = ["file", "section", "key"]
  }
}
)";

class TViewsWindow : public TForm {
public:
    explicit TViewsWindow(const char* layout) : TForm(nullptr) {
        RegisterLayoutText("TViewsWindow", layout);
        Bind("Clicked", &TViewsWindow::Clicked);
        LoadLayoutOf("TViewsWindow");
    }
    void Clicked(TComponent*) { ++clicks; }
    template <typename T>
    T* Get(const char* name) { return dynamic_cast<T*>(FindComponent(name)); }
    int clicks = 0;
};

TEST(ViewsLayout, ComponentsComeOutAsTheLayoutDescribesThem) {
    TViewsWindow window(kLayout);
    auto* tree = window.Get<TTreeView>("tree1");
    auto* list = window.Get<TListView>("ListView1");
    auto* menu = window.Get<TPopupMenu>("Poptree");
    auto* images = window.Get<TImageList>("ImageList1");
    ASSERT_TRUE(tree && list && menu && images);

    EXPECT_EQ(images->Count(), 3);
    EXPECT_EQ(tree->Images(), images);
    EXPECT_EQ(list->SmallImages(), images);
    EXPECT_EQ(tree->PopupMenu(), menu);
    EXPECT_EQ(tree->Indent(), 19);
    EXPECT_TRUE(tree->HideSelection());
    EXPECT_FALSE(list->HideSelection());
    EXPECT_FALSE(list->ColumnClick());
    EXPECT_EQ(list->ViewStyle(), TViewStyle::vsReport);

    ASSERT_EQ(list->ColumnCount(), 2);
    EXPECT_EQ(list->Column(0).Caption(), Ansi("关键字"));
    EXPECT_EQ(list->Column(0).MaxWidth(), 150);
    EXPECT_EQ(list->Column(1).Caption(), Ansi("关键字值"));
    EXPECT_EQ(list->Column(1).MinWidth(), 100);
    EXPECT_EQ(list->Column(1).MaxWidth(), 800);
    EXPECT_TRUE(list->Column(0).AutoSize() && list->Column(1).AutoSize());
    auto* header = static_cast<QTreeView*>(WidgetOf(*list))->model();
    EXPECT_EQ(header->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("关键字值"));

    ASSERT_EQ(menu->ItemCount(), 3);
    EXPECT_EQ(menu->Item(0)->Name(), "mtreeadd");
    EXPECT_TRUE(menu->Item(1)->IsSeparator());
    EXPECT_FALSE(menu->Item(2)->Enabled());
    menu->Item(0)->Click();
    tree->Click();
    EXPECT_EQ(window.clicks, 2);
}

TEST(ViewsLayout, UnknownNamesAreLayoutErrors) {
    EXPECT_THROW(TViewsWindow(R"(ViewsWindow : TViewsWindow { I : TImageList { Images = ["nothing"] } })"), ELayoutError);
    EXPECT_THROW(TViewsWindow(R"(ViewsWindow : TViewsWindow { P : TPopupMenu { AutoHotkeys = maSometimes } })"),
                 ELayoutError);
    EXPECT_THROW(TViewsWindow(R"(ViewsWindow : TViewsWindow { L : TListView { Column = { Colour = 1 } } })"),
                 ELayoutError);
}

}  // namespace

TEST(ViewsLayout, NamesTakeTheValuesTheyStandForAndAnUnknownOneIsNamedInTheError) {
    TViewsWindow window(R"(ViewsWindow : TViewsWindow {
      BorderStyle = bsToolWindow
      P : TPanel { BevelOuter = bvLowered; BevelInner = bvRaised; Anchors = [left, bottom]; Cursor = crHandPoint
                   Font = { Style = [italic, strikeout] } }
      V : TListView { ViewStyle = vsSmallIcon }
      B : TBitBtn { Kind = bkRetry; ModalResult = ResultIgnore }
      E : TLabeledEdit { LabelPosition = lpLeft }
    })");
    EXPECT_EQ(window.BorderStyle(), TFormBorderStyle::bsToolWindow);
    auto* panel = window.Get<TPanel>("P");
    EXPECT_EQ(panel->BevelOuter(), TBevelCut::bvLowered);
    EXPECT_EQ(panel->BevelInner(), TBevelCut::bvRaised);
    EXPECT_EQ(panel->Anchors(), akLeft | akBottom);
    EXPECT_EQ(panel->Cursor(), TCursor::crHandPoint);
    EXPECT_EQ(panel->Font().Style, uint8_t(TFontStyle::Italic) | uint8_t(TFontStyle::StrikeOut));
    EXPECT_EQ(window.Get<TListView>("V")->ViewStyle(), TViewStyle::vsSmallIcon);
    EXPECT_EQ(window.Get<TBitBtn>("B")->Kind(), TBitBtnKind::bkRetry);
    EXPECT_EQ(window.Get<TBitBtn>("B")->ModalResult(), ResultIgnore) << "set after the kind";

    const auto error = [](const char* layout) {
        try {
            TViewsWindow failing(layout);
        } catch (const ELayoutError& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(error(R"(ViewsWindow : TViewsWindow { P : TPanel { Anchors = [left, middle] } })"), "Unknown anchor middle");
    EXPECT_EQ(error(R"(ViewsWindow : TViewsWindow { P : TPanel { Font = { Style = [bold, heavy] } } })"),
              "Unknown font style heavy") << "not taken as strikeout";
    EXPECT_EQ(error(R"(ViewsWindow : TViewsWindow { Position = poLeft })"), "Unknown position poLeft");
}

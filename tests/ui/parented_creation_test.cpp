// A control made on its parent must come out as one made alone and moved there: the same font,
// colours, size and place, visibility and tab order. Run at scale 1 and again at scale 2.
#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "encoding/code_page_conversion.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/graphics.h"
#include "ui/image.h"
#include "ui/label.h"
#include "ui/layout_reader.h"
#include "ui/list_view.h"
#include "ui/panel.h"
#include "ui/splitter.h"
#include "ui/tree_view.h"
#include "ui/widget_access.h"

namespace {

TFont SongFont() {
    TFont font;
    font.Name = Ansi("宋体");
    font.Height = -12;
    font.Charset = 134;
    return font;
}

// Makes a control on the form, either on it from the start or alone and then moved there.
using MakeControl = std::function<TControl*(TForm& form, bool onParent)>;

template <typename T>
MakeControl Maker() {
    return [](TForm& form, bool onParent) -> TControl* {
        if (onParent) return new T(&form, &form);
        auto* control = new T(&form);
        control->SetParent(&form);
        return control;
    };
}

struct Made {
    std::unique_ptr<TForm> form;
    TControl* control;
};

// Where each widget on the form stands, in the order they were put there.
std::vector<QRect> PlacesOnForm(const TForm& form) {
    std::vector<QRect> places;
    for (QObject* child : WidgetOf(form)->children())
        if (auto* widget = qobject_cast<QWidget*>(child)) places.push_back(widget->geometry());
    return places;
}

Made MakeOnForm(const MakeControl& make, bool onParent) {
    Made made{std::make_unique<TForm>(nullptr), nullptr};
    made.form->SetFont(SongFont());
    made.form->SetClientSize(400, 300);
    new TButton(made.form.get(), made.form.get());  // something before it in the tab order
    made.control = make(*made.form, onParent);
    made.control->SetCaption(Ansi("文件名&N"));
    made.control->SetBounds(20, 30, 120, 22);
    return made;
}

TEST(ParentedCreation, AControlMadeOnItsParentMatchesOneMovedThere) {
    const std::vector<std::pair<const char*, MakeControl>> makers = {
        {"TButton", Maker<TButton>()},   {"TBitBtn", Maker<TBitBtn>()},     {"TLabel", Maker<TLabel>()},
        {"TEdit", Maker<TEdit>()},       {"TLabeledEdit", Maker<TLabeledEdit>()}, {"TPanel", Maker<TPanel>()},
        {"TImage", Maker<TImage>()},     {"TTreeView", Maker<TTreeView>()}, {"TListView", Maker<TListView>()},
        {"TComboBox", Maker<TComboBox>()}, {"TCheckBox", Maker<TCheckBox>()}, {"TSplitter", Maker<TSplitter>()},
    };
    for (const auto& [name, make] : makers) {
        SCOPED_TRACE(name);
        Made on = MakeOnForm(make, true), moved = MakeOnForm(make, false);
        QWidget* onWidget = WidgetOf(*on.control);
        QWidget* movedWidget = WidgetOf(*moved.control);

        EXPECT_EQ(on.control->Parent(), on.form.get());
        EXPECT_EQ(onWidget->parentWidget(), WidgetOf(*on.form));
        EXPECT_EQ(on.control->Font(), SongFont());
        EXPECT_EQ(onWidget->font(), ToolkitFont(SongFont()));
        EXPECT_EQ(onWidget->font(), movedWidget->font());
        EXPECT_EQ(onWidget->font().resolveMask(), movedWidget->font().resolveMask());
        EXPECT_EQ(onWidget->palette(), movedWidget->palette());
        EXPECT_EQ(onWidget->geometry(), movedWidget->geometry());
        EXPECT_EQ(onWidget->sizeHint(), movedWidget->sizeHint());
        EXPECT_EQ(on.control->Width(), moved.control->Width()) << "a label sizes itself to its text";
        EXPECT_EQ(on.control->Height(), moved.control->Height());
        EXPECT_EQ(onWidget->isHidden(), movedWidget->isHidden());
        EXPECT_EQ(PlacesOnForm(*on.form), PlacesOnForm(*moved.form)) << "a labeled edit's label too";
        EXPECT_EQ(on.form->TabList().size(), moved.form->TabList().size());
        if (auto* win = dynamic_cast<TWinControl*>(on.control)) {
            EXPECT_EQ(win->TabOrder(), 1);
        }

        on.form->Show();
        moved.form->Show();
        EXPECT_TRUE(onWidget->isVisible());
        EXPECT_EQ(onWidget->geometry(), movedWidget->geometry());
    }
}

class LayoutWindow : public TForm {
public:
    explicit LayoutWindow(const char* layout) : TForm(nullptr) {
        RegisterLayoutText("TLayoutWindow", layout);
        LoadLayoutOf("TLayoutWindow");
    }
    template <typename T>
    T* Get(const char* name) { return dynamic_cast<T*>(FindComponent(name)); }
};

TEST(ParentedCreation, ALayoutMakesEachControlInTheControlItStandsIn) {
    LayoutWindow window(R"(W : TLayoutWindow {
      Font = { Name = "宋体"; Charset = 134; Height = -12 }
      P : TPanel {
        Left = 0; Top = 0; Width = 300; Height = 60
        E : TLabeledEdit { Left = 60; Top = 8; Width = 200; Height = 20; LabelPosition = lpLeft
                           EditLabel = { Caption = "文件名" } }
        Q : TPanel { Font = { Name = "宋体"; Charset = 134; Height = -16 }
                     B : TButton { Caption = "浏览" } }
      }
      L : TListView { Left = 0; Top = 60; Width = 300; Height = 200 }
    })");
    auto* panel = window.Get<TPanel>("P");
    auto* edit = window.Get<TLabeledEdit>("E");
    auto* inner = window.Get<TPanel>("Q");
    auto* button = window.Get<TButton>("B");
    auto* list = window.Get<TListView>("L");
    ASSERT_TRUE(panel && edit && inner && button && list);

    EXPECT_EQ(edit->Parent(), panel);
    EXPECT_EQ(WidgetOf(*edit)->parentWidget(), WidgetOf(*panel));
    EXPECT_EQ(WidgetOf(edit->EditLabel())->parentWidget(), WidgetOf(*panel));
    EXPECT_GT(edit->EditLabel().Width(), 0);
    EXPECT_EQ(edit->EditLabel().Left() + edit->EditLabel().Width() + 3, edit->Left()) << "three pixels apart, on the left";
    EXPECT_EQ(static_cast<QLabel*>(WidgetOf(edit->EditLabel()))->buddy(), WidgetOf(*edit));
    EXPECT_EQ(list->Parent(), &window);
    EXPECT_EQ(WidgetOf(*list)->font(), ToolkitFont(SongFont()));
    EXPECT_EQ(WidgetOf(*edit)->font(), ToolkitFont(SongFont()));

    TFont larger = SongFont();
    larger.Height = -16;
    EXPECT_EQ(button->Parent(), inner);
    EXPECT_EQ(button->Font(), larger) << "the font of the panel it stands in, not the window's";
    EXPECT_EQ(WidgetOf(*button)->font(), ToolkitFont(larger));

    EXPECT_EQ(panel->TabList().size(), 2u);
    EXPECT_EQ(edit->TabOrder(), 0);
    EXPECT_EQ(inner->TabOrder(), 1);
}

}  // namespace

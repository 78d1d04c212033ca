// What assistive technologies learn about our controls: their role and the text they speak.
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>

#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/panel.h"
#include "ui/widget_access.h"

namespace {

QAccessibleInterface* Accessible(const TControl& control) {
    return QAccessible::queryAccessibleInterface(WidgetOf(control));
}

class AccessibilityTest : public testing::Test {
protected:
    template <typename Control>
    Control* Place(TWinControl* parent = nullptr) {
        auto* control = new Control(&window.Form());
        control->SetParent(parent ? parent : &window.Form());
        return control;
    }

    ShownWindow window;
};

TEST_F(AccessibilityTest, LabeledEditIsNamedAndLabelledByItsLabel) {
    auto* edit = Place<TLabeledEdit>();
    edit->EditLabel().SetCaption("&File name");
    edit->SetBounds(80, 8, 200, 21);
    QAccessibleInterface* field = Accessible(*edit);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->role(), QAccessible::EditableText);
    EXPECT_EQ(field->text(QAccessible::Name), "File name");
    auto labels = field->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first, Accessible(edit->EditLabel()));

    edit->EditLabel().SetCaption("Key");
    EXPECT_EQ(field->text(QAccessible::Name), "Key") << "the name follows the label";
}

TEST_F(AccessibilityTest, LabeledEditNameIsTheDisplayedTextUnderCodePage936) {
    ScopedCodePage gbk(TCodePage::Gbk);
    auto* edit = Place<TLabeledEdit>();
    edit->EditLabel().SetCaption("\xCE\xC4\xBC\xFE\xC3\xFB");  // 文件名 in GBK
    EXPECT_EQ(Accessible(*edit)->text(QAccessible::Name), QStringLiteral("文件名"));
}

TEST_F(AccessibilityTest, WindowsDialogsAndPanelsHaveTheirRoles) {
    QAccessibleInterface* main = Accessible(window.Form());
    ASSERT_NE(main, nullptr);
    window.Form().SetCaption("Main");
    EXPECT_EQ(main->role(), QAccessible::Window);
    EXPECT_EQ(main->text(QAccessible::Name), "Main");

    for (TFormBorderStyle style : {TFormBorderStyle::bsDialog, TFormBorderStyle::bsToolWindow}) {
        TForm dialog(nullptr);
        dialog.SetBorderStyle(style);
        EXPECT_EQ(Accessible(dialog)->role(), QAccessible::Dialog) << int(style);
    }
    TForm modal(nullptr);
    modal.SetInModalLoop(true);
    EXPECT_EQ(Accessible(modal)->role(), QAccessible::Dialog) << "a window shown modally is a dialog";

    auto* panel = Place<TPanel>();
    auto* inside = Place<TLabel>(panel);
    inside->SetCaption("grouped");
    QAccessibleInterface* group = Accessible(*panel);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    ASSERT_EQ(group->childCount(), 1);
    EXPECT_EQ(group->child(0)->text(QAccessible::Name), "grouped");
}

TEST_F(AccessibilityTest, LabelsAndButtonsSpeakTheirCaptionsWithoutAccessMarks) {
    auto* label = Place<TLabel>();
    label->SetCaption("&Open && save");
    EXPECT_EQ(Accessible(*label)->role(), QAccessible::StaticText);
    EXPECT_EQ(Accessible(*label)->text(QAccessible::Name), "Open & save");

    auto* button = Place<TBitBtn>();
    button->SetKind(TBitBtnKind::bkYes);
    EXPECT_EQ(Accessible(*button)->role(), QAccessible::Button);
    EXPECT_EQ(Accessible(*button)->text(QAccessible::Name), "Yes");
}

}  // namespace

// The drop-down list: its items in its own code page, and choices reported only when the user
// made them.
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>

#include "ui/combo_box.h"
#include "ui/label.h"
#include "ui/widget_access.h"

namespace {

class ComboBoxTest : public testing::Test {
protected:
    void SetUp() override {
        box = new TComboBox(&window.Form());
        box->SetParent(&window.Form());
        box->SetBounds(60, 8, 120, 22);
        box->OnChange = [this](TComponent* sender) {
            EXPECT_EQ(sender, box);
            changes.push_back(box->ItemIndex());
        };
        widget = static_cast<QComboBox*>(WidgetOf(*box));
    }

    ShownWindow window;
    TComboBox* box = nullptr;
    QComboBox* widget = nullptr;
    std::vector<int> changes;
};

TEST_F(ComboBoxTest, ItemsShowInTheBoxsCodePage) {
    ScopedCodePage locale(TCodePage::Utf8);
    box->SetTextCodePage(TCodePage::Gbk);
    box->SetItems({"GBK", "\xD6\xD0\xCE\xC4"});  // 中文
    EXPECT_EQ(widget->itemText(1), QString::fromUtf8("中文"));
    box->SetTextCodePage(TCodePage::Utf8);
    EXPECT_EQ(widget->itemText(0), "GBK") << "shown again in the new code page";
    EXPECT_NE(widget->itemText(1), QString::fromUtf8("中文"));
    EXPECT_EQ(box->Item(1), "\xD6\xD0\xCE\xC4") << "the bytes stay";
}

TEST_F(ComboBoxTest, OnlyTheUsersChoicesAreReported) {
    box->SetItems({"a", "b", "c"});
    EXPECT_EQ(box->ItemIndex(), -1);
    box->SetItemIndex(1);
    EXPECT_EQ(widget->currentIndex(), 1);
    box->SetItems({"a", "b", "c"});
    EXPECT_EQ(box->ItemIndex(), -1) << "new items: none is chosen";
    box->SetItemIndex(0);
    EXPECT_TRUE(changes.empty());

    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Down);
    QTest::keyClick(widget, Qt::Key_Down);
    EXPECT_EQ(changes, (std::vector<int>{1, 2}));
    QTest::keyClick(widget, Qt::Key_Down);
    EXPECT_EQ(changes.size(), 2u) << "past the last item nothing changes";
}

TEST_F(ComboBoxTest, ALabelNamesItForAssistiveTechnologies) {
    auto* label = new TLabel(&window.Form());
    label->SetParent(&window.Form());
    label->SetCaption("Encoding");
    label->SetFocusControl(box);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ComboBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Encoding");
}

}  // namespace

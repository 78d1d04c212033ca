#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/display_text.h"
#include "support/scoped_seam.h"
#include "ui/error_sink.h"
#include "ui/popup_menu.h"

namespace {

class PopupMenuTest : public testing::Test {
protected:
    void SetUp() override {
        menu = new TPopupMenu(&window.Form());
        for (const char* caption : {"change", "-", "delete", "add"}) {
            auto* item = new TMenuItem(&window.Form());
            item->SetCaption(caption);
            item->OnClick = [this, caption](TComponent*) { clicked.push_back(caption); };
            menu->Add(item);
        }
    }
    TMenuItem* Item(int i) { return menu->Item(i); }

    ShownWindow window;
    TPopupMenu* menu = nullptr;
    std::vector<std::string> clicked;
};

// The real menu: run from inside its own loop.
TEST_F(PopupMenuTest, ShowsTheItemsAndRunsTheChosenOneAfterClosing) {
    Item(0)->SetEnabled(false);
    Item(2)->SetCaption(Ansi("删除关键字"));
    QStringList texts;
    std::vector<bool> enabled;
    int separators = 0;
    bool popupOpenAtClick = true;
    Item(3)->OnClick = [&](TComponent*) { popupOpenAtClick = QApplication::activePopupWidget() != nullptr; };
    QTimer::singleShot(3000, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!shown) return;
        for (QAction* action : shown->actions()) {
            if (action->isSeparator()) {
                ++separators;
                continue;
            }
            texts << action->text();
            enabled.push_back(action->isEnabled());
        }
        shown->setActiveAction(shown->actions().last());
        QTest::keyClick(shown, Qt::Key_Return);
    });
    menu->Popup(100, 100);

    EXPECT_EQ(texts, (QStringList{"change", QString::fromUtf8("删除关键字"), "add"}));
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(separators, 1);
    EXPECT_FALSE(popupOpenAtClick);
}

TEST_F(PopupMenuTest, OnPopupComesFirstAndOnlyEnabledItemsCanBeChosen) {
    std::vector<std::string> order;
    menu->OnPopup = [&](TComponent*) { order.push_back("popup"); };
    TMenuItem* answer = nullptr;
    ScopedSeam chooser(SetPopupMenuChooser, [&](TPopupMenu&, int, int) {
        order.push_back("choose");
        return answer;
    });
    answer = Item(2);
    menu->Popup(0, 0);
    EXPECT_EQ(order, (std::vector<std::string>{"popup", "choose"}));
    EXPECT_EQ(clicked, std::vector<std::string>{"delete"});

    Item(2)->SetEnabled(false);
    menu->Popup(0, 0);
    answer = Item(1);  // the separator
    menu->Popup(0, 0);
    answer = nullptr;
    menu->Popup(0, 0);
    EXPECT_EQ(clicked, std::vector<std::string>{"delete"});
}

TEST_F(PopupMenuTest, AnErrorInTheChosenItemIsReportedAndThePopupReturns) {
    TComponent* reportedSender = nullptr;
    std::string message;
    ScopedSeam reporter(SetErrorReporter, [&](TComponent* sender, std::exception_ptr error) {
        reportedSender = sender;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = e.what();
        }
    });
    Item(3)->OnClick = [](TComponent*) { throw std::runtime_error("write failed"); };
    ScopedSeam chooser(SetPopupMenuChooser, [&](TPopupMenu&, int, int) { return Item(3); });
    EXPECT_NO_THROW(menu->Popup(0, 0));
    EXPECT_EQ(reportedSender, Item(3));
    EXPECT_EQ(message, "write failed");
}

TEST_F(PopupMenuTest, ItemsLeaveTheMenuWhenDestroyedAndMoveBetweenMenus) {
    delete Item(1);
    ASSERT_EQ(menu->ItemCount(), 3);
    EXPECT_EQ(Item(1)->Caption(), "delete");

    auto* other = new TPopupMenu(&window.Form());
    TMenuItem* moved = Item(0);
    other->Add(moved);
    EXPECT_EQ(menu->ItemCount(), 2);
    EXPECT_EQ(moved->Menu(), other);
    delete other;
    EXPECT_EQ(moved->Menu(), nullptr);
}

}  // namespace

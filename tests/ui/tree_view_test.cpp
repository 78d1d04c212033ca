#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTreeView>

#include <string>
#include <vector>

#include "platform/display_text.h"
#include "support/scoped_seam.h"
#include "ui/popup_menu.h"
#include "ui/tree_view.h"

namespace {

class TreeViewTest : public testing::Test {
protected:
    void SetUp() override {
        tree = new TTreeView(&window.Form());
        tree->SetParent(&window.Form());
        tree->SetBounds(0, 32, 145, 290);
        view = static_cast<QTreeView*>(ItemViewOf(*tree));
        root = tree->Items().AddChild(nullptr, "file.ini");
        for (const char* name : {"alpha", "beta", "gamma"}) sections.push_back(tree->Items().AddChild(root, name));
        root->Expand(true);
        QApplication::processEvents();
    }

    QModelIndex IndexOf(const TTreeNode* node) const {
        if (!node) return {};
        return view->model()->index(node->Index(), 0, IndexOf(node->Parent()));
    }
    QPoint At(const TTreeNode* node) const { return CentreOf(view, IndexOf(node)); }
    QString Shown(const TTreeNode* node) const { return IndexOf(node).data().toString(); }
    bool ShownSelected(const TTreeNode* node) const { return view->selectionModel()->isSelected(IndexOf(node)); }

    ShownWindow window;
    TTreeView* tree = nullptr;
    QTreeView* view = nullptr;
    TTreeNode* root = nullptr;
    std::vector<TTreeNode*> sections;
};

TEST_F(TreeViewTest, NodesKeepTheirOrderThroughAppendAndDelete) {
    EXPECT_EQ(tree->Items().GetFirstNode(), root);
    EXPECT_EQ(tree->Items().Count(), 4);
    EXPECT_EQ(root->Parent(), nullptr);
    ASSERT_EQ(root->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(root->Item(i), sections[size_t(i)]);
        EXPECT_EQ(sections[size_t(i)]->Index(), i);
        EXPECT_EQ(sections[size_t(i)]->Parent(), root);
    }
    EXPECT_EQ(Shown(sections[1]), "beta");

    sections[1]->Delete();
    TTreeNode* delta = tree->Items().AddChild(root, "delta");
    EXPECT_EQ(tree->Items().Count(), 4);
    EXPECT_EQ(sections[2]->Index(), 1);
    EXPECT_EQ(delta->Index(), 2);
    ASSERT_EQ(view->model()->rowCount(IndexOf(root)), 3);
    EXPECT_EQ(Shown(root->Item(0)), "alpha");
    EXPECT_EQ(Shown(root->Item(1)), "gamma");
    EXPECT_EQ(Shown(root->Item(2)), "delta");

    root->Delete();
    EXPECT_EQ(tree->Items().Count(), 0);
    EXPECT_EQ(tree->Items().GetFirstNode(), nullptr);
    EXPECT_EQ(view->model()->rowCount({}), 0);
}

TEST_F(TreeViewTest, AnUpdateBatchShowsTheNewNodesExpandedWithTheSelectionSetInIt) {
    TTreeNode* other = nullptr;
    tree->Items().BeginUpdate();
    tree->Items().Clear();
    other = tree->Items().AddChild(nullptr, "other.ini");
    for (int i = 0; i < 1000; ++i) tree->Items().AddChild(other, "s" + std::to_string(i));
    other->Expand(true);
    tree->SetSelected(other);
    tree->Items().EndUpdate();
    QApplication::processEvents();

    EXPECT_EQ(tree->Items().Count(), 1001);
    EXPECT_EQ(view->model()->rowCount(IndexOf(other)), 1000);
    EXPECT_EQ(Shown(other->Item(999)), "s999");
    EXPECT_TRUE(view->isExpanded(IndexOf(other)));
    EXPECT_EQ(tree->Selected(), other);
    EXPECT_TRUE(ShownSelected(other));
}

TEST_F(TreeViewTest, AnExpandedChildlessNodeShowsAChildAddedLater) {
    tree->Items().Clear();
    TTreeNode* lone = tree->Items().AddChild(nullptr, "empty.ini");
    lone->Expand(true);
    TTreeNode* added = tree->Items().AddChild(lone, "new");
    QApplication::processEvents();
    EXPECT_TRUE(view->isExpanded(IndexOf(lone)));
    EXPECT_FALSE(view->visualRect(IndexOf(added)).isEmpty());
}

TEST_F(TreeViewTest, RightPressReportsWithoutSelectingThenOpensTheMenuAtThePointer) {
    auto* menu = new TPopupMenu(&window.Form());
    tree->SetPopupMenu(menu);
    tree->SetSelected(sections[0]);
    std::vector<std::string> events;
    TMouseButton button = TMouseButton::mbLeft;
    TTreeNode* selectedInHandler = nullptr;
    QPoint menuAt;
    tree->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
        events.push_back("down");
        button = b;
        selectedInHandler = tree->Selected();
    };
    ScopedSeam chooser(SetPopupMenuChooser, [&](TPopupMenu& m, int x, int y) -> TMenuItem* {
        events.push_back(&m == menu ? "menu" : "other menu");
        menuAt = QPoint(x, y);
        return nullptr;
    });

    QPoint at = At(sections[2]);
    ClickWith(view, Qt::RightButton, at);
    EXPECT_EQ(events, (std::vector<std::string>{"down", "menu"}));
    EXPECT_EQ(button, TMouseButton::mbRight);
    EXPECT_EQ(selectedInHandler, sections[0]);
    EXPECT_EQ(menuAt, view->viewport()->mapToGlobal(at));
    EXPECT_EQ(tree->Selected(), sections[0]);
    EXPECT_FALSE(ShownSelected(sections[2]));

    // The middle button reports too, and neither selects nor opens the menu.
    events.clear();
    ClickWith(view, Qt::MiddleButton, At(sections[1]));
    EXPECT_EQ(events, (std::vector<std::string>{"down"}));
    EXPECT_EQ(button, TMouseButton::mbMiddle);
    EXPECT_EQ(tree->Selected(), sections[0]);
}

TEST_F(TreeViewTest, LeftClickRaisesOnClickAfterSelectingAlsoOnTheSelectedNodeAndEmptySpace) {
    tree->SetReadOnly(true);  // a click on the selected node would start an edit otherwise
    int clicks = 0;
    TTreeNode* selectedInHandler = nullptr;
    tree->OnClick = [&](TComponent*) {
        ++clicks;
        selectedInHandler = tree->Selected();
    };
    ClickWith(view, Qt::LeftButton, At(sections[1]));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(selectedInHandler, sections[1]);

    ClickWith(view, Qt::LeftButton, At(sections[1]));
    EXPECT_EQ(clicks, 2);

    ClickWith(view, Qt::LeftButton, QPoint(20, view->viewport()->height() - 5));
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(tree->Selected(), sections[1]);
}

TEST_F(TreeViewTest, KeyboardMovesRaiseOnKeyboardSelectButNotOnClick) {
    tree->SetSelected(sections[0]);
    view->setFocus();
    int clicks = 0, moves = 0;
    TTreeNode* selectedInHandler = nullptr;
    tree->OnClick = [&](TComponent*) { ++clicks; };
    tree->OnKeyboardSelect = [&](TComponent*) {
        ++moves;
        selectedInHandler = tree->Selected();
    };
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(tree->Selected(), sections[1]);
    EXPECT_EQ(selectedInHandler, sections[1]);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(tree->Selected(), sections[2]);
    // At the last node Down moves nothing, so nothing is raised.
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(clicks, 0);
}

TEST_F(TreeViewTest, DeletingTheSelectedNodeLeavesNoneSelected) {
    tree->SetSelected(sections[2]);
    sections[0]->Delete();
    EXPECT_EQ(tree->Selected(), sections[2]);
    EXPECT_TRUE(ShownSelected(sections[2]));

    sections[2]->Delete();
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_TRUE(view->selectionModel()->selectedIndexes().isEmpty());

    tree->SetSelected(sections[1]);
    root->Delete();
    EXPECT_EQ(tree->Selected(), nullptr);
}

TEST_F(TreeViewTest, InPlaceEditTakesTheTextIntoTheNodesCodePageAndRefusesWhatItCannotHold) {
    ScopedCodePage locale(TCodePage::Utf8);
    TTreeNode* gbk = tree->Items().AddChild(root, "\xD0\xA1\xBD\xDA", TCodePage::Gbk);  // 小节
    EXPECT_EQ(Shown(gbk), QString::fromUtf8("小节"));
    tree->SetSelected(gbk);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F2);
    QLineEdit* editor = EditorOf(view, IndexOf(gbk));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QString::fromUtf8("小节"));

    QTest::keyClick(editor, Qt::Key_End);
    QInputMethodEvent typed;
    typed.setCommitString(QString::fromUtf8("x😀y"));
    QApplication::sendEvent(editor, &typed);
    EXPECT_EQ(editor->text(), QString::fromUtf8("小节xy"));
    CommitEdit(editor);
    EXPECT_EQ(gbk->Text(), "\xD0\xA1\xBD\xDAxy");
    EXPECT_FALSE(tree->IsEditing());

    // A committed text the node's code page cannot hold leaves the node as it was; a node of
    // another code page takes it.
    EXPECT_FALSE(view->model()->setData(IndexOf(gbk), QString::fromUtf8("β😀"), Qt::EditRole));
    EXPECT_EQ(gbk->Text(), "\xD0\xA1\xBD\xDAxy");
    EXPECT_TRUE(view->model()->setData(IndexOf(sections[1]), QString::fromUtf8("β😀"), Qt::EditRole));
    EXPECT_EQ(sections[1]->Text(), "\xCE\xB2\xF0\x9F\x98\x80");
}

// A click on the selected node edits it a moment later, unless the user did anything else
// meanwhile: the editor never takes keys typed before it showed.
TEST_F(TreeViewTest, AClickOnTheSelectedNodeEditsItOnlyWhenNothingElseCameMeanwhile) {
    const int moment = QApplication::doubleClickInterval() + 100;
    tree->SetSelected(sections[0]);
    view->setFocus();
    const auto clickSelected = [&] { ClickWith(view, Qt::LeftButton, At(tree->Selected())); };
    clickSelected();
    QTest::qWait(moment);
    QLineEdit* editor = EditorOf(view, IndexOf(sections[0]));
    ASSERT_NE(editor, nullptr) << "nothing came: the edit starts";
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_FALSE(tree->IsEditing());

    clickSelected();
    QTest::keyClick(view, Qt::Key_G);  // jumps to gamma by its letter
    QTest::qWait(moment);
    EXPECT_FALSE(tree->IsEditing()) << "a letter typed";
    EXPECT_EQ(tree->Selected(), sections[2]);

    clickSelected();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::qWait(moment);
    EXPECT_FALSE(tree->IsEditing()) << "a shortcut";

    clickSelected();
    ClickWith(view, Qt::LeftButton, QPoint(20, view->viewport()->height() - 5));
    QTest::qWait(moment);
    EXPECT_FALSE(tree->IsEditing()) << "a click elsewhere";

    clickSelected();
    view->clearFocus();
    view->setFocus();
    QTest::qWait(moment);
    EXPECT_FALSE(tree->IsEditing()) << "the focus went away and came back";

    QTest::keyClick(view, Qt::Key_F2);
    EXPECT_TRUE(tree->IsEditing()) << "F2 edits at once";
}

TEST_F(TreeViewTest, BytesInvalidInTheCodePageSurviveShowingAndAnUnchangedEdit) {
    const std::string odd = std::string("\x81\x20ok\xFF", 5);
    for (TCodePage codePage : {TCodePage::Gbk, TCodePage::Utf8}) {
        TTreeNode* node = tree->Items().AddChild(root, odd, codePage);
        EXPECT_FALSE(Shown(node).isEmpty());
        tree->SetSelected(node);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit* editor = EditorOf(view, IndexOf(node));
        ASSERT_NE(editor, nullptr);
        CommitEdit(editor);
        EXPECT_EQ(node->Text(), odd) << "code page " << CodePageNumber(codePage);
    }
}

TEST_F(TreeViewTest, NodesReachAssistiveTechnologiesWithTheirText) {
    view->doItemsLayout();  // assistive technologies ask once the rows are laid out
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->tableInterface(), nullptr);
    QAccessibleInterface* cell = accessible->tableInterface()->cellAt(2, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "beta");
}

}  // namespace

namespace {

TEST_F(TreeViewTest, AMenuFromTheKeyboardOpensAtTheSelectedNode) {
    TPopupMenu menu(&window.Form());
    tree->SetPopupMenu(&menu);
    std::vector<QPoint> opened;
    ScopedSeam<PopupMenuChooser> seam(SetPopupMenuChooser, [&](TPopupMenu&, int x, int y) -> TMenuItem* {
        opened.emplace_back(x, y);
        return nullptr;
    });
    tree->SetSelected(sections[2]);
    view->setFocus();
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), view->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view, &key);
    ASSERT_EQ(opened.size(), 1u);
    const QRect node = view->visualRect(IndexOf(sections[2]));
    const QRect onScreen(view->viewport()->mapToGlobal(node.topLeft()), node.size());
    EXPECT_TRUE(onScreen.adjusted(0, 0, 0, 1).contains(opened[0])) << "not the tree's middle";

    tree->SetSelected(nullptr);
    QApplication::sendEvent(view, &key);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], view->mapToGlobal(QPoint(view->width() / 2, view->height() / 2)))
        << "nothing selected: the middle of the tree";
}

TEST_F(TreeViewTest, ANodeWithAHintShowsItAsItsTooltip) {
    root->SetHint("/home/user/file.ini");
    EXPECT_EQ(IndexOf(root).data(Qt::ToolTipRole).toString(), "/home/user/file.ini");
    EXPECT_FALSE(IndexOf(sections[0]).data(Qt::ToolTipRole).isValid());
}

}  // namespace

#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTreeView>

#include <memory>
#include <string>
#include <vector>

#include "platform/display_text.h"
#include "ui/list_view.h"

namespace {

// The main window's list: 337 wide beside the tree, a key column and a value column.
class ListViewTest : public testing::Test {
protected:
    void SetUp() override {
        list = new TListView(&window.Form());
        list->SetParent(&window.Form());
        list->SetBounds(152, 32, 337, 290);
        list->SetAnchors(akLeft | akTop | akRight | akBottom);
        list->SetViewStyle(TViewStyle::vsReport);
        TListColumn& key = list->AddColumn();
        key.SetCaption("key");
        key.SetMaxWidth(150);
        key.SetAutoSize(true);
        TListColumn& value = list->AddColumn();
        value.SetCaption("value");
        value.SetMaxWidth(800);
        value.SetMinWidth(100);
        value.SetAutoSize(true);
        list->SetHideSelection(false);
        view = static_cast<QTreeView*>(ItemViewOf(*list));
        for (int i = 0; i < 5; ++i) {
            TListItem* row = list->Items().Add();
            row->SetCaption("k" + std::to_string(i));
            row->SubItems().Add("v" + std::to_string(i));
            rows.push_back(row);
        }
        QApplication::processEvents();
    }

    QModelIndex IndexOf(const TListItem* row, int column = 0) const { return view->model()->index(row->Index(), column); }
    QPoint At(const TListItem* row) const { return CentreOf(view, IndexOf(row)); }
    QPoint EmptySpace() const { return QPoint(40, view->viewport()->height() - 5); }
    int ShownSelectedRow() const {
        QModelIndexList selected = view->selectionModel()->selectedRows();
        return selected.size() == 1 ? selected.first().row() : -1;
    }

    ShownWindow window{489, 329};
    TListView* list = nullptr;
    QTreeView* view = nullptr;
    std::vector<TListItem*> rows;
};

TEST_F(ListViewTest, AutoSizedColumnsShareTheClientWidthAndFollowResizing) {
    const int client = view->viewport()->width();
    EXPECT_EQ(list->Column(0).Width(), 150);
    EXPECT_EQ(list->Column(1).Width(), client - 150);
    EXPECT_EQ(view->columnWidth(0), 150);
    EXPECT_EQ(view->columnWidth(1), client - 150);

    window.Form().SetClientSize(2000, 329);
    QApplication::processEvents();
    EXPECT_EQ(list->Column(0).Width(), 150);
    EXPECT_EQ(list->Column(1).Width(), 800);

    window.Form().SetClientSize(300, 329);
    QApplication::processEvents();
    ASSERT_LT(view->viewport()->width(), 200);
    EXPECT_EQ(list->Column(1).Width(), 100);
    EXPECT_EQ(list->Column(0).Width(), view->viewport()->width() - 100);
    EXPECT_EQ(view->columnWidth(1), 100);
}

TEST_F(ListViewTest, ADraggedDividerKeepsItsColumnAndTheOthersShareTheRest) {
    QHeaderView* header = view->header();
    const int client = view->viewport()->width();
    const QPoint divider(header->sectionViewportPosition(1), header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, divider);
    QTest::mouseMove(header->viewport(), divider + QPoint(60, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, divider + QPoint(60, 0));
    EXPECT_EQ(list->Column(0).Width(), 210) << "past the largest width the rule would give it";
    EXPECT_FALSE(list->Column(0).AutoSize());
    EXPECT_EQ(list->Column(1).Width(), client - 210);

    window.Form().SetClientSize(900, 329);
    QApplication::processEvents();
    EXPECT_EQ(list->Column(0).Width(), 210) << "kept when the list changes size";
    EXPECT_EQ(view->columnWidth(0), 210);
    EXPECT_EQ(list->Column(1).Width(), view->viewport()->width() - 210);
}

// The toolkit's own header measures captions in bold; ours in the font they are painted in, and
// must still stand as tall as the toolkit's and keep its settings.
TEST_F(ListViewTest, TheHeaderMeasuresCaptionsInTheirShownFontAndStandsAsTallAsTheToolkits) {
    const QString captions[] = {QStringLiteral("a key caption"), QStringLiteral("a much longer value caption")};
    for (int column : {0, 1}) list->Column(column).SetCaption(captions[column].toStdString());
    // A face with a bold of its own, wider than its regular, where one is installed.
    list->SetFont(TFont{.Name = "DejaVu Sans"});
    QStandardItemModel plainModel(0, 2);
    plainModel.setHorizontalHeaderLabels({captions[0], captions[1]});
    QTreeView plain;
    plain.setFont(view->font());
    plain.setModel(&plainModel);

    QHeaderView* header = view->header();
    EXPECT_EQ(header->sizeHint().height(), plain.header()->sizeHint().height());
    EXPECT_EQ(header->defaultAlignment(), plain.header()->defaultAlignment());
    const QFontMetrics shown(header->font());
    EXPECT_EQ(header->sectionSizeHint(1) - header->sectionSizeHint(0),
              shown.size(0, captions[1]).width() - shown.size(0, captions[0]).width());
}

// Names and values that the view cuts show whole in a tooltip; whole ones need none.
TEST_F(ListViewTest, ACutTextShowsWholeInItsTooltip) {
    const std::string longValue(300, 'v');
    rows[1]->SubItems().Set(0, longValue);
    QApplication::processEvents();
    auto tipAt = [&](const QModelIndex& index) {
        // A tooltip fades out a while after it is hidden.
        QToolTip::hideText();
        for (int waited = 0; QToolTip::isVisible() && waited < 3000; waited += 10) QTest::qWait(10);
        const QPoint at = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_TRUE(tipAt(IndexOf(rows[1], 1)).contains(QString::fromStdString(longValue)));
    EXPECT_EQ(tipAt(IndexOf(rows[1], 0)), QString()) << "the key shows whole";
    rows[2]->SubItems().Set(0, "<b>bold</b>");
    rows[2]->SetCaption(std::string(100, 'k') + "<i>");
    QApplication::processEvents();
    EXPECT_TRUE(tipAt(IndexOf(rows[2], 0)).contains("&lt;i&gt;")) << "shown as the plain text it is";
}

// Tabbed into, the list selects the row its focus rests on; focused otherwise (by the program),
// it rests its focus on the first row without selecting it, and Home selects that row.
TEST_F(ListViewTest, HomeSelectsTheFirstRowWhereTheFocusAlreadyRests) {
    list->SetSelected(nullptr);
    view->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(list->Selected(), rows[0]);
    view->clearFocus();
    list->SetSelected(nullptr);
    view->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(view->currentIndex().row(), 0);
    ASSERT_EQ(list->Selected(), nullptr);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(list->Selected(), rows[0]);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(list->Selected(), rows[1]);
}

TEST_F(ListViewTest, APressIsHandledByTheListBeforeOnMouseDownSeesTheSelection) {
    list->SetSelected(rows[0]);
    TListItem* selectedInHandler = rows[0];
    TMouseButton button = TMouseButton::mbLeft;
    int presses = 0;
    list->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
        ++presses;
        button = b;
        selectedInHandler = list->Selected();
    };
    ClickWith(view, Qt::RightButton, At(rows[2]));
    EXPECT_EQ(button, TMouseButton::mbRight);
    EXPECT_EQ(selectedInHandler, rows[2]);

    ClickWith(view, Qt::RightButton, EmptySpace());
    EXPECT_EQ(selectedInHandler, nullptr);
    EXPECT_EQ(ShownSelectedRow(), -1);

    ClickWith(view, Qt::LeftButton, At(rows[1]));
    EXPECT_EQ(selectedInHandler, rows[1]);

    ClickWith(view, Qt::MiddleButton, At(rows[3]));
    EXPECT_EQ(button, TMouseButton::mbMiddle);
    EXPECT_EQ(list->Selected(), rows[1]);
    EXPECT_EQ(presses, 4);
}

TEST_F(ListViewTest, TheSelectionStaysOnItsRowThroughDeletes) {
    list->SetSelected(rows[3]);
    EXPECT_EQ(list->Selected(), rows[3]);
    list->Items().Delete(0);
    EXPECT_EQ(list->Selected(), rows[3]);
    EXPECT_EQ(rows[3]->Index(), 2);
    EXPECT_EQ(ShownSelectedRow(), 2);
    EXPECT_EQ(IndexOf(rows[4]).data().toString(), "k4");

    // Deleting the selected row leaves none selected; the view does not pick a neighbour.
    rows[3]->Delete();
    EXPECT_EQ(list->Selected(), nullptr);
    EXPECT_EQ(ShownSelectedRow(), -1);
    ASSERT_EQ(list->Items().Count(), 3);
    EXPECT_EQ(list->Items().Item(2), rows[4]);
    EXPECT_EQ(rows[4]->Index(), 2);
}

TEST_F(ListViewTest, AnUpdateBatchShowsTheNewRowsWithTheSelectionSetInIt) {
    list->SetSelected(rows[1]);
    list->Items().BeginUpdate();
    list->Items().Clear();
    EXPECT_EQ(list->Selected(), nullptr);
    for (int i = 0; i < 1000; ++i) {
        TListItem* row = list->Items().Add();
        row->SetCaption("n" + std::to_string(i));
        row->SubItems().Add("w" + std::to_string(i));
    }
    list->SetSelected(list->Items().Item(10));
    list->Items().EndUpdate();

    EXPECT_EQ(view->model()->rowCount({}), 1000);
    EXPECT_EQ(view->model()->index(999, 1).data().toString(), "w999");
    EXPECT_EQ(list->Selected(), list->Items().Item(10));
    EXPECT_EQ(ShownSelectedRow(), 10);
}

// Rows of a source: "r<i>" with the value "s<i>", counting how many were made.
class CountedRows : public TListRowSource {
public:
    explicit CountedRows(int& made) : made_(made) {}
    std::string Caption(int index) const override { return "r" + std::to_string(index); }
    void Fill(int index, TListItem& row) const override {
        ++made_;
        row.SubItems().Add("s" + std::to_string(index));
        row.SetImageIndex(index % 3);
        row.SetHint("h" + std::to_string(index));
    }

private:
    int& made_;
};

TEST_F(ListViewTest, RowsOfASourceAreMadeOnlyWhenShownOrAskedFor) {
    int made = 0;
    list->SetSelected(rows[1]);
    list->Items().Show(100'000, TCodePage::Gbk, std::make_unique<CountedRows>(made));
    QApplication::processEvents();
    EXPECT_EQ(list->Selected(), nullptr);
    EXPECT_EQ(view->model()->rowCount({}), 100'000);
    EXPECT_GT(made, 0) << "the rows in view are shown";
    EXPECT_LT(made, 1000);

    const int shown = made;
    EXPECT_EQ(list->Items().CaptionOf(70'000), "r70000");
    EXPECT_EQ(made, shown) << "a caption alone makes no row";
    TListItem* row = list->Items().Item(70'000);
    EXPECT_EQ(made, shown + 1);
    EXPECT_EQ(row->Caption(), "r70000");
    EXPECT_EQ(row->SubItems().At(0), "s70000");
    EXPECT_EQ(row->Hint(), "h70000");
    EXPECT_EQ(row->Index(), 70'000);
    EXPECT_EQ(row->CodePage(), TCodePage::Gbk);
    EXPECT_EQ(list->Items().Item(70'000), row) << "made once";
    EXPECT_EQ(view->model()->index(99'999, 1).data().toString(), "s99999");

    // A row made and changed shows its change, also to a later CaptionOf.
    list->SetSelected(row);
    EXPECT_EQ(ShownSelectedRow(), 70'000);
    row->SetCaption("changed");
    row->SubItems().Set(0, "new");
    EXPECT_EQ(list->Items().CaptionOf(70'000), "changed");
    EXPECT_EQ(view->model()->index(70'000, 1).data().toString(), "new");
}

TEST_F(ListViewTest, DeletingARowOfASourceKeepsTheRowsAfterItTheirTexts) {
    int made = 0;
    list->Items().Show(50, TCodePage::Utf8, std::make_unique<CountedRows>(made));
    TListItem* kept = list->Items().Item(40);
    list->Items().Delete(10);
    ASSERT_EQ(list->Items().Count(), 49);
    EXPECT_EQ(list->Items().CaptionOf(9), "r9");
    EXPECT_EQ(list->Items().CaptionOf(10), "r11");
    EXPECT_EQ(list->Items().Item(48)->SubItems().At(0), "s49");
    EXPECT_EQ(list->Items().Item(39), kept);
    EXPECT_EQ(kept->Index(), 39);

    // Rows added after those of a source come after them; a clear forgets the source.
    TListItem* added = list->Items().Add();
    added->SetCaption("added");
    EXPECT_EQ(list->Items().CaptionOf(49), "added");
    list->Items().Clear();
    EXPECT_EQ(list->Items().Count(), 0);
    EXPECT_EQ(view->model()->rowCount({}), 0);
}

TEST_F(ListViewTest, F2EditsTheRowCaptionWhicheverCellWasClicked) {
    ClickWith(view, Qt::LeftButton, CentreOf(view, IndexOf(rows[2], 1)));
    ASSERT_EQ(list->Selected(), rows[2]);
    QTest::keyClick(view, Qt::Key_F2);
    QLineEdit* editor = EditorOf(view, IndexOf(rows[2]));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "renamed");
    CommitEdit(editor);
    EXPECT_EQ(rows[2]->Caption(), "renamed");
    EXPECT_EQ(rows[2]->SubItems().At(0), "v2");
}

TEST_F(ListViewTest, RowsShowInTheirOwnCodePageAndInvalidBytesSurviveAnUnchangedEdit) {
    ScopedCodePage locale(TCodePage::Utf8);
    TListItem* gbk = list->Items().Add(TCodePage::Gbk);
    gbk->SetCaption("\xC3\xFB\xB3\xC6");  // 名称
    gbk->SubItems().Add("\xD6\xD0");       // 中
    EXPECT_EQ(IndexOf(gbk).data().toString(), QString::fromUtf8("名称"));
    EXPECT_EQ(IndexOf(gbk, 1).data().toString(), QString::fromUtf8("中"));
    EXPECT_EQ(IndexOf(rows[0]).data().toString(), "k0") << "the other rows keep theirs";

    const std::string odd = std::string("\x81\x20ok\xFF", 5), oddValue = std::string("\xFE\x7F", 2);
    for (TCodePage codePage : {TCodePage::Gbk, TCodePage::Utf8}) {
        TListItem* row = list->Items().Add(codePage);
        row->SetCaption(odd);
        row->SubItems().Add(oddValue);
        EXPECT_EQ(IndexOf(row, 1).data().toString(), ToDisplay(oddValue, codePage));
        list->SetSelected(row);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit* editor = EditorOf(view, IndexOf(row));
        ASSERT_NE(editor, nullptr);
        CommitEdit(editor);
        EXPECT_EQ(row->Caption(), odd) << "code page " << CodePageNumber(codePage);
        EXPECT_EQ(row->SubItems().At(0), oddValue);
    }
}

TEST_F(ListViewTest, CellsReachAssistiveTechnologiesWithTheirText) {
    view->doItemsLayout();  // assistive technologies ask once the rows are laid out
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->tableInterface(), nullptr);
    QAccessibleInterface* cell = accessible->tableInterface()->cellAt(1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "v1");
}

}  // namespace

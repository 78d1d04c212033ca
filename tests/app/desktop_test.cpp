// The main window among the desktop's other programs: a file named on the command line or
// dropped on the window loads as if typed, the title names the loaded file and the root's
// tooltip its full path, and the width given to the tree is kept for the next run.
#include "main_window_fixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

#include "ui/button.h"
#include "ui/splitter.h"

namespace apptest {
namespace {

const std::string kSimple = "[General]\nName=Sample\n[Window]\nLeft=100\n";

class DesktopTest : public MainWindowTest {
protected:
    // Drops the files on the widget, as a file manager's drag ends; true when it was taken.
    static bool Drop(QWidget* widget, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    }
    static QUrl UrlOf(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
};

TEST_F(DesktopTest, TheTitleNamesTheLoadedFileAndTheRootShowsItsFullPath) {
    EXPECT_EQ(main->Caption(), Ansi("Ini文件查看器"));
    const std::string path = File("x:y\\z.ini", kSimple);
    TypePathAndEnter(path);
    EXPECT_EQ(Root()->Text(), "x:y\\z.ini") << "':' and '\\' are part of a Linux file name";
    EXPECT_EQ(main->Caption(), Ansi("x:y\\z.ini — Ini文件查看器"));
    EXPECT_EQ(IndexOf(Root()).data(Qt::ToolTipRole).toString().toStdString(), path);

    // A relative path: the tooltip names the file from the root all the same.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    File("rel.ini", kSimple);
    TypePathAndEnter("rel.ini");
    std::filesystem::current_path(before);
    EXPECT_EQ(main->Caption(), Ansi("rel.ini — Ini文件查看器"));
    EXPECT_EQ(Root()->Hint(), std::filesystem::canonical(folder).string() + "/rel.ini");

    // A missing file leaves the title of the file still shown.
    AnswerNextMessage(Qt::Key_Return);
    TypePathAndEnter(Path("missing.ini"));
    EXPECT_EQ(main->Caption(), Ansi("rel.ini — Ini文件查看器"));
}

TEST_F(DesktopTest, TheWindowHasTheProgramsIconInEveryDesktopSizeOnceDrawn) {
    // A window still hidden has drawn nothing, nor its icon.
    TForm1 hidden(Application);
    QApplication::processEvents();
    EXPECT_FALSE(WidgetOf(hidden)->testAttribute(Qt::WA_SetWindowIcon));

    QWidget* window = WidgetOf(*main);
    window->repaint();
    QApplication::processEvents();
    EXPECT_TRUE(window->testAttribute(Qt::WA_SetWindowIcon));
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(64, 64)));
    EXPECT_FALSE(window->windowIcon().pixmap(32, 32).isNull());
}

TEST_F(DesktopTest, AFileNamedAtStartLoadsOnceTheWindowServesEvents) {
    const std::string path = File("start.ini", kSimple);
    main->OpenAtStart(path);
    EXPECT_EQ(main->ledtfname->Text(), path) << "as if typed";
    EXPECT_EQ(Root(), nullptr) << "not before the window serves events";
    QApplication::processEvents();
    EXPECT_EQ(CurrentIniPath, path);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window"}));
    EXPECT_EQ(QApplication::focusWidget(), tree) << "a file is shown: the tree has the focus";

    AnswerNextMessage(Qt::Key_Return);
    main->OpenAtStart(Path("missing.ini"));
    QApplication::processEvents();
    EXPECT_EQ(messages, std::vector<std::string>{Ansi("不存在这个文件！")});
    EXPECT_EQ(CurrentIniPath, path);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*main->ledtfname));
}

TEST_F(DesktopTest, AFileDroppedOnAnyPartOfTheWindowLoads) {
    const std::string first = File("first.ini", kSimple);
    const std::string second = File("second.ini", "[Only]\nk=v\n");
    EXPECT_TRUE(Drop(list->viewport(), {UrlOf(first)}));
    EXPECT_EQ(CurrentIniPath, first);
    EXPECT_EQ(main->ledtfname->Text(), first);

    // On the field, the file loads instead of its address going into the text.
    EXPECT_TRUE(Drop(WidgetOf(*main->ledtfname), {UrlOf(second), UrlOf(first)}));
    EXPECT_EQ(CurrentIniPath, second) << "the first of several";
    EXPECT_EQ(main->ledtfname->Text(), second);
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"Only"});

    EXPECT_FALSE(Drop(WidgetOf(*main), {QUrl("https://example.org/a.ini")})) << "only local files";
    EXPECT_EQ(CurrentIniPath, second);

    // A name that is no UTF-8 arrives with its own bytes: under a GBK locale, 中.ini.
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    const std::string gbkName = File("\xD6\xD0.ini", kSimple);
    EXPECT_TRUE(Drop(tree->viewport(), {QUrl::fromEncoded(QByteArray::fromStdString(
                                            "file://" + folder.string() + "/%D6%D0.ini"))}));
    EXPECT_EQ(CurrentIniPath, gbkName);
    EXPECT_EQ(IndexOf(Root()).data().toString(), QString::fromUtf8("中.ini"));
}

TEST_F(DesktopTest, NothingIsDroppedOnTheWindowWhileADialogIsOpen) {
    const std::string path = File("first.ini", kSimple);
    bool taken = true;
    WhenModal([&](TCustomForm& dialog) {
        taken = Drop(tree->viewport(), {UrlOf(path)});
        dialog.RequestClose();
    });
    main->BitBtn1Click(main->BitBtn1);
    QApplication::processEvents();
    EXPECT_FALSE(taken);
    EXPECT_EQ(CurrentIniPath, "");
}

TEST_F(DesktopTest, TheTreeKeepsTheWidthTheUserDraggedItToForTheNextRun) {
    QWidget* bar = WidgetOf(*main->Splitter1);
    const int before = main->tree1->Width();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 50));
    QTest::mouseMove(bar, QPoint(63, 50));
    // The bar has followed the pointer.
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 50));
    EXPECT_EQ(main->tree1->Width(), before + 60);
    const int listRight = main->ListView1->Left() + main->ListView1->Width();
    EXPECT_EQ(main->ListView1->Left(), main->Splitter1->Left() + main->Splitter1->Width());

    main.reset(new TForm1(Application));
    EXPECT_EQ(main->tree1->Width(), before + 60) << "kept between runs";
    EXPECT_EQ(main->ListView1->Left() + main->ListView1->Width(), listRight);

    // The list keeps room for itself, whatever the tree was given.
    main->Splitter1->SetBeforeSize(10000);
    EXPECT_EQ(main->ListView1->Width(), main->Splitter1->MinSize());
}

TEST_F(DesktopTest, TheFieldGrowsWithTheWindowWhichKeepsItAndTheButtonsWhole) {
    auto* form = static_cast<TCustomForm*>(main.get());
    const int fieldWidth = main->ledtfname->Width();
    const int browseGap = form->ClientWidth() - (main->Btnliu->Left() + main->Btnliu->Width());
    form->SetClientSize(form->ClientWidth() + 200, form->ClientHeight());
    EXPECT_EQ(main->ledtfname->Width(), fieldWidth + 200);
    EXPECT_EQ(form->ClientWidth() - (main->Btnliu->Left() + main->Btnliu->Width()), browseGap);
    form->SetClientSize(10, 10);
    EXPECT_GT(main->ledtfname->Width(), 100) << "the smallest window still shows a usable field";
    EXPECT_LE(main->Btnliu->Left() + main->Btnliu->Width(), form->ClientWidth());
    EXPECT_GE(main->ledtfname->Left() - main->ledtfname->EditLabel().Width(), main->BitBtn1->Left() + main->BitBtn1->Width());
}

// As at a scale factor of 2 on a 1280 x 1024 screen, where the screen is smaller than the
// window was laid out for.
TEST_F(DesktopTest, AWindowPastTheScreensEdgeOrLargerThanItIsShownInsideTheWorkArea) {
    auto* form = static_cast<TCustomForm*>(main.get());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const auto shownAt = [&](int left, int top, int width, int height) {
        form->Hide();
        form->SetBounds(left, top, width, height);
        form->Show();
        return WidgetOf(*main)->frameGeometry();
    };
    QRect frame = shownAt(area.right() - 100, area.bottom() - 50, 489, 353);
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y();
    EXPECT_EQ(QSize(form->ClientWidth(), form->ClientHeight()), QSize(489, 353)) << "a window that fits keeps its size";

    frame = shownAt(area.left() - 30, area.top() - 20, area.width() + 400, area.height() + 300);
    EXPECT_TRUE(area.contains(frame)) << frame.width() << "x" << frame.height();
    EXPECT_EQ(frame.size(), area.size()) << "shrunk to the work area, no further";

    // Never below the smallest size that shows the field and the buttons whole: then at least
    // its top left corner, and the title bar, stay on the screen.
    form->SetMinClientSize(area.width() + 100, 160);
    frame = shownAt(area.right() - 10, area.top() + 10, area.width() + 200, 200);
    EXPECT_EQ(frame.topLeft(), area.topLeft() + QPoint(0, 10));
    EXPECT_EQ(form->ClientWidth(), area.width() + 100);
}

}  // namespace
}  // namespace apptest

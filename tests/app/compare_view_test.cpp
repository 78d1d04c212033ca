// The compare view in the window: what its tree and list show and mark (for the eye and for
// screen readers), the option that hides what is the same, F7 and Shift+F7 through the
// differences, a refused copy told by its key, another program's change followed, and Esc
// back to the ordinary view.
#include "main_window_fixture.h"

#include <QDialog>
#include <QLineEdit>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/file_load.h"
#include "encoding/code_page.h"
#include "platform/file_chooser_seam.h"
#include "ui/check_box.h"
#include "ui/label.h"
#include "ui/panel.h"

namespace apptest {
namespace {

class CompareViewTest : public MainWindowTest {
protected:
    // Names and marks compared below are UTF-8.
    ScopedLocale desktop{"C.UTF-8", TCodePage::Utf8};

    // Ctrl+D on the ordinary tree, the other file's path typed into the chooser.
    void CompareWith(const std::string& path, bool waitForComparison = true) {
        ScopedSeam hook(SetFileChooserShownHook, [&](QDialog& chooser) {
            auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QString::fromStdString(path));
            QTest::keyClick(name, Qt::Key_Return);
        });
        WidgetOf(*main->tree1)->setFocus();
        QTest::keyClick(tree, Qt::Key_D, Qt::ControlModifier);
        if (waitForComparison) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return Root() != nullptr; }, 3000)) << "no comparison shown";
        }
    }
    template <typename T>
    T& Part(const char* name) const {
        auto* part = dynamic_cast<T*>(main->FindComponent(name));
        if (!part) throw std::runtime_error(std::string("no ") + name);
        return *part;
    }
    TTreeView& Tree() const { return Part<TTreeView>("CompareTree"); }
    TListView& List() const { return Part<TListView>("CompareList"); }
    std::string State() const { return Part<TLabel>("CompareState").Caption(); }
    TTreeNode* Root() const {
        auto* view = dynamic_cast<TTreeView*>(main->FindComponent("CompareTree"));
        return view ? view->Items().GetFirstNode() : nullptr;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // Each section node as "name:description".
    std::vector<std::string> Nodes() const {
        std::vector<std::string> nodes;
        for (int i = 0; i < Root()->Count(); ++i)
            nodes.push_back(Root()->Item(i)->Text() + ":" + Root()->Item(i)->Description());
        return nodes;
    }
    // Each row as "key|left|right:description".
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < List().Items().Count(); ++i) {
            const TListItem& row = *List().Items().Item(i);
            rows.push_back(row.Caption() + "|" + row.SubItems().At(0) + "|" + row.SubItems().At(1) + ":" +
                           row.Description());
        }
        return rows;
    }
    // The section and the row selected, as "section/key".
    std::string Selection() const {
        const TTreeNode* node = Tree().Selected();
        const TListItem* row = List().Selected();
        return (node ? node->Text() : "-") + "/" + (row ? row->Caption() : "-");
    }
};

using Texts = std::vector<std::string>;

const std::string kLeft = "[same]\nk=1\n[changed]\na=1\nb=2\nc=3\n[left]\nx=1\n";
const std::string kRight = "[CHANGED]\nA = 1\nb=20\nd=4\n[Same]\nk = 1\n[right]\ny=2\n";

TEST_F(CompareViewTest, TheViewMarksEachSectionAndRowAndShowsOnlyDifferencesUntilAskedForAll) {
    Load(kLeft, "left.ini");
    CompareWith(File("right.ini", kRight));
    EXPECT_FALSE(WidgetOf(*main->tree1)->isVisible());
    EXPECT_TRUE(WidgetOf(Tree())->isVisible());
    EXPECT_EQ(Nodes(), (Texts{"changed:不同", "left:仅左边有", "right:仅右边有"}));
    EXPECT_NE(State().find("差异 5 处"), std::string::npos) << State();

    Key(Qt::Key_F7);
    EXPECT_EQ(Rows(), (Texts{"b|2|20:不同", "c|3|:仅左边有", "d||4:仅右边有"}));

    Part<TCheckBox>("CompareOnlyDifferences").SetChecked(false);
    Part<TCheckBox>("CompareOnlyDifferences").OnClick(nullptr);
    EXPECT_EQ(Nodes(), (Texts{"same:相同", "changed:不同", "left:仅左边有", "right:仅右边有"}));
    EXPECT_EQ(Selection(), "changed/b") << "the selection stays where it was";
    EXPECT_EQ(Rows(), (Texts{"a|1|1:相同", "b|2|20:不同", "c|3|:仅左边有", "d||4:仅右边有"}));
}

TEST_F(CompareViewTest, F7AndShiftF7GoThroughEveryDifferenceInOrderAndStopAtTheEnds) {
    Load(kLeft, "left.ini");
    CompareWith(File("right.ini", kRight));
    Texts forward;
    for (int i = 0; i < 5; ++i) {
        Key(Qt::Key_F7);
        forward.push_back(Selection());
    }
    EXPECT_EQ(forward, (Texts{"changed/b", "changed/c", "changed/d", "left/-", "right/-"}));
    Key(Qt::Key_F7);
    EXPECT_EQ(Selection(), "right/-") << "past the last difference nothing moves";
    Texts backward;
    for (int i = 0; i < 4; ++i) {
        Key(Qt::Key_F7, Qt::ShiftModifier);
        backward.push_back(Selection());
    }
    EXPECT_EQ(backward, (Texts{"left/-", "changed/d", "changed/c", "changed/b"}));
    // A row difference takes the keyboard into the list, where the key menu copies it.
    EXPECT_EQ(QApplication::focusWidget(), ItemViewOf(List()));
}

TEST_F(CompareViewTest, ACopyTheTargetCannotHoldIsRefusedNamingTheKeyAndWritesNothing) {
    const std::string gbk = *Utf8ToCodePage("[s]\n; 这是游戏的默认设置文件，请不要随意修改其中的任何内容\nk=1\n", TCodePage::Gbk);
    Load(gbk, "left.ini");
    const std::string right = File("right.ini", "[s]\nk=\xEC\x95\x88\xEB\x85\x95\n");  // Korean, in UTF-8
    CompareWith(right);
    Key(Qt::Key_F7);
    ASSERT_EQ(Selection(), "s/k");
    AnswerNextMessage(Qt::Key_Return);
    nextChoice = List().PopupMenu()->Item(1);  // 复制到左边
    ClickWith(ItemViewOf(List()), Qt::RightButton, CentreOf(ItemViewOf(List()), ItemViewOf(List())->model()->index(0, 0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 3000));
    EXPECT_NE(messages[0].find("[s] k"), std::string::npos) << messages[0];
    EXPECT_EQ(ReadBytes(Path("left.ini")), gbk);
}

TEST_F(CompareViewTest, AnotherProgramsChangeOfTheRightFileIsFollowedKeepingTheSelection) {
    Load(kLeft, "left.ini");
    const std::string right = File("right.ini", kRight);
    CompareWith(right);
    Key(Qt::Key_F7);
    Key(Qt::Key_F7);
    ASSERT_EQ(Selection(), "changed/c");
    WriteBytes(right, "[CHANGED]\nA = 1\nb=2\nd=4\n[Same]\nk = 1\n[right]\ny=2\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().find("差异 4 处") != std::string::npos; }, 5000)) << State();
    EXPECT_EQ(Selection(), "changed/c");
    EXPECT_EQ(Rows(), (Texts{"c|3|:仅左边有", "d||4:仅右边有"}));
}

TEST_F(CompareViewTest, EscGivesTheOrdinaryViewOfTheLeftFileBack) {
    Load(kLeft, "left.ini");
    CompareWith(File("right.ini", kRight));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(WidgetOf(Tree())->isVisible());
    EXPECT_TRUE(WidgetOf(*main->tree1)->isVisible());
    EXPECT_TRUE(WidgetOf(*main->StatusLine)->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), tree);
    EXPECT_EQ(main->Caption().find("left.ini"), 0u) << main->Caption();
    // Ctrl+F is the ordinary view's again: the find bar opens.
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_NE(QApplication::focusWidget(), tree);
}

TEST_F(CompareViewTest, ALongComparisonLeavesTheWindowFreeSaysHowFarItIsPastASecondAndEscCancelsIt) {
    Load(kLeft, "left.ini");
    const std::string right = File("right.ini", kRight);
    // The right file's read waits at its first step until it is cancelled.
    std::atomic<bool> cancelled = false;
    const std::size_t savedStep = TFileLoad::StepBytes;
    TFileLoad::StepBytes = 16;
    TFileLoad::AfterStep = [&](const TFileLoad& load) {
        if (load.Path() != right) return;
        while (!load.Cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        cancelled = true;
    };
    CompareWith(right, false);
    EXPECT_NE(State().find("正在比较…"), std::string::npos) << State();
    EXPECT_EQ(State().find('%'), std::string::npos) << "no figures in the first second";
    // The left file read whole, the right one at its first step: between a quarter and a half.
    EXPECT_TRUE(QTest::qWaitFor([&] { return State().find("%（已用") != std::string::npos; }, 3000)) << State();
    const int percent = std::stoi(State().substr(State().find(' ') + 1));
    EXPECT_TRUE(percent >= 25 && percent < 50) << State();
    Key(Qt::Key_Escape);
    EXPECT_TRUE(WidgetOf(*main->tree1)->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return cancelled.load(); }, 2000));
    QTest::qWait(50);  // the held step returns before the hook goes
    TFileLoad::AfterStep = nullptr;
    TFileLoad::StepBytes = savedStep;
}

}  // namespace
}  // namespace apptest

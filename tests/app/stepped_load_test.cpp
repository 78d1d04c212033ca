// A big file is read on a thread of its own: the window serves its events meanwhile, says how
// far the load is, refuses commands until the file is shown, and loading another file replaces
// the load under way, which is never shown.
#include "main_window_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "app/file_load.h"
#include "ui/combo_box.h"
#include "ui/label.h"

namespace apptest {
namespace {

const std::string kSimple = "[General]\nName=Sample\nVersion=1.4\n\n[Window]\nLeft=100\n";

class SteppedLoadTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Every file read on a thread, in many steps; the held file waits at each step.
        TFileLoad::BackgroundBytes = 0;
        TFileLoad::StepBytes = 16;
        TFileLoad::AfterStep = [this](const TFileLoad& load) {
            if (load.Path() != heldPath) return;
            heldPercent = load.PercentRead();
            while (held && !load.Cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (load.Cancelled()) heldCancelled = true;
        };
        big = File("big.ini", Repeated("[A]\nx=1\n", 200));
        heldPath = big;
    }
    void TearDown() override {
        held = false;
        MainWindowTest::TearDown();
        TFileLoad::AfterStep = nullptr;
        TFileLoad::BackgroundBytes = savedBackground_;
        TFileLoad::StepBytes = savedStep_;
    }

    static std::string Repeated(const std::string& text, int times) {
        std::string all;
        for (int i = 0; i < times; ++i) all += text;
        return all;
    }
    void WaitUntilLoaded() {
        for (int waited = 0; waited < 5000 && main->Loading(); waited += 10) QTest::qWait(10);
        ASSERT_FALSE(main->Loading());
    }
    void Undo() {
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
    }

    std::string big;
    std::string heldPath;  // set before the loads start, read by their threads
    std::atomic<bool> held = true;
    std::atomic<int> heldPercent = -1;
    std::atomic<bool> heldCancelled = false;

private:
    const std::size_t savedBackground_ = TFileLoad::BackgroundBytes;
    const std::size_t savedStep_ = TFileLoad::StepBytes;
};

TEST_F(SteppedLoadTest, TheWindowServesEventsDuringALoadAndAnotherFileReplacesIt) {
    const std::string other = File("other.ini", kSimple);
    TypePathAndEnter(big);
    ASSERT_TRUE(main->Loading());
    EXPECT_EQ(Root(), nullptr) << "nothing is shown before the file is whole";
    EXPECT_EQ(TScreen::Instance().Cursor(), TCursor::crHourGlass);
    bool firedWhileLoading = false;
    QTimer::singleShot(0, [&] { firedWhileLoading = main->Loading(); });
    QTest::qWait(30);
    EXPECT_TRUE(firedWhileLoading) << "a timer's event is served while the file is read";
    EXPECT_GE(heldPercent, 0);

    TypePathAndEnter(other);
    WaitUntilLoaded();
    EXPECT_EQ(CurrentIniPath, other);
    ASSERT_NE(Root(), nullptr);
    EXPECT_EQ(Root()->Text(), "other.ini");
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window"}));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Version=1.4"}));
    EXPECT_EQ(main->Caption().rfind("other.ini", 0), 0u) << main->Caption();
    EXPECT_NE(TScreen::Instance().Cursor(), TCursor::crHourGlass);

    // The replaced load stopped part way and its end changes nothing.
    for (int waited = 0; waited < 1000 && !heldCancelled; waited += 10) QTest::qWait(10);
    EXPECT_TRUE(heldCancelled);
    EXPECT_LT(heldPercent, 100);
    QTest::qWait(50);
    EXPECT_EQ(CurrentIniPath, other);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window"}));
}

TEST_F(SteppedLoadTest, CommandsWaitForTheLoadAndTheStatusLineSaysHowFarItIs) {
    held = false;
    const std::string small = File("small.ini", kSimple);
    TypePathAndEnter(small);
    WaitUntilLoaded();
    main->ListView1->SetSelected(Row(0));
    AnswerNextMessage(Qt::Key_Return);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    const std::string edited = ReadBytes(small);
    ASSERT_EQ(edited, WithoutLine(kSimple, "Name=Sample"));

    held = true;
    TypePathAndEnter(big);
    ASSERT_TRUE(main->Loading());
    EXPECT_FALSE(main->EncodingBox->Enabled());
    AnswerNextMessage(Qt::Key_Return);
    Undo();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.back(), Ansi("文件还在读取中，读完后再试。"));
    EXPECT_EQ(ReadBytes(small), edited) << "the undo waits for the load";

    EXPECT_EQ(main->LineEndLabel->Caption(), "") << "a short load says nothing";
    QTest::qWait(1200);
    const std::string status = main->LineEndLabel->Caption();
    EXPECT_EQ(status.rfind(Ansi("正在读取 big.ini… "), 0), 0u) << status;
    EXPECT_NE(status.find("%"), std::string::npos) << status;

    held = false;
    WaitUntilLoaded();
    EXPECT_EQ(main->LineEndLabel->Caption(), Ansi("换行符 LF"));
    EXPECT_TRUE(main->EncodingBox->Enabled());
    EXPECT_EQ(Root()->Text(), "big.ini");
    EXPECT_EQ(Root()->Count(), 200);
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"x=1"}));
}

}  // namespace
}  // namespace apptest

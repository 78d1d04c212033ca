// A section of a big file is listed on a thread of its own: the window serves its events
// meanwhile, refuses commands until the rows are there, shows the file as it is then, and a
// click on another section or another file replaces the listing, which is never shown.
#include "main_window_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "app/file_load.h"
#include "app/section_listing.h"
#include "ui/label.h"

namespace apptest {
namespace {

const std::string kTwoSections = "[Big]\na=1\nb=2\n[Small]\ns=3\n";

class SectionListingTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Every file counts as big; the held section's listing waits before it reads.
        TFileLoad::BackgroundBytes = 0;
        TSectionListing::BeforeListing = [this](const std::string& section) {
            if (section != "Big") return;
            ++heldListings;
            while (held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ++releasedListings;
        };
        path = Load(kTwoSections);
        WaitUntilIdle();
    }
    void TearDown() override {
        held = false;
        MainWindowTest::TearDown();
        TSectionListing::BeforeListing = nullptr;
        TFileLoad::BackgroundBytes = savedBackground_;
    }

    void WaitUntilIdle() {
        for (int waited = 0; waited < 5000 && main->Loading(); waited += 10) QTest::qWait(10);
        ASSERT_FALSE(main->Loading());
    }
    // Clicks the section and finds its listing held.
    void ClickHeldBig() {
        const int before = heldListings;
        ClickNode(Section(0));
        for (int waited = 0; waited < 2000 && heldListings == before; waited += 5) QTest::qWait(5);
        ASSERT_GT(heldListings, before);
        ASSERT_TRUE(main->Loading());
    }
    void ReleaseAndWaitForTheThread() {
        held = false;
        for (int waited = 0; waited < 2000 && releasedListings < heldListings; waited += 5) QTest::qWait(5);
        QTest::qWait(30);
    }

    std::string path;
    std::atomic<bool> held = true;
    std::atomic<int> heldListings = 0;
    std::atomic<int> releasedListings = 0;

private:
    const std::size_t savedBackground_ = TFileLoad::BackgroundBytes;
};

TEST_F(SectionListingTest, TheWindowServesEventsAndRefusesCommandsUntilTheRowsAreThere) {
    ClickNode(Section(1));
    WaitUntilIdle();
    ASSERT_EQ(ListRows(), (std::vector<std::string>{"s=3"})) << "a quick listing shows as a click's";

    ClickHeldBig();
    EXPECT_TRUE(ListRows().empty()) << "no rows of the section clicked before stay to be acted on";
    EXPECT_EQ(TScreen::Instance().Cursor(), TCursor::crHourGlass);
    bool firedWhileListing = false;
    QTimer::singleShot(0, [&] { firedWhileListing = main->Loading(); });
    QTest::qWait(30);
    EXPECT_TRUE(firedWhileListing);

    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(0), main->mtreeadd);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.back(), Ansi("关键字还在列出中，列完后再试。"));
    EXPECT_EQ(ReadBytes(path), kTwoSections);

    EXPECT_EQ(main->LineEndLabel->Caption(), Ansi("换行符 LF")) << "a short listing says nothing";
    QTest::qWait(1200);
    const std::string status = main->LineEndLabel->Caption();
    EXPECT_EQ(status.rfind(Ansi("正在列出关键字…（已用 1 秒）"), 0), 0u) << status;

    held = false;
    WaitUntilIdle();
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"a=1", "b=2"}));
    EXPECT_EQ(main->LineEndLabel->Caption(), Ansi("换行符 LF"));
    EXPECT_NE(TScreen::Instance().Cursor(), TCursor::crHourGlass);
    EXPECT_EQ(main->tree1->Selected(), Section(0));
}

TEST_F(SectionListingTest, AClickOnAnotherSectionReplacesTheListing) {
    ClickHeldBig();
    ClickNode(Section(1));
    // The replaced listing still holds the service: this one goes on a thread as well.
    WaitUntilIdle();
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"s=3"}));
    EXPECT_NE(TScreen::Instance().Cursor(), TCursor::crHourGlass);

    ReleaseAndWaitForTheThread();
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"s=3"})) << "the replaced listing ends unseen";
    EXPECT_EQ(main->tree1->Selected(), Section(1));
    EXPECT_FALSE(main->Loading());
}

TEST_F(SectionListingTest, LoadingAnotherFileReplacesTheListing) {
    const std::string other = File("other.ini", "[Other]\no=9\n");
    ClickHeldBig();
    TypePathAndEnter(other);
    WaitUntilIdle();
    ReleaseAndWaitForTheThread();
    EXPECT_EQ(CurrentIniPath, other);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"Other"}));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"o=9"}));
    EXPECT_FALSE(main->Loading());
}

TEST_F(SectionListingTest, TheListingShowsTheFileAsItIsWhenItReadsIt) {
    // The first rows the list shows after the click are the listing's own, before the window
    // follows the change by reloading the whole file.
    std::vector<std::string> firstShown;
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, list, [&] {
        if (firstShown.empty() && main->ListView1->Items().Count() > 0) firstShown = ListRows();
    });
    ClickHeldBig();
    WriteBytes(path, "[Big]\na=changed\nc=3\n[Small]\ns=3\n");
    held = false;
    for (int waited = 0; waited < 3000 && firstShown.empty(); waited += 10) QTest::qWait(10);
    EXPECT_EQ(firstShown, (std::vector<std::string>{"a=changed", "c=3"}));
    WaitUntilIdle();
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"a=changed", "c=3"}));
}

TEST_F(SectionListingTest, FindSelectsItsMatchOnceTheSectionIsListed) {
    ClickNode(Section(1));
    WaitUntilIdle();
    const int before = heldListings;
    QWidget* view = tree;
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), '2');
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    for (int waited = 0; waited < 2000 && heldListings == before; waited += 5) QTest::qWait(5);
    ASSERT_GT(heldListings, before) << "the match's section is listed on a thread";
    EXPECT_EQ(main->tree1->Selected(), Section(0));
    EXPECT_EQ(main->ListView1->Selected(), nullptr);

    held = false;
    WaitUntilIdle();
    ASSERT_NE(main->ListView1->Selected(), nullptr);
    EXPECT_EQ(main->ListView1->Selected()->Caption(), "b");
}

}  // namespace
}  // namespace apptest

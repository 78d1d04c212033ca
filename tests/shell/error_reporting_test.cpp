#include <gtest/gtest.h>

#include <QTimer>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "shell/application.h"
#include "shell/error_text.h"
#include "support/code_page_guard.h"
#include "support/scoped_seam.h"
#include "ui/error_sink.h"
#include "ui/form.h"

namespace {

struct ShownBox {
    std::string text, caption;
    MessageBoxIcon icon;
};

// Collects the boxes the application would show, instead of showing them.
class BoxRecorder {
public:
    std::vector<ShownBox> boxes;
    std::function<void()> onBox;

private:
    ScopedSeam<MessageBoxInterceptor> seam_{SetMessageBoxInterceptor,
                                            [this](const std::string& t, const std::string& c, MessageBoxIcon i) {
                                                boxes.push_back({t, c, i});
                                                if (onBox) onBox();
                                            }};
};

}  // namespace

TEST(ErrorText, FullStopFollowsTheLastCharacter) {
    ScopedCodePage gbk(TCodePage::Gbk);
    EXPECT_EQ(MessageWithFullStop("Unable to write to /tmp/a.ini"), "Unable to write to /tmp/a.ini.");
    EXPECT_EQ(MessageWithFullStop("Done."), "Done.");
    EXPECT_EQ(MessageWithFullStop("Stop!"), "Stop!");
    EXPECT_EQ(MessageWithFullStop("Really?"), "Really?.");
    EXPECT_EQ(MessageWithFullStop("Path:"), "Path:.");
    EXPECT_EQ(MessageWithFullStop("a-"), "a-");
    EXPECT_EQ(MessageWithFullStop("line\n"), "line\n");
    EXPECT_EQ(MessageWithFullStop(""), "");
    // A Chinese character at the end counts as one character and gets an ASCII full stop.
    EXPECT_EQ(MessageWithFullStop("\xCE\xC4\xBC\xFE"), "\xCE\xC4\xBC\xFE.");
}

// Boxes carry the title: the program's name, folded in ASCII only, so that the bytes of a
// multi-byte character stay whatever the locale's single-byte folding would make of them.
TEST(ErrorText, TitleComesFromTheProgramsNameBeforeItsFirstDot) {
    EXPECT_EQ(TitleOfProgramFile("IniViewer.Bin.exe"), "Iniviewer");
    EXPECT_EQ(TitleOfProgramFile("\xC3\x84NDERN\xC3\x84"), "\xC3\x84ndern\xC3\x84");
    EXPECT_EQ(TitleOfProgramFile(".hidden"), "");
}

TEST(ErrorText, FatalTextHasClassModuleAddressAndMessageLines) {
    std::string message = "Resource TX not found";
    EXPECT_EQ(FormatFatalErrorText("EResNotFound", &message, "prog", 0x1234),
              "Exception EResNotFound in module prog at 00001234.\r\nResource TX not found.\r\n");
    EXPECT_EQ(FormatFatalErrorText("Oops", nullptr, "prog", 0), "Exception Oops in module prog at 00000000.\r\n\r\n");
    EXPECT_EQ(FormatFatalErrorText("E", &message, "prog", 0, 10).size(), 9u);
}

TEST(ErrorReporting, ExceptionIsShownWithFullStopUnderTheTitle) {
    BoxRecorder recorder;
    Application->SetAppTitle("Viewer");
    CatchErrors(nullptr, [] { throw Exception("Unable to write to x.ini"); });
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "Unable to write to x.ini.");
    EXPECT_EQ(recorder.boxes[0].caption, "Viewer");
    EXPECT_EQ(recorder.boxes[0].icon, MessageBoxIcon::Error);
}

TEST(ErrorReporting, AbortIsSilent) {
    BoxRecorder recorder;
    CatchErrors(nullptr, [] { throw EAbort("quiet"); });
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(ErrorReporting, OtherWindowsAreDisabledWhileTheBoxIsUp) {
    BoxRecorder recorder;
    TForm window(Application);
    window.SetClientSize(100, 80);
    window.Show();
    bool enabledDuringBox = true;
    recorder.onBox = [&] { enabledDuringBox = window.Enabled(); };
    Application->ShowErrorMessage("x");
    EXPECT_FALSE(enabledDuringBox);
    EXPECT_TRUE(window.Enabled());
    window.Hide();
}

namespace {
class TLoggingForm : public TForm {
public:
    TLoggingForm(TComponent* owner, std::vector<std::string>& log, std::string name) : TForm(owner), log_(log) {
        SetName(std::move(name));
    }
    ~TLoggingForm() override { log_.push_back(Name()); }

private:
    std::vector<std::string>& log_;
};
}  // namespace

using ApplicationDeathTest = testing::Test;

TEST_F(ApplicationDeathTest, LoopGoesOnAfterAnErrorAndEndsOnQuit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            BoxRecorder recorder;
            TForm* main = nullptr;
            Application->CreateAppWindow(main);
            main->SetClientSize(200, 100);
            bool secondRan = false;
            QTimer::singleShot(0, [] { CatchErrors(nullptr, [] { throw Exception("first"); }); });
            QTimer::singleShot(5, [&] {
                secondRan = true;
                main->RequestClose();  // the main window's close ends the program
            });
            Application->RunEventLoop();
            bool ok = secondRan && recorder.boxes.size() == 1 && Application->QuitRequested();
            std::exit(ok ? 0 : 3);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(ApplicationDeathTest, ShutdownDestroysNewestWindowFirst) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::vector<std::string> log;
            new TLoggingForm(Application, log, "first");
            new TLoggingForm(Application, log, "second");
            new TLoggingForm(Application, log, "third");
            Application->ShutdownApplication();
            std::exit(log == std::vector<std::string>{"third", "second", "first"} ? 0 : 3);
        },
        testing::ExitedWithCode(0), "");
}

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <QWidget>

#include "dialogs/dialog_units.h"
#include "dialogs/message_dialog.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "shell/application.h"
#include "shell/modal.h"
#include "support/modal_driver.h"
#include "support/scoped_seam.h"
#include "ui/button.h"
#include "ui/screen.h"
#include "ui/text_metrics.h"
#include "ui/widget_access.h"

namespace {

enum class Act { Enter, Esc, Close };

// Shows a warning, acts once, and closes the dialog when the act left it open; the result
// is -1 in that case.
TModalResult ResultAfter(TMessageButtons buttons, Act act) {
    bool stayedOpen = false;
    WhenNextModalShown([&](TCustomForm& form) {
        if (act == Act::Close) {
            WidgetOf(form)->close();  // the close box
            return;
        }
        PressKey(form, act == Act::Enter ? Qt::Key_Return : Qt::Key_Escape);
        stayedOpen = form.ModalResult() == ResultNone;
        if (stayedOpen) form.RequestClose();
    });
    TModalResult result = ShowMessageDialog("m", MsgWarning, buttons, 0);
    return stayedOpen ? -1 : result;
}

TButton* ButtonOf(TCustomForm& form, const char* name) { return dynamic_cast<TButton*>(form.FindComponent(name)); }

}  // namespace

TEST(MessageDialog, EnterEscAndTheCloseBoxAnswerAsTheButtonsSay) {
    EXPECT_EQ(ResultAfter(ButtonOK, Act::Enter), ResultOk);
    EXPECT_EQ(ResultAfter(ButtonOK, Act::Esc), ResultOk);
    EXPECT_EQ(ResultAfter(ButtonYes | ButtonNo, Act::Enter), ResultYes);
    EXPECT_EQ(ResultAfter(ButtonYes | ButtonNo, Act::Esc), ResultNo);
    EXPECT_EQ(ResultAfter(ButtonYes | ButtonNo, Act::Close), ResultCancel);
    // Retry is the default, but the focus starts on Abort; nothing answers Esc.
    EXPECT_EQ(ResultAfter(ButtonAbort | ButtonRetry | ButtonIgnore, Act::Enter), ResultAbort);
    EXPECT_EQ(ResultAfter(ButtonAbort | ButtonRetry | ButtonIgnore, Act::Esc), -1);
    EXPECT_EQ(ResultAfter(0, Act::Enter), -1);
    EXPECT_EQ(ResultAfter(0, Act::Close), ResultCancel);
    EXPECT_TRUE(TScreen::Instance().Forms().empty()) << "every dialog is freed";
}

TEST(MessageDialog, ComponentsStandInTableOrderCentredUnderTheText) {
    auto form = BuildMessageForm("message", MsgWarning, ButtonHelp | ButtonNo | ButtonYes);
    std::string names;
    for (int i = 0; i < form->ComponentCount(); ++i) names += form->ComponentAt(i)->Name() + " ";
    EXPECT_EQ(names, "Image Message Yes No Help ");
    TButton *yes = ButtonOf(*form, "Yes"), *help = ButtonOf(*form, "Help");
    EXPECT_LE(std::abs(yes->Left() - (form->ClientWidth() - help->Left() - help->Width())), 1);
    EXPECT_GE(yes->Top(), 32 + form->MessageLabel()->Top());
    EXPECT_EQ(form->Caption(), "Warning");
    auto custom = BuildMessageForm("m", MsgCustom, ButtonOK);
    EXPECT_EQ(custom->Caption(), Application->AppTitle());
    EXPECT_EQ(custom->FindComponent("Image"), nullptr);
    EXPECT_EQ(custom->MessageLabel()->Left(), HorzDialogUnits(8, AverageCharSize(TFontTextMetrics(custom->Font()))));
}

// Built while a framed window is on screen, as every dialog of the program is: the client
// keeps what it was laid out for, whatever frame the desktop gives the dialog.
TEST(MessageDialog, TheButtonsLieInsideTheWindowWhateverItsFrame) {
    const TMessageButtons sets[] = {ButtonOK, ButtonYes | ButtonNo};
    std::vector<int> designed;
    for (TMessageButtons buttons : sets) designed.push_back(BuildMessageForm("m", MsgWarning, buttons)->ClientHeight());
    TForm framed(Application);
    framed.SetClientSize(300, 200);
    framed.Show();
    ASSERT_GT(framed.OuterHeight(), framed.ClientHeight());
    for (size_t i = 0; i < std::size(sets); ++i) {
        auto form = BuildMessageForm("m", MsgWarning, sets[i]);
        QSize client;
        std::vector<QRect> buttonRects;
        WhenNextModalShown([&](TCustomForm& shown) {
            client = WidgetOf(shown)->size();
            for (int c = 0; c < shown.ComponentCount(); ++c)
                if (auto* button = dynamic_cast<TButton*>(shown.ComponentAt(c)))
                    buttonRects.push_back(WidgetOf(*button)->geometry());
            shown.RequestClose();
        });
        form->SetPosition(TPosition::poScreenCenter);
        RunModal(*form);
        EXPECT_EQ(client.height(), designed[i]);
        ASSERT_EQ(buttonRects.size(), size_t(MessageButtonsIn(sets[i])));
        for (const QRect& r : buttonRects) EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(r)) << r.y() << "+" << r.height();
    }
}

TEST(MessageDialog, ATextWiderThanHalfTheScreenWraps) {
    int half = TScreen::Instance().PrimaryScreenRect().Width() / 2;
    std::string words;
    for (int i = 0; i < 200; ++i) words += "word ";
    auto form = BuildMessageForm(words, MsgInformation, ButtonOK);
    TLabel* label = form->MessageLabel();
    EXPECT_LE(label->Width(), half);
    EXPECT_GE(label->Height(), 3 * TFontTextMetrics(form->Font()).TextExtent("w").Height);
    EXPECT_GT(ButtonOf(*form, "OK")->Top(), label->Top() + label->Height());
    // One word longer than the starting width widens the text instead of breaking.
    auto wide = BuildMessageForm(std::string(size_t(half / 4), 'W'), MsgInformation, ButtonOK);
    EXPECT_GT(wide->MessageLabel()->Width(), half);
}

TEST(MessageDialog, CtrlCAloneCopiesTheDialogText) {
    QApplication::clipboard()->setText("before");
    WhenNextModalShown([](TCustomForm& form) {
        PressKey(form, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        PressKey(form, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "before");
        PressKey(form, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(form.ModalResult(), ResultNone);
        PressKey(form, Qt::Key_N);  // the access key of No
    });
    EXPECT_EQ(ShowMessageDialog("确定要删除吗？", MsgWarning, ButtonYes | ButtonNo, 0), ResultNo);
    const std::string divider = "---------------------------\r\n";
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              divider + "Warning\r\n" + divider + "确定要删除吗？\r\n" + divider + "Yes   No   \r\n" + divider);
}

TEST(MessageDialog, AClipboardThatCannotBeOpenedIsReportedAndTheDialogStays) {
    std::vector<std::string> shown;
    ScopedSeam boxes(SetMessageBoxInterceptor,
                     [&](const std::string& text, const std::string&, MessageBoxIcon) { shown.push_back(text); });
    ScopedSeam blocked(BlockClipboardForTesting, true);
    WhenNextModalShown([](TCustomForm& form) {
        PressKey(form, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(form.ModalResult(), ResultNone);
        PressKey(form, Qt::Key_Return);
    });
    EXPECT_EQ(ShowMessageDialog("m", MsgError, ButtonOK, 0), ResultOk);
    EXPECT_EQ(shown, std::vector<std::string>{"Cannot open clipboard."});
}

TEST(MessageDialog, HelpAsksForTheTopicAndKeepsTheDialogOpen) {
    std::vector<int> topics;
    ScopedSeam help(SetHelpTopicRequest, [&](int context, const std::string&) { topics.push_back(context); });
    WhenNextModalShown([](TCustomForm& form) {
        EXPECT_EQ(form.Left(), 5);
        ButtonOf(form, "Help")->Press();
        EXPECT_EQ(form.ModalResult(), ResultNone);
        QTimer::singleShot(0, [&form] { ButtonOf(form, "Cancel")->Press(); });
    });
    EXPECT_EQ(ShowMessageDialogAt("m", MsgConfirmation, ButtonCancel | ButtonHelp, 42, 5, -1, ""), ResultCancel);
    EXPECT_EQ(topics, std::vector<int>{42});
}

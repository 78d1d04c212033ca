#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Unit2.h"
#include "app/frm_main.h"
#include "dialogs/dialog_components.h"
#include "platform/message_box.h"
#include "platform/open_link.h"
#include "shell/application.h"
#include "shell/modal.h"
#include "support/modal_driver.h"
#include "support/scoped_seam.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/screen.h"
#include "ui/widget_access.h"

namespace {

void Click(TControl* control) { QTest::mouseClick(WidgetOf(*control), Qt::LeftButton); }

class AboutTest : public testing::Test {
protected:
    void SetUp() override {
        static bool registered = (RegisterDialogComponents(), true);
        (void)registered;
    }

    static std::unique_ptr<TForm1> ShownMainWindow() {
        std::unique_ptr<TForm1> main(new TForm1(Application));
        main->Show();
        return main;
    }

    std::vector<std::string> opened;
    std::vector<std::string> shown;

private:
    ScopedSeam<LinkOpener> linkSeam_{SetLinkOpener, [this](const std::string& target) { opened.push_back(target); }};
    ScopedSeam<MessageBoxInterceptor> boxSeam_{
        SetMessageBoxInterceptor,
        [this](const std::string& text, const std::string&, MessageBoxIcon) { shown.push_back(text); }};
};

}  // namespace

TEST_F(AboutTest, OpensCentredAndTheMainWindowTakesNoInputMeanwhile) {
    auto main = ShownMainWindow();
    TRect screen = TScreen::Instance().PrimaryScreenRect();
    int clicks = 0;
    bool seen = false;
    WhenNextModalShown([&](TCustomForm& dialog) {
        seen = true;
        EXPECT_EQ(&dialog, Form2);
        // Placed before its first showing, when the frame is not yet known: off by half of it at most.
        int slackX = (dialog.OuterWidth() - dialog.ClientWidth()) / 2;
        int slackY = (dialog.OuterHeight() - dialog.ClientHeight()) / 2;
        EXPECT_NEAR(dialog.Left(), (screen.Width() - dialog.OuterWidth()) / 2, slackX);
        EXPECT_NEAR(dialog.Top(), (screen.Height() - dialog.OuterHeight()) / 2, slackY);

        EXPECT_FALSE(main->Enabled());
        TNotifyEvent about = main->BitBtn1->OnClick;
        main->BitBtn1->OnClick = [&](TComponent*) { ++clicks; };
        Click(main->BitBtn1);
        main->BitBtn1->OnClick = about;
        QTest::keyClicks(WidgetOf(*main->ledtfname), "abc");
        WidgetOf(dialog)->close();
    });
    main->BitBtn1->Press();
    EXPECT_TRUE(seen);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(main->ledtfname->Text(), "");
    EXPECT_TRUE(main->Enabled());
    EXPECT_TRUE(main->IsActiveWindow()) << "closing returns to the main window";
    main->Hide();
}

TEST_F(AboutTest, EscAndEnterDoNothingAndTheCloseBoxEndsWithCancel) {
    TForm2 dialog(Application);
    WhenNextModalShown([&](TCustomForm&) {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) PressKey(dialog, key);
        EXPECT_EQ(dialog.ModalResult(), ResultNone);
        EXPECT_TRUE(dialog.Visible());
        WidgetOf(dialog)->close();
    });
    EXPECT_EQ(RunModal(dialog), ResultCancel);
    EXPECT_FALSE(dialog.Visible());
}

TEST_F(AboutTest, EachLabelHandsItsOwnFixedTargetToTheDesktop) {
    TForm2 dialog(Application);
    std::string address3, address4;
    WhenNextModalShown([&](TCustomForm&) {
        address3 = dialog.Label3->Caption();
        address4 = dialog.Label4->Caption();
        for (TLabel* label : {dialog.Label1, dialog.Label2, dialog.Label5, dialog.Label3, dialog.Label4})
            Click(label);
        EXPECT_EQ(dialog.ModalResult(), ResultNone) << "a link leaves the dialog open";
        // A label showing something else still leads to the same place.
        dialog.Label3->SetCaption("someone@example.net");
        Click(dialog.Label3);
        Click(dialog.Label6);  // the author's credit is no link
        WidgetOf(dialog)->close();
    });
    RunModal(dialog);
    const std::string firstSite = "https://www.example.com/", secondSite = "https://downloads.example.org/";
    std::vector<std::string> expected = {firstSite,           secondSite,          firstSite,
                                         "mailto:" + address3, "mailto:" + address4, "mailto:" + address3};
    EXPECT_EQ(opened, expected);
    EXPECT_NE(address3, address4);
    EXPECT_NE(address3.find('@'), std::string::npos);
}

TEST_F(AboutTest, AnOpeningThatFailsRaisesNothingAndShowsNothing) {
    int attempts = 0;
    ScopedSeam failingOpener(SetLinkOpener, [&](const std::string& target) {
        ++attempts;
        if (target.rfind("mailto:", 0) == 0) throw Exception("No mail program");
        throw std::runtime_error("no browser");
    });
    TForm2 dialog(Application);
    WhenNextModalShown([&](TCustomForm&) {
        for (TLabel* label : {dialog.Label1, dialog.Label2, dialog.Label5, dialog.Label3, dialog.Label4})
            Click(label);
        EXPECT_TRUE(dialog.Visible());
        EXPECT_EQ(dialog.ModalResult(), ResultNone);
        WidgetOf(dialog)->close();
    });
    EXPECT_EQ(RunModal(dialog), ResultCancel);
    EXPECT_EQ(attempts, 5);
    EXPECT_EQ(shown, std::vector<std::string>{});
}

TEST_F(AboutTest, EveryOpeningMakesAFreshDialogAndFreesIt) {
    auto main = ShownMainWindow();
    size_t windows = TScreen::Instance().Forms().size();
    int owned = Application->ComponentCount();
    for (int round = 0; round < 3; ++round) {
        size_t windowsWhileOpen = 0;
        WhenNextModalShown([&](TCustomForm& dialog) {
            windowsWhileOpen = TScreen::Instance().Forms().size();
            EXPECT_EQ(&dialog, Form2);
            WidgetOf(dialog)->close();
        });
        main->BitBtn1Click(main->BitBtn1);
        EXPECT_EQ(windowsWhileOpen, windows + 1) << "round " << round;
        EXPECT_EQ(TScreen::Instance().Forms().size(), windows) << "round " << round;
        EXPECT_EQ(Application->ComponentCount(), owned) << "round " << round;
    }
    main->Hide();
}

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <set>

#include "platform/message_box.h"
#include "shell/application.h"
#include "support/modal_driver.h"
#include "support/scoped_seam.h"
#include "shell/modal.h"
#include "shell/modal_scope.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/layout_reader.h"
#include "ui/panel.h"
#include "ui/screen.h"
#include "ui/widget_access.h"

namespace {

const char* kDialogLayout = R"(
TestDialog : TTestDialog {
  ClientWidth = 240
  ClientHeight = 120
  Caption = "test"
  BorderStyle = bsDialog
  Position = poScreenCenter
  Field : TEdit { Left = 8; Top = 8; Width = 120; Height = 20; TabOrder = 0 }
  Ok : TButton { Left = 8; Top = 40; Width = 60; Height = 24; Caption = "OK"; ModalResult = ResultOk; Default = true; TabOrder = 1 }
  Plain : TButton { Left = 72; Top = 40; Width = 60; Height = 24; Caption = "Plain"; TabOrder = 2 }
  Add : TButton { Left = 136; Top = 40; Width = 60; Height = 24; Caption = "&Add"; OnClick = AddClick; TabOrder = 3 }
  Quit : TBitBtn { Left = 8; Top = 80; Width = 60; Height = 24; Caption = "Cancel"; Kind = bkCancel; TabOrder = 4 }
  Fail : TButton { Left = 72; Top = 80; Width = 60; Height = 24; Caption = "Fail"; OnClick = FailClick; TabOrder = 5 }
}
)";

class TTestDialog : public TForm {
public:
    explicit TTestDialog(TComponent* owner) : TForm(owner) {
        static bool registered = (RegisterLayoutText("TTestDialog", kDialogLayout), true);
        (void)registered;
        Bind("AddClick", &TTestDialog::AddClick);
        Bind("FailClick", &TTestDialog::FailClick);
        LoadLayoutOf("TTestDialog");
    }
    void AddClick(TComponent*) {
        SetTag(1);
        RequestClose();
    }
    void FailClick(TComponent*) { throw Exception("handler failed"); }
    TButton* Button(const char* name) { return Find<TButton>(name); }
    TEdit* Field() { return Find<TEdit>("Field"); }
};

// Runs fn once the modal loop that is about to start serves events.
void WhenModal(std::function<void()> fn) {
    WhenNextModalShown([fn = std::move(fn)](TCustomForm&) { fn(); });
}

void Key(TCustomForm& form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : WidgetOf(form);
    QTest::keyClick(target, key, mods);
}

class ModalTest : public testing::Test {
protected:
    std::vector<std::string> shownErrors;

private:
    ScopedSeam<MessageBoxInterceptor> boxSeam_{
        SetMessageBoxInterceptor,
        [this](const std::string& text, const std::string&, MessageBoxIcon) { shownErrors.push_back(text); }};
};

}  // namespace

TEST_F(ModalTest, ButtonsEndTheLoopOnlyWithAModalResult) {
    TTestDialog dialog(Application);
    WhenModal([&] {
        dialog.Button("Plain")->Press();  // ModalResult 0, no OnClick: stays open
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(dialog.Visible());
            dialog.Button("Ok")->Press();
        });
    });
    EXPECT_EQ(RunModal(dialog), ResultOk);
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.InModalLoop());
}

TEST_F(ModalTest, CloseRequestsEndWithCancelAndTagTellsThemApart) {
    TTestDialog added(Application);
    WhenModal([&] { added.Button("Add")->Press(); });
    EXPECT_EQ(RunModal(added), ResultCancel);
    EXPECT_EQ(added.Tag(), 1);

    TTestDialog closed(Application);
    WhenModal([&] { WidgetOf(closed)->close(); });  // the close box
    EXPECT_EQ(RunModal(closed), ResultCancel);
    EXPECT_EQ(closed.Tag(), 0);
    EXPECT_TRUE(WidgetOf(closed) != nullptr) << "the loop hides, it does not destroy";
}

TEST_F(ModalTest, EnterPressesTheDefaultAndEscTheCancelButton) {
    TTestDialog enter(Application);
    WhenModal([&] { Key(enter, Qt::Key_Return); });
    EXPECT_EQ(RunModal(enter), ResultOk);

    TTestDialog escape(Application);
    WhenModal([&] { Key(escape, Qt::Key_Escape); });
    EXPECT_EQ(RunModal(escape), ResultCancel);

    // Enter on a focused button presses that button, not the default one.
    TTestDialog onButton(Application);
    WhenModal([&] {
        onButton.FocusControl(onButton.Button("Add"));
        QTimer::singleShot(0, [&] { Key(onButton, Qt::Key_Return); });
    });
    EXPECT_EQ(RunModal(onButton), ResultCancel);
    EXPECT_EQ(onButton.Tag(), 1);

    // Alt+A is the Add button's access key.
    TTestDialog access(Application);
    WhenModal([&] { Key(access, Qt::Key_A, Qt::AltModifier); });
    RunModal(access);
    EXPECT_EQ(access.Tag(), 1);
}

TEST_F(ModalTest, TabMovesTheFocusInTabOrder) {
    TTestDialog dialog(Application);
    WhenModal([&] {
        EXPECT_EQ(dialog.ActiveControl(), dialog.Field()) << "focus starts at tab order 0";
        Key(dialog, Qt::Key_Tab);
        EXPECT_EQ(dialog.ActiveControl(), dialog.Button("Ok"));
        Key(dialog, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(dialog.ActiveControl(), dialog.Field());
        dialog.RequestClose();
    });
    RunModal(dialog);
}

TEST_F(ModalTest, NestedLoopsDisableTheOuterWindowsAndRestoreThem) {
    TForm owner(Application);
    owner.SetClientSize(300, 200);
    owner.Show();
    TTestDialog outer(Application), inner(Application);
    bool ownerEnabledInOuter = true, outerEnabledInInner = true, outerEnabledAfterInner = false;
    bool outerActiveAfterInner = false;
    WhenModal([&] {
        ownerEnabledInOuter = owner.Enabled();
        WhenModal([&] {
            outerEnabledInInner = outer.Enabled();
            inner.Button("Ok")->Press();
        });
        RunModal(inner);
        outerEnabledAfterInner = outer.Enabled();
        outerActiveAfterInner = outer.IsActiveWindow();
        outer.RequestClose();
    });
    RunModal(outer);
    EXPECT_FALSE(ownerEnabledInOuter);
    EXPECT_FALSE(outerEnabledInInner);
    EXPECT_TRUE(outerEnabledAfterInner);
    EXPECT_TRUE(outerActiveAfterInner);
    EXPECT_TRUE(owner.Enabled());
    EXPECT_TRUE(owner.IsActiveWindow());
    owner.Hide();
}

// Desktops minimize a dialog together with the windows it stands over; a loop waiting for an
// answer from a window out of reach would leave the program stuck.
TEST_F(ModalTest, NeitherTheDialogNorItsOwnerStaysMinimized) {
    TForm owner(Application);
    owner.SetClientSize(300, 200);
    owner.Show();
    TTestDialog dialog(Application);
    bool ownerBack = false, dialogBack = false, dialogActive = false;
    WhenModal([&] {
        WidgetOf(owner)->showMinimized();
        WidgetOf(dialog)->showMinimized();
        for (int i = 0; i < 20 && (WidgetOf(owner)->isMinimized() || WidgetOf(dialog)->isMinimized()); ++i)
            Application->DispatchNextMessage();
        ownerBack = !WidgetOf(owner)->isMinimized() && WidgetOf(owner)->isVisible();
        dialogBack = !WidgetOf(dialog)->isMinimized() && WidgetOf(dialog)->isVisible();
        dialogActive = dialog.IsActiveWindow();
        dialog.RequestClose();
    });
    RunModal(dialog);
    EXPECT_TRUE(ownerBack);
    EXPECT_TRUE(dialogBack);
    EXPECT_TRUE(dialogActive) << "the answer is wanted from the dialog";
    // Out of a modal loop, minimizing is the user's choice.
    WidgetOf(owner)->showMinimized();
    for (int i = 0; i < 5; ++i) Application->DispatchNextMessage();
    EXPECT_TRUE(WidgetOf(owner)->isMinimized());
    owner.Hide();
}

TEST_F(ModalTest, DisabledWindowRefusesInput) {
    TForm owner(Application);
    owner.SetClientSize(300, 200);
    owner.Show();
    TButton* button = new TButton(&owner);
    button->SetParent(&owner);
    button->SetBounds(10, 10, 80, 24);
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    TTestDialog dialog(Application);
    WhenModal([&] {
        QTest::mouseClick(WidgetOf(*button), Qt::LeftButton);
        dialog.RequestClose();
    });
    RunModal(dialog);
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(WidgetOf(*button), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    owner.Hide();
}

TEST_F(ModalTest, AnErrorInAHandlerIsShownAndTheLoopGoesOn) {
    TTestDialog dialog(Application);
    WhenModal([&] {
        QTest::mouseClick(WidgetOf(*dialog.Button("Fail")), Qt::LeftButton);
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(dialog.Visible());
            dialog.Button("Quit")->Press();
        });
    });
    EXPECT_EQ(RunModal(dialog), ResultCancel);
    ASSERT_EQ(shownErrors.size(), 1u);
    EXPECT_EQ(shownErrors[0], "handler failed.");
}

TEST_F(ModalTest, CloseQueryCanKeepTheDialogOpen) {
    TTestDialog dialog(Application);
    int asked = 0;
    dialog.OnCloseQuery = [&](TComponent*, bool& canClose) { canClose = ++asked > 1; };
    WhenModal([&] {
        dialog.Button("Ok")->Press();
        // Later than the loop's next check, which runs the refused close query.
        QTimer::singleShot(50, [&] {
            EXPECT_TRUE(dialog.Visible()) << "the first close query refused";
            dialog.Button("Ok")->Press();
        });
    });
    EXPECT_EQ(RunModal(dialog), ResultOk);
    EXPECT_EQ(asked, 2);
}

TEST_F(ModalTest, PlacementHappensOnceAndKeepsLargeDialogsOnScreen) {
    TTestDialog dialog(Application);
    TRect screen = TScreen::Instance().PrimaryScreenRect();
    WhenModal([&] {
        EXPECT_EQ(dialog.Left(), (screen.Width() - dialog.OuterWidth()) / 2);
        EXPECT_EQ(dialog.Top(), (screen.Height() - dialog.OuterHeight()) / 2);
        dialog.SetBounds(10, 20, dialog.Width(), dialog.Height());
        dialog.RequestClose();
    });
    RunModal(dialog);
    WhenModal([&] {
        EXPECT_EQ(dialog.Left(), 10) << "the second showing keeps where the window was";
        EXPECT_EQ(dialog.Top(), 20);
        dialog.RequestClose();
    });
    RunModal(dialog);

    TForm huge(Application);
    huge.SetClientSize(screen.Width() + 500, screen.Height() + 500);
    huge.SetPosition(TPosition::poScreenCenter);
    WhenModal([&] {
        EXPECT_EQ(huge.Left(), 0);
        EXPECT_EQ(huge.Top(), 0);
        huge.RequestClose();
    });
    RunModal(huge);
}

// Moving a window passes its outer size back; the frame must not come off the client, or
// a dialog built while a framed window is on screen loses its bottom rows.
// A face whose line is taller than the designed one makes labels taller than their layout.
TEST_F(ModalTest, AFixedWindowGrowsToHoldItsControlsWithTheLayoutsMargin) {
    TForm dialog(Application);
    dialog.SetBorderStyle(TFormBorderStyle::bsDialog);
    dialog.SetClientSize(200, 100);
    TPanel inside(&dialog, &dialog), low(&dialog, &dialog);
    inside.SetBounds(8, 10, 150, 40);
    low.SetBounds(12, 80, 100, 26);  // 6 below the bottom
    WhenModal([&] {
        EXPECT_EQ(dialog.ClientWidth(), 200) << "nothing sticks out on the right";
        EXPECT_EQ(dialog.ClientHeight(), 106 + 10) << "the top margin below it too";
        EXPECT_EQ(WidgetOf(dialog)->size(), QSize(200, 116)) << "and fixed at that size";
        dialog.RequestClose();
    });
    RunModal(dialog);

    TForm sizeable(Application);
    sizeable.SetClientSize(200, 100);
    TPanel below(&sizeable, &sizeable);
    below.SetBounds(8, 90, 100, 30);
    WhenModal([&] {
        EXPECT_EQ(sizeable.ClientHeight(), 100) << "the user sizes this one";
        sizeable.RequestClose();
    });
    RunModal(sizeable);
}

TEST_F(ModalTest, MovingAWindowKeepsItsClientWhateverTheFrame) {
    TForm owner(Application);
    owner.SetClientSize(300, 200);
    owner.Show();
    ASSERT_GT(owner.OuterHeight(), owner.ClientHeight()) << "the platform frames windows";
    TTestDialog dialog(Application);
    dialog.SetLeft(30);
    dialog.SetTop(40);
    dialog.SetWidth(dialog.Width());
    EXPECT_EQ(dialog.ClientWidth(), 240);
    EXPECT_EQ(dialog.ClientHeight(), 120);
    EXPECT_EQ(dialog.Width(), dialog.OuterWidth());
    WhenModal([&] {
        EXPECT_EQ(WidgetOf(dialog)->size(), QSize(240, 120));
        dialog.SetTop(dialog.Top() + 5);
        EXPECT_EQ(WidgetOf(dialog)->size(), QSize(240, 120)) << "moved while shown";
        dialog.SetBounds(dialog.Left(), dialog.Top(), dialog.OuterWidth() + 10, dialog.OuterHeight());
        EXPECT_EQ(dialog.ClientWidth(), 250) << "an outer size takes the frame off once";
        dialog.RequestClose();
    });
    RunModal(dialog);
}

TEST_F(ModalTest, AWindowDestroyedInItsOwnLoopEndsItUntouched) {
    TForm owner(Application);
    owner.SetClientSize(300, 200);
    owner.Show();
    auto* dialog = new TTestDialog(Application);
    WhenModal([&] { dialog->ReleaseLater(); });
    EXPECT_EQ(RunModal(*dialog), ResultCancel);
    EXPECT_FALSE(TScreen::Instance().Contains(dialog));
    EXPECT_TRUE(owner.Enabled());
    EXPECT_TRUE(owner.IsActiveWindow());
    owner.Hide();
}

TEST(ModalScope, PutsBackOnlyWhatStillExistsAndEachScopeUndoesItsOwnFocus) {
    TScreen& screen = TScreen::Instance();
    TForm shown(Application);
    shown.SetClientSize(200, 100);
    shown.Show();
    TCustomForm* focusedBefore = screen.FocusedForm();
    const int focusCount = screen.FocusCount();
    TForm first(Application);
    {
        ModalScope firstScope(&first);
        EXPECT_FALSE(shown.Enabled());
        auto* second = new TForm(Application);
        {
            ModalScope secondScope(second);
            EXPECT_EQ(screen.FocusedForm(), second);
            {
                TForm third(Application);
                ModalScope thirdScope(&third);
                EXPECT_EQ(screen.FocusedForm(), &third);
                screen.SetFocusCount(focusCount + 3);
                delete second;
            }
            EXPECT_EQ(screen.FocusedForm(), nullptr) << "the window that had the focus is gone";
        }
        EXPECT_EQ(screen.FocusedForm(), &first) << "each scope undoes its own push";
        EXPECT_FALSE(shown.Enabled());
    }
    EXPECT_EQ(screen.FocusedForm(), focusedBefore);
    EXPECT_EQ(screen.FocusCount(), focusCount);
    EXPECT_TRUE(shown.Enabled());
    shown.Hide();
}

TEST(WindowList, DisablesTheOtherUsableWindowsAndEnablesOnlyThoseThatStillExist) {
    TForm except(Application), usable(Application), hidden(Application), disabled(Application);
    auto* gone = new TForm(Application);
    for (TForm* form : {&except, &usable, &disabled, gone}) {
        form->SetClientSize(200, 100);
        form->Show();
    }
    disabled.SetEnabled(false);
    const TWindowList list = TApplication::DisableOtherWindows(&except);
    EXPECT_EQ(std::set<TCustomForm*>(list.begin(), list.end()), (std::set<TCustomForm*>{&usable, gone}));
    EXPECT_TRUE(except.Enabled());
    EXPECT_TRUE(hidden.Enabled());
    delete gone;
    TApplication::ReenableWindows(list);
    EXPECT_TRUE(usable.Enabled());
    EXPECT_FALSE(disabled.Enabled()) << "disabled before, so not ours to enable";
    for (TForm* form : {&except, &usable, &disabled}) form->Hide();
}

TEST_F(ModalTest, AVisibleWindowCannotBeMadeModal) {
    TTestDialog dialog(Application);
    dialog.Show();
    try {
        RunModal(dialog);
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
    }
    dialog.Hide();
}

TEST_F(ModalTest, ChangingVisibleInOnShowIsRefused) {
    TTestDialog dialog(Application);
    dialog.OnShow = [&](TComponent*) { dialog.Hide(); };
    WhenModal([&] { dialog.RequestClose(); });
    RunModal(dialog);
    ASSERT_EQ(shownErrors.size(), 1u);
    EXPECT_EQ(shownErrors[0], "Cannot change Visible in OnShow or OnHide.");
}

using ModalDeathTest = ModalTest;

TEST_F(ModalDeathTest, QuitDuringAModalLoopEndsItWithCancelWithoutCloseQuery) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TTestDialog dialog(Application);
            bool asked = false;
            dialog.OnCloseQuery = [&](TComponent*, bool& canClose) {
                asked = true;
                canClose = false;
            };
            WhenModal([] { Application->RequestQuit(); });
            TModalResult result = RunModal(dialog);
            std::exit(result == ResultCancel && !asked ? 0 : 3);
        },
        testing::ExitedWithCode(0), "");
}

#include "support/modal_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "ui/form.h"
#include "ui/screen.h"
#include "ui/widget_access.h"

namespace {

std::vector<TCustomForm*> ModalForms() {
    std::vector<TCustomForm*> modal;
    for (TCustomForm* form : TScreen::Instance().Forms())
        if (form->InModalLoop() && form->Visible()) modal.push_back(form);
    return modal;
}

// Closes a window left open by a test; forgets it once the window hides.
class Watchdog : public QObject {
public:
    explicit Watchdog(TCustomForm& form) : QObject(WidgetOf(form)), form_(form) {
        WidgetOf(form)->installEventFilter(this);
        QTimer::singleShot(10000, this, [this] {
            ADD_FAILURE() << "a modal window was left open";
            form_.RequestClose();
        });
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) deleteLater();
        return false;
    }

private:
    TCustomForm& form_;
};

void Attempt(std::vector<TCustomForm*> before, std::function<void(TCustomForm&)> action, int triesLeft) {
    TCustomForm* target = nullptr;
    for (TCustomForm* form : ModalForms())
        if (std::find(before.begin(), before.end(), form) == before.end()) target = form;
    if (!target) {
        if (triesLeft == 0) {
            ADD_FAILURE() << "no modal window was shown";
            return;
        }
        QTimer::singleShot(10, [before = std::move(before), action = std::move(action), triesLeft]() mutable {
            Attempt(std::move(before), std::move(action), triesLeft - 1);
        });
        return;
    }
    new Watchdog(*target);
    try {
        action(*target);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "error while driving a modal window: " << e.what();
    }
}

QWidget* KeyTarget(TCustomForm& form) {
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == WidgetOf(form)->window() ? focus : WidgetOf(form);
}

}  // namespace

void WhenNextModalShown(std::function<void(TCustomForm&)> action) {
    QTimer::singleShot(0, [before = ModalForms(), action = std::move(action)]() mutable {
        Attempt(std::move(before), std::move(action), 500);
    });
}

TCustomForm* TopModalForm() {
    std::vector<TCustomForm*> modal = ModalForms();
    return modal.empty() ? nullptr : modal.back();
}

void PressKey(TCustomForm& form, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(KeyTarget(form), key, modifiers);
}

void TypeText(TCustomForm& form, const QString& text) {
    for (QChar ch : text) {
        // The test library maps only Latin-1 characters to keys; others arrive as text alone.
        if (ch.unicode() < 0x80) QTest::keyClick(KeyTarget(form), char(ch.unicode()));
        else QTest::sendKeyEvent(QTest::Click, KeyTarget(form), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

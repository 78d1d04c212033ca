#pragma once
// Shared pieces of the item-view suites: a shown window to put controls on, mouse input that
// goes through the window system (so a right press also brings the context-menu event), and
// the code page set for a scope.
#define QTEST_QPA_MOUSE_HANDLING
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>

#include "encoding/code_page_conversion.h"
#include "support/code_page_guard.h"
#include "ui/form.h"
#include "ui/widget_access.h"

class ShownWindow {
public:
    ShownWindow(int width = 500, int height = 340) : form_(std::make_unique<TForm>(nullptr)) {
        form_->SetClientSize(width, height);
        form_->Show();
        WidgetOf(*form_)->activateWindow();
        (void)QTest::qWaitForWindowExposed(WidgetOf(*form_));
    }
    TForm& Form() { return *form_; }

private:
    std::unique_ptr<TForm> form_;
};

template <typename Control>
QAbstractItemView* ItemViewOf(Control& control) {
    return static_cast<QAbstractItemView*>(WidgetOf(control));
}

inline QPoint CentreOf(QAbstractItemView* view, const QModelIndex& index) {
    return view->visualRect(index).center();
}

inline void ClickWith(QAbstractItemView* view, Qt::MouseButton button, QPoint at) {
    QTest::mousePress(view->viewport(), button, Qt::NoModifier, at);
    QTest::mouseRelease(view->viewport(), button, Qt::NoModifier, at);
}

// The in-place editor open on index, or nullptr.
inline QLineEdit* EditorOf(QAbstractItemView* view, const QModelIndex& index) {
    return qobject_cast<QLineEdit*>(view->indexWidget(index));
}

// Enter in an in-place editor commits once the event loop comes round.
inline void CommitEdit(QWidget* editor) {
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
}

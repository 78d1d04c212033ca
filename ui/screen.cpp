#include "ui/screen.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "ui/form.h"
#include "ui/widget_access.h"

namespace {
TRect RectOf(const QRect& r) { return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
}  // namespace

TScreen& TScreen::Instance() {
    static TScreen screen;
    return screen;
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    // Nulled rather than erased, so that each PopFocus still undoes its own PushFocus.
    std::replace(savedFocus_.begin(), savedFocus_.end(), form, static_cast<TCustomForm*>(nullptr));
    if (focusedForm_ == form) focusedForm_ = nullptr;
}

bool TScreen::Contains(const TCustomForm* form) const {
    return form && std::find(forms_.begin(), forms_.end(), form) != forms_.end();
}

void TScreen::PushFocus(TCustomForm* form) {
    savedFocus_.push_back(focusedForm_);
    focusedForm_ = form;
}

void TScreen::PopFocus() {
    if (savedFocus_.empty()) return;
    focusedForm_ = savedFocus_.back();
    savedFocus_.pop_back();
}

TCustomForm* TScreen::ActiveForm() const {
    QWidget* active = QApplication::activeWindow();
    for (TCustomForm* form : forms_)
        if (QWidget* widget = WidgetOf(*form); widget && widget == active) return form;
    return nullptr;
}

void TScreen::SetCursor(TCursor cursor) {
    ++cursorCount_;
    if (cursor == cursor_) return;
    if (cursor_ != TCursor::crDefault) QApplication::restoreOverrideCursor();
    cursor_ = cursor;
    if (cursor == TCursor::crHourGlass) QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (cursor == TCursor::crHandPoint) QApplication::setOverrideCursor(Qt::PointingHandCursor);
    else if (cursor == TCursor::crArrow) QApplication::setOverrideCursor(Qt::ArrowCursor);
}

TPoint TScreen::CursorPos() const {
    QPoint at = QCursor::pos();
    return TPoint{at.x(), at.y()};
}

TRect TScreen::PrimaryScreenRect() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? RectOf(screen->geometry()) : TRect{0, 0, 1024, 768};
}

namespace {
QScreen* ScreenOf(const TCustomForm& form) {
    QPoint centre(form.Left() + form.OuterWidth() / 2, form.Top() + form.OuterHeight() / 2);
    QScreen* screen = QGuiApplication::screenAt(centre);
    return screen ? screen : QGuiApplication::primaryScreen();
}
}  // namespace

TRect TScreen::MonitorRectOf(const TCustomForm& form) const {
    QScreen* screen = ScreenOf(form);
    return screen ? RectOf(screen->geometry()) : PrimaryScreenRect();
}

TRect TScreen::WorkAreaOf(const TCustomForm& form) const {
    QScreen* screen = ScreenOf(form);
    return screen ? RectOf(screen->availableGeometry()) : PrimaryScreenRect();
}

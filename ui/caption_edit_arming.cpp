#include "ui/caption_edit_arming.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTimerEvent>

CaptionEditArming::CaptionEditArming(QAbstractItemView& view, std::function<void(const QModelIndex&)> open)
    : view_(view), open_(std::move(open)) {}

CaptionEditArming::~CaptionEditArming() { Disarm(); }

void CaptionEditArming::Arm(const QModelIndex& index) {
    Disarm();
    index_ = index;
    timer_.start(QApplication::doubleClickInterval(), this);
    // Every event of the program passes here first, wherever it goes.
    qApp->installEventFilter(this);
}

void CaptionEditArming::Disarm() {
    if (!timer_.isActive()) return;
    timer_.stop();
    index_ = QPersistentModelIndex();
    qApp->removeEventFilter(this);
}

bool CaptionEditArming::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::FocusOut:
        case QEvent::WindowDeactivate: Disarm(); break;
        default: break;
    }
    return false;
}

void CaptionEditArming::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QObject::timerEvent(event);
    const QPersistentModelIndex index = index_;
    Disarm();
    // The list's current cell may be a value's: the item is the row.
    const bool stillThere = index.isValid() && index == view_.currentIndex().siblingAtColumn(0) &&
                            view_.selectionModel()->isSelected(index) && view_.hasFocus() &&
                            (view_.editTriggers() & QAbstractItemView::SelectedClicked);
    if (stillThere) open_(index);
}

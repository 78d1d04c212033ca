#pragma once
// A click on the selected item edits its caption a moment later, when no double click
// followed. Anything the user does meanwhile (a key, a shortcut, a click anywhere, the focus
// moving) calls the edit off: its editor only ever takes keys typed once it is open.
#include <QBasicTimer>
#include <QObject>
#include <QPersistentModelIndex>

#include <functional>

class QAbstractItemView;

class CaptionEditArming : public QObject {
public:
    // open starts the edit of an item the view still selects, current and focused.
    CaptionEditArming(QAbstractItemView& view, std::function<void(const QModelIndex&)> open);
    ~CaptionEditArming() override;

    void Arm(const QModelIndex& index);
    void Disarm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QAbstractItemView& view_;
    std::function<void(const QModelIndex&)> open_;
    QPersistentModelIndex index_;
    QBasicTimer timer_;
};

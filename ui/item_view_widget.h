#pragma once
// The toolkit side of the item views: a toolkit tree view whose client-area events go
// through the control first.
#include <QTreeView>

#include "ui/caption_edit_arming.h"
#include "ui/error_sink.h"
#include "ui/item_view.h"
#include "ui/item_view_header.h"

class ItemViewWidget : public QTreeView {
public:
    ItemViewWidget(TCustomItemView& owner, QWidget* parent)
        : QTreeView(parent),
          owner_(owner),
          arming_(*this, [this](const QModelIndex& index) { QTreeView::edit(index, AllEditTriggers, nullptr); }) {
        setHeader(new ItemViewHeader(*header()));
    }

    // The toolkit's own handling of a client-area event that the control passes on.
    bool BaseViewportEvent(QEvent* event) { return QTreeView::viewportEvent(event); }
    bool Editing() const { return state() == EditingState; }
    void RelayoutLater() { scheduleDelayedItemsLayout(); }

protected:
    // A click on the selected item arms an edit of its caption rather than the toolkit's timer,
    // which let keys meant for anything else reach the editor.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (trigger != SelectedClicked) return QTreeView::edit(index, trigger, event);
        if (!(editTriggers() & SelectedClicked)) return false;
        arming_.Arm(index);
        return true;
    }

    bool viewportEvent(QEvent* event) override {
        bool consumed = false;
        CatchErrors(&owner_, [&] { consumed = owner_.ViewportEvent(*event); });
        return consumed || QTreeView::viewportEvent(event);
    }

    TCustomItemView& owner_;
    CaptionEditArming arming_;
};

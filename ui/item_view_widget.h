#pragma once
// The toolkit side of the item views: a toolkit tree view whose client-area events go
// through the control first.
#include <QTreeView>

#include "ui/error_sink.h"
#include "ui/item_view.h"
#include "ui/item_view_header.h"

class ItemViewWidget : public QTreeView {
public:
    ItemViewWidget(TCustomItemView& owner, QWidget* parent) : QTreeView(parent), owner_(owner) {
        setHeader(new ItemViewHeader(*header()));
    }

    // The toolkit's own handling of a client-area event that the control passes on.
    bool BaseViewportEvent(QEvent* event) { return QTreeView::viewportEvent(event); }
    bool Editing() const { return state() == EditingState; }
    void RelayoutLater() { scheduleDelayedItemsLayout(); }

protected:
    bool viewportEvent(QEvent* event) override {
        bool consumed = false;
        CatchErrors(&owner_, [&] { consumed = owner_.ViewportEvent(*event); });
        return consumed || QTreeView::viewportEvent(event);
    }

    TCustomItemView& owner_;
};

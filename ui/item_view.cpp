#include "ui/item_view.h"

#include <QMouseEvent>

#include <algorithm>

#include "ui/caption_editor.h"
#include "ui/item_view_widget.h"
#include "ui/layout_reader.h"

TCustomItemView::TCustomItemView(TComponent* owner, ItemViewWidget* view) : TWinControl(owner, view) {
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setIconSize(QSize(16, 16));
}

void TCustomItemView::ShowModel(QAbstractItemModel& model) {
    ItemViewWidget* view = View();
    view->setModel(&model);
    view->setItemDelegate(new CaptionDelegate(view));
    SetHideSelection(hideSelection_);
    SetReadOnly(readOnly_);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, view,
                     [this] { CatchErrors(this, [this] { SelectionChangedByView(); }); });
}

void TCustomItemView::DeleteView() {
    if (images_) images_->RemoveClient(this);
    MarkDestroying();
    delete Widget();
}

ItemViewWidget* TCustomItemView::View() const { return static_cast<ItemViewWidget*>(Widget()); }

bool TCustomItemView::IsEditing() const { return View()->Editing(); }

// ---- the update bracket

void TCustomItemView::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) UpdateEnded();
}

void TCustomItemView::BeforeStructureChange() {
    if (resetting_) return;
    BeginModelReset();
    resetting_ = true;
}

bool TCustomItemView::DeferItemChange() {
    if (Updating()) repaintAfterUpdate_ = true;
    return Updating();
}

void TCustomItemView::ForgetShownSelection() {
    if (!resetting_) View()->selectionModel()->clear();
}

void TCustomItemView::UpdateEnded() {
    if (resetting_) {
        resetting_ = false;
        EndModelReset();
    } else if (repaintAfterUpdate_) {
        View()->viewport()->update();
    }
    repaintAfterUpdate_ = false;
}

// ---- images and looks

void TCustomItemView::SetImageList(TImageList* images) {
    AttachImageList(images_, images, *this);
    ImagesChanged();
}

void TCustomItemView::ResolveImageList(const LayoutValue& value, LayoutReader& reader) {
    reader.ResolveLater(value, [this](TComponent* c) {
        auto* images = dynamic_cast<TImageList*>(c);
        if (!images) throw ELayoutError(c->Name() + " is no image list");
        SetImageList(images);
    });
}

void TCustomItemView::ImagesChanged() {
    if (images_) View()->setIconSize(QSize(images_->Width(), images_->Height()));
    View()->RelayoutLater();
}

void TCustomItemView::ImageListChanged(TImageList&) { ImagesChanged(); }

void TCustomItemView::ImageListDestroyed(TImageList& list) {
    if (&list != images_) return;
    images_ = nullptr;
    ImagesChanged();
}

void TCustomItemView::SetHideSelection(bool hide) {
    hideSelection_ = hide;
    static_cast<CaptionDelegate*>(View()->itemDelegate())->SetHideSelection(hide);
    ApplySelectionColours();
    View()->viewport()->update();
}

void TCustomItemView::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    View()->setEditTriggers(CaptionEditTriggers(readOnly));
}

// ---- input

TPoint TCustomItemView::KeyboardMenuPoint() const {
    ItemViewWidget* view = View();
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    if (!selected.isEmpty()) {
        const QRect item = view->visualRect(selected.first());
        if (view->viewport()->rect().intersects(item)) {
            // At the start of the item's text, just below it, like a menu dropping from it.
            const QPoint at = view->viewport()->mapToGlobal(
                QPoint(std::max(item.left(), 0) + view->iconSize().width(), item.bottom()));
            return {at.x(), at.y()};
        }
    }
    return TWinControl::KeyboardMenuPoint();
}

bool TCustomItemView::WantsKey(const KeyRecord& key) const { return ItemViewWantsKey(key, IsEditing()); }

bool TCustomItemView::ViewportEvent(QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
            PressOnView(static_cast<QMouseEvent&>(event));
            HandleMousePress(event);
            return true;
        case QEvent::MouseButtonDblClick: {
            auto& mouse = static_cast<QMouseEvent&>(event);
            PressOnView(mouse);
            HandleMousePress(event);
            if (mouse.button() == Qt::LeftButton && OnDblClick && View()->indexAt(mouse.position().toPoint()).isValid())
                OnDblClick(this);
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto& mouse = static_cast<QMouseEvent&>(event);
            if (ViewTakesRelease(mouse)) View()->BaseViewportEvent(&event);
            if (mouse.button() == Qt::LeftButton && leftPressed_) {
                leftPressed_ = false;
                Click();
            }
            return true;
        }
        case QEvent::ContextMenu: return TWinControl::WidgetEvent(event);
        default: return false;
    }
}

bool TCustomItemView::WidgetEvent(QEvent& event) {
    if (event.type() == QEvent::FocusIn || event.type() == QEvent::FocusOut) {
        ApplySelectionColours();
        View()->viewport()->update();
    }
    return TWinControl::WidgetEvent(event);
}

void TCustomItemView::FollowPalette() {
    TWinControl::FollowPalette();
    ApplySelectionColours();
}

bool TCustomItemView::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "HideSelection") SetHideSelection(value.AsBool());
    else if (name == "ReadOnly") SetReadOnly(value.AsBool());
    else if (name == "OnDblClick") OnDblClick = reader.Handler<TNotifyEvent>(value);
    else return TWinControl::ApplyProperty(name, value, reader);
    return true;
}

std::string JoinedHint(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) return first + second;
    return first + "\n" + second;
}

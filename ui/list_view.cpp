#include "ui/list_view.h"

#include <QApplication>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

#include "encoding/code_page.h"
#include "platform/display_text.h"
#include "ui/caption_editor.h"
#include "ui/error_sink.h"
#include "ui/item_view_widget.h"
#include "ui/layout_reader.h"

std::vector<int> ShareColumnWidths(int clientWidth, const std::vector<ColumnRange>& columns) {
    std::vector<int> widths(columns.size(), 0);
    std::vector<bool> held(columns.size(), false);
    int left = clientWidth;
    for (;;) {
        std::vector<size_t> free;
        for (size_t i = 0; i < columns.size(); ++i)
            if (!held[i]) free.push_back(i);
        if (free.empty()) break;
        const int n = int(free.size());
        const int share = left / n, remainder = left % n;
        bool dropped = false;
        for (size_t k = 0; k < free.size(); ++k) {
            size_t i = free[k];
            int w = share + (k == 0 ? remainder : 0);
            const ColumnRange& range = columns[i];
            if (range.maxWidth > 0 && w > range.maxWidth) {
                w = range.maxWidth;
                held[i] = dropped = true;
            } else if (w < range.minWidth) {
                w = range.minWidth;
                held[i] = dropped = true;
            }
            widths[i] = w;
        }
        if (!dropped) break;
        left = clientWidth;
        for (size_t i = 0; i < columns.size(); ++i)
            if (held[i]) left -= widths[i];
    }
    return widths;
}

// ---------------------------------------------------------------- the toolkit side

// Shows our rows to the toolkit view. While an update batch rebuilds the rows the model is
// blind: the view may hold rows that are gone, so nothing is read.
class ListItemModel : public QAbstractTableModel {
public:
    explicit ListItemModel(TListView& view) : view_(view) {}

    TListItem* ItemOf(const QModelIndex& index) const { return view_.items_->Item(index.row()); }
    QModelIndex IndexOf(const TListItem* item, int column = 0) const { return createIndex(item->Index(), column); }

    // The view lays out every row at once, asking for each row's index and flags: these stay
    // cheap so that a list of millions of rows is laid out in a few tens of milliseconds.
    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        if (parent.isValid() || row < 0 || column < 0 || column >= view_.ColumnCount() ||
            row >= rowCount(parent))
            return {};
        return createIndex(row, column);
    }

    int rowCount(const QModelIndex& parent) const override {
        return Blind() || parent.isValid() ? 0 : view_.items_->Count();
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : view_.ColumnCount(); }

    QVariant data(const QModelIndex& index, int role) const override {
        if (Blind() || !index.isValid()) return {};
        QVariant result;
        CatchErrors(&view_, [&] {
            const TListItem* item = ItemOf(index);
            const int column = index.column();
            if (role == Qt::DisplayRole || role == Qt::EditRole) {
                if (column == 0) result = ToDisplay(item->Caption(), item->CodePage());
                else if (column - 1 < item->SubItems().Count())
                    result = ToDisplay(item->SubItems().At(column - 1), item->CodePage());
                else result = QString();
            } else if (role == CodePageRole) {
                result = QVariant::fromValue(item->CodePage());
            } else if (role == Qt::ToolTipRole) {
                const std::string more = view_.OnGetHint ? view_.OnGetHint(*ItemOf(index)) : std::string();
                const std::string hint = JoinedHint(item->Hint(), more);
                if (!hint.empty()) result = ToDisplay(hint);
            } else if (role == Qt::AccessibleDescriptionRole) {
                // A screen reader says what a mark means, else what the tooltip says of a
                // repeated name.
                const std::string& said = item->Description().empty() ? item->Hint() : item->Description();
                if (!said.empty()) result = ToDisplay(said);
            } else if (role == Qt::DecorationRole && column == 0 && view_.SmallImages()) {
                QIcon icon = view_.SmallImages()->Icon(item->ImageIndex());
                if (!icon.isNull()) result = icon;
            }
        });
        return result;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= view_.ColumnCount())
            return QAbstractTableModel::headerData(section, orientation, role);
        if (role == Qt::DisplayRole) return ToDisplay(view_.Column(section).Caption());
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() == 0 && !view_.ReadOnly()) f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (Blind() || !index.isValid() || index.column() != 0 || role != Qt::EditRole) return false;
        bool changed = false;
        CatchErrors(&view_, [&] {
            TListItem* item = ItemOf(index);
            std::string caption = item->Caption();
            if (TakeEditedCaption(caption, value.toString(), item->CodePage()) != CaptionEdit::Changed) return;
            if (view_.OnEdited && !view_.OnEdited(*item, caption)) return;
            item->SetCaption(caption);
            changed = true;
        });
        return changed;
    }

    // The toolkit's notifications, for the list's own use.
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginInsert(int row) { beginInsertRows({}, row, row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(int row) { beginRemoveRows({}, row, row); }
    void EndRemove() { endRemoveRows(); }
    void BeginInsertColumn(int column) { beginInsertColumns({}, column, column); }
    void EndInsertColumn() { endInsertColumns(); }
    void RowChanged(const TListItem* item) {
        if (view_.ColumnCount() > 0) emit dataChanged(IndexOf(item), IndexOf(item, view_.ColumnCount() - 1));
    }
    void ColumnChanged(int column) { emit headerDataChanged(Qt::Horizontal, column, column); }

private:
    bool Blind() const { return view_.Resetting(); }

    TListView& view_;
};

// The toolkit view, with its size changes routed through the list as well.
class ListWidget : public ItemViewWidget {
public:
    ListWidget(TListView& list, QWidget* parent) : ItemViewWidget(list, parent), list_(list) {}

protected:
    bool viewportEvent(QEvent* event) override {
        bool handled = ItemViewWidget::viewportEvent(event);
        if (event->type() == QEvent::Resize) CatchErrors(&list_, [&] { list_.AutoSizeColumns(); });
        return handled;
    }

    // The focus can rest on a row that is not selected (the first one, when the list is
    // entered from the keyboard): a key that moves to where the focus already is (Home on
    // the first row) selects that row rather than doing nothing.
    void keyPressEvent(QKeyEvent* event) override {
        QTreeView::keyPressEvent(event);
        const bool moves = event->key() == Qt::Key_Home || event->key() == Qt::Key_End || event->key() == Qt::Key_Up ||
                           event->key() == Qt::Key_Down || event->key() == Qt::Key_PageUp ||
                           event->key() == Qt::Key_PageDown;
        if (moves && state() == NoState && currentIndex().isValid() && !selectionModel()->hasSelection())
            selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // Tabbed into, the list selects the row the focus rests on (the first, when none had it),
    // so that Enter and the menu keys act on a row at once.
    void focusInEvent(QFocusEvent* event) override {
        QTreeView::focusInEvent(event);
        if (event->reason() != Qt::TabFocusReason && event->reason() != Qt::BacktabFocusReason) return;
        if (selectionModel()->hasSelection() || model()->rowCount() == 0) return;
        const QModelIndex row = currentIndex().isValid() ? currentIndex() : model()->index(0, 0);
        selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // Whatever cell starts an edit, the row's caption is what gets edited.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        return ItemViewWidget::edit(index.isValid() ? index.siblingAtColumn(0) : index, trigger, event);
    }

private:
    TListView& list_;
};

// ---------------------------------------------------------------- TListColumn

void TListColumn::SetCaption(const std::string& caption) {
    caption_ = caption;
    view_.ColumnChanged(*this);
}

void TListColumn::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    view_.AutoSizeColumns();
}

void TListColumn::SetMinWidth(int width) {
    minWidth_ = width;
    view_.AutoSizeColumns();
}

void TListColumn::SetMaxWidth(int width) {
    maxWidth_ = width;
    view_.AutoSizeColumns();
}

void TListColumn::SetWidth(int width) {
    width_ = width;
    if (autoSize_) view_.AutoSizeColumns();
    else view_.ShowColumnWidth(*this);
}

// ---------------------------------------------------------------- TSubItems, TListItem

void TSubItems::Add(const std::string& text) {
    texts_.push_back(text);
    item_.Changed();
}

void TSubItems::Set(int index, const std::string& text) {
    texts_[size_t(index)] = text;
    item_.Changed();
}

void TSubItems::Clear() {
    texts_.clear();
    item_.Changed();
}

void TListItem::SetCaption(const std::string& caption) {
    caption_ = caption;
    Changed();
}

void TListItem::SetImageIndex(int index) {
    imageIndex_ = index;
    Changed();
}

void TListItem::Delete() { owner_.Delete(index_); }

void TListItem::Changed() {
    // A row still being made is new to the view: there is nothing to tell it.
    if (owner_.Holds(this)) owner_.view_.ItemChanged(this);
}

// ---------------------------------------------------------------- TListItems

TListItems::~TListItems() = default;

TListItem* TListItems::Add() { return Add(AnsiCodePage()); }

TListItem* TListItems::Add(TCodePage codePage) {
    TakeRowsOver();
    int row = Count();
    view_.BeforeAdd(row);
    items_.push_back(std::unique_ptr<TListItem>(new TListItem(*this, codePage)));
    items_.back()->index_ = row;
    view_.AfterAdd();
    return items_.back().get();
}

TListItem* TListItems::Item(int index) const {
    if (!source_) return items_[size_t(index)].get();
    std::unique_ptr<TListItem>& slot = made_[index];
    if (!slot) slot = MakeRow(index);
    return slot.get();
}

std::unique_ptr<TListItem> TListItems::MakeRow(int index) const {
    std::unique_ptr<TListItem> row(new TListItem(const_cast<TListItems&>(*this), sourceCodePage_));
    row->index_ = index;
    row->caption_ = source_->Caption(index);
    source_->Fill(index, *row);
    return row;
}

bool TListItems::Holds(const TListItem* item) const {
    if (!source_) return size_t(item->index_) < items_.size() && items_[size_t(item->index_)].get() == item;
    const auto made = made_.find(item->index_);
    return made != made_.end() && made->second.get() == item;
}

std::string TListItems::CaptionOf(int index) const {
    if (!source_) return items_[size_t(index)]->Caption();
    const auto made = made_.find(index);
    return made != made_.end() ? made->second->Caption() : source_->Caption(index);
}

void TListItems::Show(int count, TCodePage codePage, std::unique_ptr<const TListRowSource> source) {
    view_.BeforeClear();
    items_.clear();
    made_.clear();
    source_ = std::move(source);
    sourceCount_ = count;
    sourceCodePage_ = codePage;
    view_.AfterClear();
}

void TListItems::TakeRowsOver() {
    if (!source_) return;
    items_.resize(size_t(sourceCount_));
    for (int i = 0; i < sourceCount_; ++i) {
        const auto made = made_.find(i);
        items_[size_t(i)] = made != made_.end() ? std::move(made->second) : MakeRow(i);
    }
    made_.clear();
    source_.reset();
}

void TListItems::Delete(int index) {
    TakeRowsOver();
    TListItem* item = Item(index);
    view_.BeforeRemove(item);
    std::unique_ptr<TListItem> gone = std::move(items_[size_t(index)]);
    items_.erase(items_.begin() + index);
    for (int i = index; i < Count(); ++i) items_[size_t(i)]->index_ = i;
    view_.AfterRemove();
}

void TListItems::Clear() {
    view_.BeforeClear();
    items_.clear();
    made_.clear();
    source_.reset();
    sourceCount_ = 0;
    view_.AfterClear();
}

void TListItems::BeginUpdate() { view_.BeginUpdate(); }

void TListItems::EndUpdate() { view_.EndUpdate(); }

bool TListItems::Updating() const { return view_.Updating(); }

// ---------------------------------------------------------------- TListView

TListView::TListView(TComponent* owner, TWinControl* parent)
    : TCustomItemView(owner, new ListWidget(*this, ParentWidgetOf(parent))),
      model_(std::make_unique<ListItemModel>(*this)),
      items_(std::make_unique<TListItems>(*this)) {
    SetParent(parent);
    ItemViewWidget* view = View();
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setTextElideMode(Qt::ElideRight);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    ShowModel(*model_);
    SetColumnClick(columnClick_);
    QObject::connect(view->header(), &QHeaderView::sectionResized, view, [this](int column, int, int width) {
        CatchErrors(this, [&] { ColumnResizedByToolkit(column, width); });
    });
}

TListView::~TListView() { DeleteView(); }

TListColumn& TListView::AddColumn() {
    int column = ColumnCount();
    if (!Resetting()) model_->BeginInsertColumn(column);
    columns_.push_back(std::unique_ptr<TListColumn>(new TListColumn(*this, column)));
    if (!Resetting()) model_->EndInsertColumn();
    ShowColumnWidth(*columns_.back());
    return *columns_.back();
}

void TListView::ShowColumnWidth(TListColumn& column) {
    if (column.Index() >= View()->header()->count()) return;
    sizingColumns_ = true;
    View()->setColumnWidth(column.Index(), column.Width());
    sizingColumns_ = false;
}

void TListView::AutoSizeColumns() {
    if (IsLoading() || IsDestroying()) return;
    int client = View()->viewport()->width();
    std::vector<ColumnRange> ranges;
    std::vector<TListColumn*> sized;
    for (auto& column : columns_) {
        if (column->AutoSize()) {
            ranges.push_back({column->MinWidth(), column->MaxWidth()});
            sized.push_back(column.get());
        } else {
            client -= column->Width();
        }
    }
    std::vector<int> widths = ShareColumnWidths(std::max(0, client), ranges);
    for (size_t i = 0; i < sized.size(); ++i) {
        sized[i]->width_ = widths[i];
        ShowColumnWidth(*sized[i]);
    }
}

void TListView::ColumnResizedByToolkit(int column, int width) {
    if (sizingColumns_ || column >= ColumnCount()) return;
    TListColumn& resized = *columns_[size_t(column)];
    resized.width_ = width;
    // Dragging a divider (with the left button held) is the user's choice: the column keeps
    // that width from then on, and the auto-sized columns share what is left.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || !resized.AutoSize()) return;
    resized.autoSize_ = false;
    AutoSizeColumns();
}

void TListView::SetSelected(TListItem* item) {
    selected_ = item;
    if (!Resetting()) ShowSelection();
}

void TListView::ShowSelection() {
    QItemSelectionModel* selection = View()->selectionModel();
    if (!selected_) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(model_->IndexOf(selected_),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TListView::SelectionChangedByView() {
    if (Resetting()) return;
    QModelIndexList rows = View()->selectionModel()->selectedRows();
    selected_ = rows.isEmpty() ? nullptr : model_->ItemOf(rows.first());
}

// ---- notes from the rows

void TListView::BeginModelReset() { model_->BeginReset(); }

void TListView::EndModelReset() {
    model_->EndReset();
    ShowSelection();
}

void TListView::BeforeAdd(int row) {
    if (Updating()) BeforeStructureChange();
    else model_->BeginInsert(row);
}

void TListView::AfterAdd() {
    if (!Resetting()) model_->EndInsert();
}

void TListView::BeforeRemove(TListItem* item) {
    if (item == selected_) {
        selected_ = nullptr;
        ForgetShownSelection();
    }
    if (Updating()) BeforeStructureChange();
    else model_->BeginRemove(item->Index());
}

void TListView::AfterRemove() {
    if (!Resetting()) model_->EndRemove();
}

void TListView::BeforeClear() {
    selected_ = nullptr;
    if (Updating()) BeforeStructureChange();
    else model_->BeginReset();
}

void TListView::AfterClear() {
    if (!Updating()) model_->EndReset();
}

void TListView::ItemChanged(TListItem* item) {
    if (!DeferItemChange()) model_->RowChanged(item);
}

void TListView::ColumnChanged(TListColumn& column) {
    if (!Resetting()) model_->ColumnChanged(column.Index());
}

// ---- looks

void TListView::SetColumnClick(bool click) {
    columnClick_ = click;
    View()->header()->setSectionsClickable(click);
}

void TListView::ApplySelectionColours() {
    // Kept: the selection looks the same whether or not the window is active.
    // From the application's palette: the view's own may not have followed a change yet.
    const QPalette desktop = QApplication::palette();
    QPalette palette = View()->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, desktop.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     desktop.color(QPalette::Active, QPalette::HighlightedText));
    View()->setPalette(palette);
}

// ---- input

// The list takes a left or right press first (selecting the row under the pointer, or none
// on empty space); the handler then sees the selection it left.
void TListView::PressOnView(QMouseEvent& mouse) {
    if (mouse.button() != Qt::LeftButton && mouse.button() != Qt::RightButton) return;
    View()->BaseViewportEvent(&mouse);
    if (!View()->indexAt(mouse.position().toPoint()).isValid()) View()->selectionModel()->clearSelection();
    NoteLeftPress(mouse.button() == Qt::LeftButton);
}

bool TListView::ViewTakesRelease(const QMouseEvent& mouse) const { return mouse.button() != Qt::MiddleButton; }

void TListView::ApplyColumnRecord(TListColumn& column, const LayoutValue& record) {
    for (const auto& [field, v] : record.AsRecord()) {
        if (field == "Caption") column.SetCaption(v.AsText());
        else if (field == "AutoSize") column.SetAutoSize(v.AsBool());
        else if (field == "MinWidth") column.SetMinWidth(v.AsInt());
        else if (field == "MaxWidth") column.SetMaxWidth(v.AsInt());
        else if (field == "Width") column.SetWidth(v.AsInt());
        else throw ELayoutError("Unknown column property " + field);
    }
}

bool TListView::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Column") ApplyColumnRecord(AddColumn(), value);
    else if (name == "Columns")
        for (const LayoutValue& record : value.AsList()) ApplyColumnRecord(AddColumn(), record);
    else if (name == "ViewStyle") {
        static constexpr NamedValue<TViewStyle> styles[] = {
            {"vsIcon", TViewStyle::vsIcon}, {"vsSmallIcon", TViewStyle::vsSmallIcon},
            {"vsList", TViewStyle::vsList}, {"vsReport", TViewStyle::vsReport}};
        SetViewStyle(value.AsEnum(styles, "view style"));
    } else if (name == "ColumnClick") SetColumnClick(value.AsBool());
    else if (name == "FlatScrollBars") SetFlatScrollBars(value.AsBool());
    else if (name == "SmallImages") ResolveImageList(value, reader);
    else return TCustomItemView::ApplyProperty(name, value, reader);
    return true;
}

void TListView::Loaded() {
    TCustomItemView::Loaded();
    AutoSizeColumns();
}

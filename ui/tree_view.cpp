#include "ui/tree_view.h"

#include <QApplication>
#include <QAbstractItemModel>
#include <QHeaderView>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyle>

#include <map>

#include "encoding/code_page.h"
#include "platform/display_text.h"
#include "platform/drawn_images.h"
#include "ui/caption_editor.h"
#include "ui/error_sink.h"
#include "ui/item_view_widget.h"
#include "ui/layout_reader.h"

// ---------------------------------------------------------------- the toolkit side

// Shows our nodes to the toolkit view. While an update batch rebuilds the structure the
// model is blind: the view may hold indexes of nodes that are gone, so nothing is read.
class TreeNodeModel : public QAbstractItemModel {
public:
    explicit TreeNodeModel(TTreeView& view) : view_(view) {}

    static TTreeNode* NodeOf(const QModelIndex& index) { return static_cast<TTreeNode*>(index.internalPointer()); }
    QModelIndex IndexOf(const TTreeNode* node) const {
        if (!node || !node->parent_) return {};
        return createIndex(node->index_, 0, const_cast<TTreeNode*>(node));
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        if (Blind() || column != 0 || row < 0) return {};
        const TTreeNode* p = parent.isValid() ? NodeOf(parent) : Root();
        if (row >= p->Count()) return {};
        return createIndex(row, 0, p->Item(row));
    }
    QModelIndex parent(const QModelIndex& child) const override {
        if (Blind() || !child.isValid()) return {};
        return IndexOf(NodeOf(child)->parent_);
    }
    int rowCount(const QModelIndex& parent) const override {
        if (Blind() || parent.column() > 0) return 0;
        return (parent.isValid() ? NodeOf(parent) : Root())->Count();
    }
    int columnCount(const QModelIndex&) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (Blind() || !index.isValid()) return {};
        QVariant result;
        CatchErrors(&view_, [&] {
            const TTreeNode* node = NodeOf(index);
            if (role == Qt::DisplayRole || role == Qt::EditRole) result = ToDisplay(node->Text(), node->CodePage());
            else if (role == Qt::DecorationRole) result = Icon(*node);
            else if (role == CodePageRole) result = QVariant::fromValue(node->CodePage());
            else if (role == Qt::ToolTipRole) {
                const std::string more = view_.OnGetHint ? view_.OnGetHint(*NodeOf(index)) : std::string();
                const std::string hint = JoinedHint(node->Hint(), more);
                if (!hint.empty()) result = ToDisplay(hint);
            } else if (role == Qt::AccessibleDescriptionRole) {
                // A screen reader says what a mark means, else what the tooltip says of a
                // repeated name.
                const std::string& said = node->Description().empty() ? node->Hint() : node->Description();
                if (!said.empty()) result = ToDisplay(said);
            }
        });
        return result;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!view_.ReadOnly() && (!view_.OnEditing || view_.OnEditing(*NodeOf(index)))) f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (Blind() || !index.isValid() || role != Qt::EditRole) return false;
        bool changed = false;
        CatchErrors(&view_, [&] {
            TTreeNode* node = NodeOf(index);
            std::string text = node->Text();
            if (TakeEditedCaption(text, value.toString(), node->CodePage()) != CaptionEdit::Changed) return;
            if (view_.OnEdited && !view_.OnEdited(*node, text)) return;
            node->SetText(text);
            changed = true;
        });
        return changed;
    }

    void ForgetIcons() { icons_.clear(); }

    // The toolkit's notifications, for the tree's own use.
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginInsert(const QModelIndex& parent, int row) { beginInsertRows(parent, row, row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(const QModelIndex& parent, int row) { beginRemoveRows(parent, row, row); }
    void EndRemove() { endRemoveRows(); }
    void Changed(const TTreeNode* node) {
        QModelIndex index = IndexOf(node);
        emit dataChanged(index, index);
    }

private:
    bool Blind() const { return view_.Resetting(); }
    const TTreeNode* Root() const { return view_.nodes_->root_.get(); }

    // A node whose selected image differs gets an icon with that image for the selected look.
    QVariant Icon(const TTreeNode& node) const {
        TImageList* images = view_.Images();
        if (!images) return {};
        int normal = node.ImageIndex(), selected = node.SelectedIndex();
        if (normal == selected || selected < 0 || selected >= images->Count()) {
            QIcon icon = images->Icon(normal);
            return icon.isNull() ? QVariant() : QVariant(icon);
        }
        auto [it, added] = icons_.try_emplace({normal, selected});
        if (added) {
            for (qreal pixelRatio : PixelRatiosToDraw()) {
                it->second.addPixmap(images->Pixmap(normal, pixelRatio), QIcon::Normal);
                it->second.addPixmap(images->Pixmap(selected, pixelRatio), QIcon::Selected);
            }
        }
        return it->second;
    }

    TTreeView& view_;
    mutable std::map<std::pair<int, int>, QIcon> icons_;
};

// The selection marks the node itself, not the lines and buttons before it.
class NodeOnlySelectionStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ItemView_ShowDecorationSelected) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The toolkit view, with its keys and branch drawing routed through the tree as well.
class TreeWidget : public ItemViewWidget {
public:
    TreeWidget(TTreeView& tree, QWidget* parent) : ItemViewWidget(tree, parent), tree_(tree) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        TTreeNode* before = tree_.Selected();
        QTreeView::keyPressEvent(event);
        CatchErrors(&tree_, [&] { tree_.KeyboardMoved(before); });
    }

    // Dotted lines join siblings and lead to each node; the style draws the buttons.
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override {
        if (tree_.ShowLines() && index.isValid()) {
            painter->save();
            painter->setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
            const int indent = indentation();
            const int midY = rect.top() + rect.height() / 2;
            int cellLeft = rect.right() + 1 - indent;
            if (cellLeft >= rect.left()) {
                int x = cellLeft + indent / 2;
                bool above = index.row() > 0 || index.parent().isValid();
                bool below = index.row() + 1 < model()->rowCount(index.parent());
                painter->drawLine(x, above ? rect.top() : midY, x, below ? rect.bottom() : midY);
                painter->drawLine(x, midY, cellLeft + indent - 2, midY);
            }
            for (QModelIndex a = index.parent(); a.isValid(); a = a.parent()) {
                cellLeft -= indent;
                if (cellLeft < rect.left()) break;
                if (a.row() + 1 < model()->rowCount(a.parent()))
                    painter->drawLine(cellLeft + indent / 2, rect.top(), cellLeft + indent / 2, rect.bottom());
            }
            painter->restore();
        }
        if (tree_.ShowButtons()) QTreeView::drawBranches(painter, rect, index);
    }

private:
    TTreeView& tree_;
};

// ---------------------------------------------------------------- TTreeNode

TTreeNode::TTreeNode(TTreeNodes& owner, TTreeNode* parent, std::string text, TCodePage codePage)
    : owner_(&owner), parent_(parent), text_(std::move(text)), codePage_(codePage) {}

TTreeNode::~TTreeNode() = default;

void TTreeNode::SetText(const std::string& text) {
    text_ = text;
    owner_->view_.NodeChanged(this);
}

void TTreeNode::SetImageIndex(int index) {
    imageIndex_ = index;
    owner_->view_.NodeChanged(this);
}

void TTreeNode::SetSelectedIndex(int index) {
    selectedIndex_ = index;
    owner_->view_.NodeChanged(this);
}

TTreeNode* TTreeNode::Parent() const { return parent_ == owner_->root_.get() ? nullptr : parent_; }

bool TTreeNode::HasAsParent(const TTreeNode* ancestor) const {
    for (const TTreeNode* p = parent_; p; p = p->parent_)
        if (p == ancestor) return true;
    return false;
}

void TTreeNode::SetExpandedFlags(bool expanded, bool recursive) {
    expanded_ = expanded;
    if (recursive)
        for (auto& child : children_) child->SetExpandedFlags(expanded, true);
}

void TTreeNode::Expand(bool recursive) {
    SetExpandedFlags(true, recursive);
    owner_->view_.NodeExpansionChanged(this, recursive);
}

void TTreeNode::Delete() { owner_->DeleteNode(this); }

void TTreeNode::SetHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    if (!owner_->view_.Resetting()) owner_->view_.ShowHidden(this, false);
}

// ---------------------------------------------------------------- TTreeNodes

TTreeNodes::TTreeNodes(TTreeView& view) : view_(view), root_(new TTreeNode(*this, nullptr, {}, AnsiCodePage())) {}

TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
    return AddChild(parent, text, AnsiCodePage());
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text, TCodePage codePage) {
    TTreeNode* p = parent ? parent : root_.get();
    int row = p->Count();
    view_.BeforeInsert(p, row);
    auto node = std::unique_ptr<TTreeNode>(new TTreeNode(*this, p, text, codePage));
    node->index_ = row;
    TTreeNode* added = node.get();
    p->children_.push_back(std::move(node));
    ++count_;
    view_.AfterInsert(p);
    return added;
}

namespace {
int CountWithDescendants(const TTreeNode& node) {
    int n = 1;
    for (int i = 0; i < node.Count(); ++i) n += CountWithDescendants(*node.Item(i));
    return n;
}
}  // namespace

void TTreeNodes::DeleteNode(TTreeNode* node) {
    view_.BeforeRemove(node);
    TTreeNode* p = node->parent_;
    auto at = p->children_.begin() + node->index_;
    std::unique_ptr<TTreeNode> gone = std::move(*at);
    p->children_.erase(at);
    for (int i = gone->index_; i < p->Count(); ++i) p->children_[size_t(i)]->index_ = i;
    count_ -= CountWithDescendants(*gone);
    view_.AfterRemove();
}

void TTreeNodes::Clear() {
    view_.selected_ = nullptr;
    bool batch = Updating();
    if (batch) view_.BeforeStructureChange();
    else view_.model_->BeginReset();
    root_->children_.clear();
    count_ = 0;
    if (!batch) view_.model_->EndReset();
}

TTreeNode* TTreeNodes::GetFirstNode() const { return root_->Count() > 0 ? root_->Item(0) : nullptr; }

void TTreeNodes::BeginUpdate() { view_.BeginUpdate(); }

void TTreeNodes::EndUpdate() { view_.EndUpdate(); }

bool TTreeNodes::Updating() const { return view_.Updating(); }

// ---------------------------------------------------------------- TTreeView

TTreeView::TTreeView(TComponent* owner, TWinControl* parent)
    : TCustomItemView(owner, new TreeWidget(*this, ParentWidgetOf(parent))),
      model_(std::make_unique<TreeNodeModel>(*this)),
      nodes_(std::make_unique<TTreeNodes>(*this)) {
    SetParent(parent);
    ItemViewWidget* view = View();
    view->setHeaderHidden(true);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Only the rows in view are measured: a file of 100,000 sections must not be measured whole.
    view->header()->setResizeContentsPrecision(0);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setIndentation(indent_);
    view->setAnimated(false);
    auto* style = new NodeOnlySelectionStyle;
    style->setParent(view);
    view->setStyle(style);
    ShowModel(*model_);
    QObject::connect(view, &QTreeView::expanded, view, [this](const QModelIndex& index) {
        if (!Resetting() && index.isValid()) TreeNodeModel::NodeOf(index)->expanded_ = true;
    });
    QObject::connect(view, &QTreeView::collapsed, view, [this](const QModelIndex& index) {
        if (!Resetting() && index.isValid()) TreeNodeModel::NodeOf(index)->expanded_ = false;
    });
}

TTreeView::~TTreeView() { DeleteView(); }

void TTreeView::SetSelected(TTreeNode* node) {
    selected_ = node;
    if (!Resetting()) ShowSelection(true);
}

void TTreeView::ShowSelection(bool scroll) {
    QItemSelectionModel* selection = View()->selectionModel();
    if (!selected_) {
        selection->clear();
        return;
    }
    QModelIndex index = model_->IndexOf(selected_);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (scroll) View()->scrollTo(index);
}

void TTreeView::SelectionChangedByView() {
    if (Resetting()) return;
    QModelIndexList selected = View()->selectionModel()->selectedIndexes();
    selected_ = selected.isEmpty() ? nullptr : TreeNodeModel::NodeOf(selected.first());
}

void TTreeView::KeyboardMoved(TTreeNode* before) {
    if (selected_ != before && OnKeyboardSelect) OnKeyboardSelect(this);
}

// ---- notes from the nodes

void TTreeView::BeginModelReset() { model_->BeginReset(); }

void TTreeView::EndModelReset() {
    model_->EndReset();
    ShowExpansion(nodes_->root_.get(), true);
    for (int i = 0; i < nodes_->root_->Count(); ++i) ShowHidden(nodes_->root_->Item(i), true);
    ShowSelection(false);
}

void TTreeView::BeforeInsert(TTreeNode* parent, int row) {
    if (Updating()) BeforeStructureChange();
    else model_->BeginInsert(model_->IndexOf(parent), row);
}

void TTreeView::AfterInsert(TTreeNode* parent) {
    if (Resetting()) return;
    model_->EndInsert();
    // An expanded node that gets its first child shows it.
    if (parent->expanded_ && parent->Count() == 1 && parent->parent_) View()->expand(model_->IndexOf(parent));
}

void TTreeView::BeforeRemove(TTreeNode* node) {
    if (selected_ && (selected_ == node || selected_->HasAsParent(node))) {
        selected_ = nullptr;
        ForgetShownSelection();
    }
    if (Updating()) BeforeStructureChange();
    else model_->BeginRemove(model_->IndexOf(node->parent_), node->index_);
}

void TTreeView::AfterRemove() {
    if (!Resetting()) model_->EndRemove();
}

void TTreeView::NodeChanged(TTreeNode* node) {
    if (!DeferItemChange()) model_->Changed(node);
}

// Only nodes with children are told to the view: leaves need no stored state.
void TTreeView::ShowExpansion(TTreeNode* node, bool recursive) {
    if (node->Count() == 0) return;
    QModelIndex index = model_->IndexOf(node);
    if (index.isValid()) View()->setExpanded(index, node->expanded_);
    if (recursive)
        for (int i = 0; i < node->Count(); ++i) ShowExpansion(node->Item(i), true);
}

void TTreeView::ShowHidden(TTreeNode* node, bool recursive) {
    View()->setRowHidden(node->index_, model_->IndexOf(node->parent_), node->hidden_);
    if (recursive)
        for (int i = 0; i < node->Count(); ++i) ShowHidden(node->Item(i), true);
}

void TTreeView::NodeExpansionChanged(TTreeNode* node, bool recursive) {
    if (!Resetting()) ShowExpansion(node, recursive);
}

// ---- images and looks

void TTreeView::ImagesChanged() {
    model_->ForgetIcons();
    TCustomItemView::ImagesChanged();
}

void TTreeView::SetIndent(int indent) {
    indent_ = indent;
    View()->setIndentation(indent);
}

void TTreeView::SetShowLines(bool show) {
    showLines_ = show;
    View()->viewport()->update();
}

void TTreeView::SetShowButtons(bool show) {
    showButtons_ = show;
    View()->viewport()->update();
}

void TTreeView::SetShowRoot(bool show) {
    showRoot_ = show;
    View()->setRootIsDecorated(show);
}

// ---- input

// Only the left button on a node moves the selection; empty space keeps it (the toolkit
// would clear it), and the other buttons just report the press.
void TTreeView::PressOnView(QMouseEvent& mouse) {
    if (mouse.button() != Qt::LeftButton) return;
    NoteLeftPress(true);
    if (View()->indexAt(mouse.position().toPoint()).isValid()) View()->BaseViewportEvent(&mouse);
}

bool TTreeView::ViewTakesRelease(const QMouseEvent& mouse) const {
    return mouse.button() == Qt::LeftButton && View()->indexAt(mouse.position().toPoint()).isValid();
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const {
    const QModelIndex index = View()->indexAt(QPoint(x, y));
    return index.isValid() ? TreeNodeModel::NodeOf(index) : nullptr;
}

void TTreeView::ApplySelectionColours() {
    // The view also paints the selected row's band itself, past the item delegate: without
    // the focus, a hidden selection takes the colours of an unselected row, a kept one a paler
    // band, so that the user still sees which node is selected and that the focus is elsewhere.
    // From the application's palette: the view's own holds the band set last, and may not
    // have followed a change of the desktop's palette yet.
    QPalette palette = View()->palette();
    const bool focused = View()->hasFocus();
    const QPalette base = QApplication::palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        QColor band = base.color(group, QPalette::Highlight), text = base.color(group, QPalette::HighlightedText);
        if (!focused && HideSelection()) {
            band = base.color(group, QPalette::Base);
            text = base.color(group, QPalette::Text);
        } else if (!focused) {
            const QColor back = base.color(group, QPalette::Base);
            band = QColor((band.red() + 2 * back.red()) / 3, (band.green() + 2 * back.green()) / 3,
                          (band.blue() + 2 * back.blue()) / 3);
            text = base.color(group, QPalette::Text);
        }
        palette.setColor(group, QPalette::Highlight, band);
        palette.setColor(group, QPalette::HighlightedText, text);
    }
    View()->setPalette(palette);
}

bool TTreeView::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Images") ResolveImageList(value, reader);
    else if (name == "Indent") SetIndent(value.AsInt());
    else if (name == "ShowLines") SetShowLines(value.AsBool());
    else if (name == "ShowButtons") SetShowButtons(value.AsBool());
    else if (name == "ShowRoot") SetShowRoot(value.AsBool());
    else if (name == "OnKeyboardSelect") OnKeyboardSelect = reader.Handler<TNotifyEvent>(value);
    else return TCustomItemView::ApplyProperty(name, value, reader);
    return true;
}

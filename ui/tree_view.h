#pragma once
// Tree views: ordered nodes with a text (bytes in the node's code page), an image index and a
// selected-image index. The nodes are ours; the toolkit view shows them through a model.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encoding/code_page.h"
#include "ui/item_view.h"

class TTreeNodes;
class TTreeView;
class TreeNodeModel;
class TreeWidget;

class TTreeNode {
public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;
    ~TTreeNode();

    const std::string& Text() const { return text_; }
    // Bytes in the node's code page.
    void SetText(const std::string& text);
    // The code page of the text's bytes, given when the node was added.
    TCodePage CodePage() const { return codePage_; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int index);
    // The node's tooltip, bytes in the locale's code page (a note of the program's own, which
    // the file's code page may not hold); empty: the text, when the view shows only part of it.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    // What assistive technologies read besides the text, in the locale's code page: what the
    // node's image tells the eye.
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& description) { description_ = description; }
    // What the node stands for in its owner's data (an index there), kept with it so that the
    // owner need not work it out again from the node's place.
    std::size_t Data() const { return data_; }
    void SetData(std::size_t data) { data_ = data; }

    // Nullptr for a top-level node.
    TTreeNode* Parent() const;
    int Count() const { return int(children_.size()); }
    TTreeNode* Item(int index) const { return children_[size_t(index)].get(); }
    // The position among its siblings.
    int Index() const { return index_; }
    bool HasAsParent(const TTreeNode* ancestor) const;

    // A hidden node takes no row in the view; the keys pass it by.
    bool Hidden() const { return hidden_; }
    void SetHidden(bool hidden);

    bool Expanded() const { return expanded_; }
    void Expand(bool recursive);
    // Removes the node and everything below it; the node is gone afterwards.
    void Delete();

    TTreeNodes& Owner() const { return *owner_; }

private:
    friend class TTreeNodes;
    friend class TTreeView;
    friend class TreeNodeModel;
    TTreeNode(TTreeNodes& owner, TTreeNode* parent, std::string text, TCodePage codePage);
    void SetExpandedFlags(bool expanded, bool recursive);

    TTreeNodes* owner_;
    TTreeNode* parent_;  // the hidden root for top-level nodes
    std::vector<std::unique_ptr<TTreeNode>> children_;
    std::string text_;
    TCodePage codePage_;
    std::string hint_;
    std::string description_;
    std::size_t data_ = 0;
    int imageIndex_ = 0;
    int selectedIndex_ = 0;
    int index_ = 0;
    bool expanded_ = false;
    bool hidden_ = false;
};

class TTreeNodes {
public:
    explicit TTreeNodes(TTreeView& view);
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;
    ~TTreeNodes();

    // Appends a node as the last child of parent (nullptr: as the last top-level node), its
    // text bytes in codePage; without one, in the locale's.
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text, TCodePage codePage);
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    void Clear();
    // All nodes, at every level.
    int Count() const { return count_; }
    // Node 0 in tree order, or nullptr.
    TTreeNode* GetFirstNode() const;
    int TopCount() const { return root_->Count(); }

    // Changes between these show at once at the end, not node by node.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const;

    TTreeView& Owner() const { return view_; }

private:
    friend class TTreeNode;
    friend class TreeNodeModel;
    friend class TTreeView;
    void DeleteNode(TTreeNode* node);

    TTreeView& view_;
    std::unique_ptr<TTreeNode> root_;  // hidden; its children are the top-level nodes
    int count_ = 0;
};

class TTreeView : public TCustomItemView {
public:
    explicit TTreeView(TComponent* owner, TWinControl* parent = nullptr);
    ~TTreeView() override;
    const char* ClassName() const override { return "TTreeView"; }

    TTreeNodes& Items() { return *nodes_; }
    TTreeNode* Selected() const { return selected_; }
    void SetSelected(TTreeNode* node);

    TImageList* Images() const { return ImageList(); }
    void SetImages(TImageList* images) { SetImageList(images); }
    int Indent() const { return indent_; }
    void SetIndent(int indent);
    bool ShowLines() const { return showLines_; }
    void SetShowLines(bool show);
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool show);
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool show);

    // The node at a point of the client area (mouse-event coordinates), or nullptr.
    TTreeNode* GetNodeAt(int x, int y) const;

    // The selection moved by keyboard (a mouse click raises OnClick instead).
    TNotifyEvent OnKeyboardSelect;
    // More of a node's tooltip, asked for only when it is shown (bytes in the locale's code page).
    std::function<std::string(TTreeNode& node)> OnGetHint;
    // Whether a node's caption may be edited in place at all (unset: every node's).
    std::function<bool(const TTreeNode& node)> OnEditing;
    // A caption edited in place and committed, before the node takes it: false keeps the old one.
    std::function<bool(TTreeNode& node, const std::string& text)> OnEdited;

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

private:
    friend class TTreeNodes;
    friend class TTreeNode;
    friend class TreeWidget;
    friend class TreeNodeModel;

    void KeyboardMoved(TTreeNode* before);
    void SelectionChangedByView() override;
    void ShowSelection(bool scroll);
    void ShowExpansion(TTreeNode* node, bool recursive);
    void ShowHidden(TTreeNode* node, bool recursive);

    // Notes from the nodes.
    void BeforeInsert(TTreeNode* parent, int row);
    void AfterInsert(TTreeNode* parent);
    void BeforeRemove(TTreeNode* node);
    void AfterRemove();
    void NodeChanged(TTreeNode* node);
    void NodeExpansionChanged(TTreeNode* node, bool recursive);

    void BeginModelReset() override;
    void EndModelReset() override;
    void ImagesChanged() override;
    void ApplySelectionColours() override;
    void PressOnView(QMouseEvent& mouse) override;
    bool ViewTakesRelease(const QMouseEvent& mouse) const override;

    std::unique_ptr<TreeNodeModel> model_;
    std::unique_ptr<TTreeNodes> nodes_;
    TTreeNode* selected_ = nullptr;
    int indent_ = 19;
    bool showLines_ = true;
    bool showButtons_ = true;
    bool showRoot_ = true;
};

#pragma once
// Report-style list views: rows with a caption and sub-items (bytes in the row's code page)
// under columns (bytes in the locale's). The rows are ours; the toolkit view shows them
// through a model. Rows that another object holds are made only when shown or asked for.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "encoding/code_page.h"
#include "ui/item_view.h"

class TListView;
class TListItem;
class TListItems;
class ListItemModel;

// The width range of an auto-sized column; 0 means no bound.
struct ColumnRange {
    int minWidth = 0;
    int maxWidth = 0;
};

// Shares a client width among auto-sized columns: each an equal share, the first also the
// remainder; a column whose share falls outside its range is held at the nearer bound and
// drops out, and the rest is shared again among the others until nothing changes.
std::vector<int> ShareColumnWidths(int clientWidth, const std::vector<ColumnRange>& columns);

class TListColumn {
public:
    TListColumn(const TListColumn&) = delete;
    TListColumn& operator=(const TListColumn&) = delete;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int width);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int width);
    // The width shown; setting it fixes the width of a column that is not auto-sized.
    int Width() const { return width_; }
    void SetWidth(int width);
    int Index() const { return index_; }

private:
    friend class TListView;
    TListColumn(TListView& view, int index) : view_(view), index_(index) {}

    TListView& view_;
    int index_;
    std::string caption_;
    bool autoSize_ = false;
    int minWidth_ = 0;
    int maxWidth_ = 0;
    int width_ = 50;
};

// The texts of a row's further columns.
class TSubItems {
public:
    void Add(const std::string& text);
    int Count() const { return int(texts_.size()); }
    const std::string& At(int index) const { return texts_[size_t(index)]; }
    void Set(int index, const std::string& text);
    void Clear();

private:
    friend class TListItem;
    explicit TSubItems(TListItem& item) : item_(item) {}

    TListItem& item_;
    std::vector<std::string> texts_;
};

class TListItem {
public:
    TListItem(const TListItem&) = delete;
    TListItem& operator=(const TListItem&) = delete;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The code page of the caption's and the sub-items' bytes, given when the row was added.
    TCodePage CodePage() const { return codePage_; }
    TSubItems& SubItems() { return subItems_; }
    const TSubItems& SubItems() const { return subItems_; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int Index() const { return index_; }
    // The row's tooltip, bytes in the locale's code page; empty: a cut text's whole text.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    // What assistive technologies read besides the texts, in the locale's code page: what the
    // row's image tells the eye.
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& description) { description_ = description; }
    // What the row stands for in its owner's data (an index there), kept with it so that the
    // owner need not work it out again from the row's place, which removals change.
    std::size_t Data() const { return data_; }
    void SetData(std::size_t data) { data_ = data; }
    // Removes the row; the item is gone afterwards.
    void Delete();

    TListItems& Owner() const { return owner_; }

private:
    friend class TListItems;
    friend class TSubItems;
    TListItem(TListItems& owner, TCodePage codePage) : owner_(owner), codePage_(codePage), subItems_(*this) {}
    void Changed();

    TListItems& owner_;
    TCodePage codePage_;
    std::string caption_;
    std::string hint_;
    std::string description_;
    std::size_t data_ = 0;
    TSubItems subItems_;
    int imageIndex_ = -1;
    int index_ = 0;
};

// Rows held elsewhere, handed to a list that makes each into an item when it is first needed.
class TListRowSource {
public:
    virtual ~TListRowSource() = default;
    virtual std::string Caption(int index) const = 0;
    // Gives a new row, its caption already set, its sub-items, image and hint.
    virtual void Fill(int index, TListItem& row) const = 0;
};

class TListItems {
public:
    explicit TListItems(TListView& view) : view_(view) {}
    TListItems(const TListItems&) = delete;
    TListItems& operator=(const TListItems&) = delete;
    ~TListItems();

    // Appends an empty row whose texts are bytes in codePage; without one, in the locale's.
    TListItem* Add(TCodePage codePage);
    TListItem* Add();
    void Clear();
    void Delete(int index);
    // Replaces the rows with count rows of source, texts in codePage; an item is made the first
    // time the view or a caller needs it, so a long list costs little until it is looked at.
    void Show(int count, TCodePage codePage, std::unique_ptr<const TListRowSource> source);
    int Count() const { return source_ ? sourceCount_ : int(items_.size()); }
    TListItem* Item(int index) const;
    // A row's caption, without making the row.
    std::string CaptionOf(int index) const;

    // Changes between these show at once at the end, not row by row.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const;

    TListView& Owner() const { return view_; }

private:
    friend class TListItem;
    friend class TListView;
    friend class ListItemModel;

    // The item of a row of source_.
    std::unique_ptr<TListItem> MakeRow(int index) const;
    // Whether item is the row the list holds at its index (not one still being made).
    bool Holds(const TListItem* item) const;
    // Makes every row of source_ an item of its own, before rows are added or removed.
    void TakeRowsOver();

    TListView& view_;
    // The rows, while they do not come from source_.
    std::vector<std::unique_ptr<TListItem>> items_;
    // The rows of source_ made so far, by index: nothing is held for the others.
    mutable std::unordered_map<int, std::unique_ptr<TListItem>> made_;
    std::unique_ptr<const TListRowSource> source_;
    int sourceCount_ = 0;
    TCodePage sourceCodePage_ = TCodePage::None;
};

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView : public TCustomItemView {
public:
    explicit TListView(TComponent* owner, TWinControl* parent = nullptr);
    ~TListView() override;
    const char* ClassName() const override { return "TListView"; }

    TListItems& Items() { return *items_; }
    int ColumnCount() const { return int(columns_.size()); }
    TListColumn& Column(int index) const { return *columns_[size_t(index)]; }
    TListColumn& AddColumn();

    // The first selected row, or nullptr.
    TListItem* Selected() const { return selected_; }
    void SetSelected(TListItem* item);

    // Rows are always shown in report style, whatever the setting.
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle style) { viewStyle_ = style; }
    // Whether the column headers react to clicks.
    bool ColumnClick() const { return columnClick_; }
    void SetColumnClick(bool click);
    bool FlatScrollBars() const { return flatScrollBars_; }
    void SetFlatScrollBars(bool flat) { flatScrollBars_ = flat; }
    TImageList* SmallImages() const { return ImageList(); }
    void SetSmallImages(TImageList* images) { SetImageList(images); }

    // A caption edited in place and committed, before the row takes it: false keeps the old one.
    std::function<bool(TListItem& item, const std::string& text)> OnEdited;

    // Shares the client width among the auto-sized columns again.
    void AutoSizeColumns();

    // More of a row's tooltip, asked for only when it is shown (bytes in the locale's code
    // page): what would cost too much to gather for every row of a long list.
    std::function<std::string(TListItem& row)> OnGetHint;

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;
    void Loaded() override;

private:
    friend class TListColumn;
    friend class TListItems;
    friend class TListItem;
    friend class ListItemModel;

    void SelectionChangedByView() override;
    void ShowSelection();
    void ShowColumnWidth(TListColumn& column);
    void ColumnResizedByToolkit(int column, int width);
    void ApplyColumnRecord(TListColumn& column, const LayoutValue& record);

    // Notes from the rows and columns.
    void BeforeAdd(int row);
    void AfterAdd();
    void BeforeRemove(TListItem* item);
    void AfterRemove();
    void BeforeClear();
    void AfterClear();
    void ItemChanged(TListItem* item);
    void ColumnChanged(TListColumn& column);

    void BeginModelReset() override;
    void EndModelReset() override;
    void ApplySelectionColours() override;
    void PressOnView(QMouseEvent& mouse) override;
    bool ViewTakesRelease(const QMouseEvent& mouse) const override;

    std::unique_ptr<ListItemModel> model_;
    std::unique_ptr<TListItems> items_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
    TListItem* selected_ = nullptr;
    TViewStyle viewStyle_ = TViewStyle::vsIcon;
    bool columnClick_ = true;
    bool flatScrollBars_ = false;
    bool sizingColumns_ = false;
};

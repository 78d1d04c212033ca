#pragma once
// The compare view: the loaded file (left) against another (right), in place of the tree, the
// list and the status line. Its tree holds the sections of both files, its list the key lines
// of one with both values, each marked same, different, left only or right only; it can show
// only what differs, step from one difference to the next, and copy a key or a section from
// one file into the other. It follows changes that other programs make to either file, and
// compares on a thread of its own, so the window goes on serving events meanwhile.
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/compare_build.h"
#include "platform/keys.h"

class TForm;
class TControl;
class TWinControl;
class TPanel;
class TTreeView;
class TTreeNode;
class TListView;
class TListItem;
class TSplitter;
class TCheckBox;
class TLabel;
class TButton;
class TPopupMenu;
class TMenuItem;
class TImageList;
class TTimer;
class TBusyCursor;
class TFileWatch;
class TEditHistory;

class TCompareView {
public:
    // Stands on form in place of `replaced` (the views and the status line), from the top of
    // the first of them to the window's bottom. Copies are kept for undo in history.
    // Copies go to the history of the document `shown` holds, which the ordinary view undoes from.
    TCompareView(TForm& form, std::initializer_list<TControl*> replaced, const std::unique_ptr<TDocument>& shown);
    ~TCompareView();
    TCompareView(const TCompareView&) = delete;
    TCompareView& operator=(const TCompareView&) = delete;

    bool Showing() const;
    // Shows the view and compares the two files; a file that cannot be opened raises, and
    // leaves the view as it was.
    void Open(const std::string& leftPath, const std::string& rightPath);
    // Gives the window back to what it replaced; a comparison under way is cancelled.
    void Close();
    // Run once the view has closed, by its keys or its button.
    std::function<void()> OnClosed;

    // The view's keys, when it shows: true when the key was one of them.
    bool TakeKey(std::uint16_t key, TShiftState shift);

    // The next or previous difference, after the selection: its section selected, and its row.
    void GoToDifference(int direction);
    // Copies the selected row (or, with wholeSection, the selected section) from one file into
    // the other, and compares them again; a refusal is told, naming the key.
    void CopySelection(TCompareSide from, bool wholeSection);

    TTreeView& Tree() const { return *tree_; }
    TListView& List() const { return *list_; }
    TCheckBox& OnlyDifferences() const { return *onlyDifferences_; }
    // The status line's text, in the locale's code page.
    const std::string& State() const;
    // The comparison shown; null before the first build ends.
    const TIniComparison* Comparison() const { return comparison_.get(); }

private:
    struct TPlace {
        std::size_t section = 0;
        std::optional<std::size_t> key;
    };
    struct TNamedPlace;

    void MakeControls(TForm& form);
    TPopupMenu* MakeCopyMenu(TForm& form, bool wholeSection);
    // Compares the files again, the view staying as it is until the new comparison is whole.
    void Rebuild();
    std::unique_ptr<TCompareBuild> NewBuild(const std::string& leftPath, const std::string& rightPath);
    void StartBuild(std::unique_ptr<TCompareBuild> build);
    void BuildEnded(TCompareBuild* build);
    void ShowBuilt(TCompareBuild& build);
    void StopBuild();
    void ShowProgress();
    // Shows a whole build, the selection kept where it can.
    void Show(TComparedFiles files);
    void ShowSections();
    void ListSelectedSection();
    TTreeNode* RootNode() const;
    // The selected section (by its place among the root's children) and key, if any.
    std::optional<TPlace> SelectedPlace() const;
    TNamedPlace NamedPlace() const;
    void SelectNamedPlace(const TNamedPlace& place);
    void Select(const TPlace& place, bool focusList);
    std::optional<TPlace> DifferenceAfter(int direction) const;
    // Whether a section or key of that mark has something to copy from that side.
    static bool Copyable(TCompareMark mark, TCompareSide from);
    // "[section] key" as the source file names them, in the locale's code page.
    std::string RowName(const TCompareRow& row, TCompareSide from) const;
    void ShowState();
    void ShowSaved(const std::string& what);
    void FileChanged();
    void EnableMenus(TPopupMenu& menu, bool wholeSection);

    TForm& form_;
    std::vector<TControl*> replaced_;
    const std::unique_ptr<TDocument>& shown_;
    TPanel* panel_ = nullptr;
    TTreeView* tree_ = nullptr;
    TSplitter* splitter_ = nullptr;
    TListView* list_ = nullptr;
    TPanel* bar_ = nullptr;
    TCheckBox* onlyDifferences_ = nullptr;
    TLabel* state_ = nullptr;
    TButton* close_ = nullptr;
    TImageList* marks_ = nullptr;
    TPopupMenu* treeMenu_ = nullptr;
    TPopupMenu* listMenu_ = nullptr;

    std::string leftPath_, rightPath_;
    std::unique_ptr<TDocument> left_, right_;
    std::shared_ptr<const TIniComparison> comparison_;
    // The sections the tree shows, by node, and the key rows the list shows, by row.
    std::vector<std::size_t> nodeSections_;
    std::vector<std::size_t> rowKeys_;
    std::unique_ptr<TCompareBuild> build_;
    std::chrono::steady_clock::time_point buildStarted_;
    bool progressShown_ = false;
    std::unique_ptr<TTimer> progress_;
    std::unique_ptr<TBusyCursor> cursor_;
    // Builds cancelled or already shown, until their posted ends have come.
    std::vector<std::unique_ptr<TCompareBuild>> unawaited_;
    std::unique_ptr<TFileWatch> leftWatch_, rightWatch_;
    // What the last copy saved, while the status line says so.
    std::string savedNote_;
    std::unique_ptr<TTimer> savedNoteTimer_;
};

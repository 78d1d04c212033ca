#include "app/compare_view.h"

#include <algorithm>

#include "app/update_bracket.h"
#include "dialogs/message_dialog.h"
#include "document/edit_history.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "platform/beep.h"
#include "platform/file_watch.h"
#include "platform/keys.h"
#include "text/file_names.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/form.h"
#include "ui/image_list.h"
#include "ui/label.h"
#include "ui/list_view.h"
#include "ui/panel.h"
#include "ui/popup_menu.h"
#include "ui/screen.h"
#include "ui/splitter.h"
#include "ui/timer.h"
#include "ui/tree_view.h"
#include "platform/exception.h"

namespace {

constexpr int kBarHeight = 26;
constexpr int kSplitterWidth = 7;
// How long opening waits for the comparison before it lets the window go on: two small files
// are compared within it and shown at once.
constexpr auto kBuildWait = std::chrono::milliseconds(60);
constexpr int kProgressMilliseconds = 100;
constexpr auto kQuietBuild = std::chrono::seconds(1);
constexpr int kSavedShownMilliseconds = 4000;

// The marks' images, in the order of TCompareMark, and the root's.
constexpr const char* kImages[] = {"mark-same", "mark-different", "mark-left-only", "mark-right-only", "file"};
constexpr int kRootImage = 4;

int MarkImage(TCompareMark mark) { return int(mark); }

bool WholeOnOneSide(TCompareMark mark) { return mark == TCompareMark::LeftOnly || mark == TCompareMark::RightOnly; }

// What a screen reader says for a mark's image.
std::string MarkText(TCompareMark mark) {
    switch (mark) {
        case TCompareMark::Same: return Ansi("相同");
        case TCompareMark::Different: return Ansi("不同");
        case TCompareMark::LeftOnly: return Ansi("仅左边有");
        case TCompareMark::RightOnly: return Ansi("仅右边有");
    }
    return {};
}

// Texts of both files are shown in UTF-8: one row holds text of each.
std::string Shown(std::string_view text, TCodePage codePage) { return CodePageToUtf8(text, codePage); }

// What a refused copy says, in the locale's code page.
std::string RefusalText(IniFailure failure) {
    switch (failure) {
        case IniFailure::CannotHold: return Ansi("目标文件的编码无法保存其中的字符");
        case IniFailure::Stale: return Ansi("文件已被其他程序修改，请看过刷新后的内容再试");
        case IniFailure::PermissionDenied: return Ansi("目标文件没有写入权限");
        case IniFailure::ReadOnlyFileSystem: return Ansi("目标文件所在的文件系统只读");
        case IniFailure::ReadOnlyFile: return Ansi("目标文件没有可写属性");
        default: return Ansi("写入目标文件失败");
    }
}

// The key rows of a section the list shows, made only when shown.
class MarkedKeyRows : public TListRowSource {
public:
    MarkedKeyRows(std::shared_ptr<const TIniComparison> comparison, std::size_t section, std::vector<std::size_t> keys)
        : comparison_(std::move(comparison)), section_(section), keys_(std::move(keys)) {}

    std::string Caption(int index) const override {
        const TComparedKey key = Key(index);
        return key.left ? Shown(key.left->name, comparison_->CodePage(TCompareSide::Left))
                        : Shown(key.right->name, comparison_->CodePage(TCompareSide::Right));
    }
    void Fill(int index, TListItem& row) const override {
        const TComparedKey key = Key(index);
        row.SubItems().Add(Shown(key.leftValue, comparison_->CodePage(TCompareSide::Left)));
        row.SubItems().Add(Shown(key.rightValue, comparison_->CodePage(TCompareSide::Right)));
        row.SetImageIndex(MarkImage(key.mark));
        row.SetDescription(MarkText(key.mark));
    }

private:
    TComparedKey Key(int index) const { return comparison_->Key(section_, keys_[std::size_t(index)]); }

    std::shared_ptr<const TIniComparison> comparison_;
    std::size_t section_;
    std::vector<std::size_t> keys_;
};

}  // namespace

// The selection by the names one side gives it, which outlives a new comparison.
struct TCompareView::TNamedPlace {
    TCompareSide side = TCompareSide::Left;
    std::optional<TShownName> section;
    std::optional<TShownName> key;
    bool inList = false;
};

TCompareView::TCompareView(TForm& form, std::initializer_list<TControl*> replaced,
                           const std::unique_ptr<TDocument>& shown)
    : form_(form), replaced_(replaced), shown_(shown) {
    MakeControls(form);
    treeMenu_ = MakeCopyMenu(form, true);
    tree_->SetPopupMenu(treeMenu_);
    listMenu_ = MakeCopyMenu(form, false);
    list_->SetPopupMenu(listMenu_);
    progress_ = std::make_unique<TTimer>(&form);
    leftWatch_ = std::make_unique<TFileWatch>([this] { form_.PostCall([this] { FileChanged(); }); });
    rightWatch_ = std::make_unique<TFileWatch>([this] { form_.PostCall([this] { FileChanged(); }); });
}

TCompareView::~TCompareView() = default;

void TCompareView::MakeControls(TForm& form) {
    const int top = replaced_.front()->Top();
    const int width = form.ClientWidth(), height = form.ClientHeight() - top;
    const int treeWidth = replaced_.front()->Width();
    const int viewsHeight = height - kBarHeight;

    panel_ = new TPanel(&form, &form);
    panel_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone);
    panel_->SetBounds(0, top, width, height);
    panel_->SetAnchors(akLeft | akTop | akRight | akBottom);
    panel_->SetVisible(false);

    marks_ = new TImageList(&form);
    for (const char* name : kImages) marks_->AddDrawn(name);

    tree_ = new TTreeView(&form, panel_);
    tree_->SetName("CompareTree");
    tree_->SetBounds(0, 0, treeWidth, viewsHeight);
    tree_->SetAnchors(akLeft | akTop | akBottom);
    tree_->SetImages(marks_);
    tree_->SetReadOnly(true);
    tree_->SetHideSelection(false);
    tree_->OnClick = [this](TComponent*) { ListSelectedSection(); };
    tree_->OnKeyboardSelect = [this](TComponent*) { ListSelectedSection(); };
    // A right press acts on the section under the pointer, as in the ordinary view.
    tree_->OnMouseDown = [this](TComponent*, TMouseButton button, TShiftState, int x, int y) {
        if (button != TMouseButton::mbRight) return;
        if (TTreeNode* node = tree_->GetNodeAt(x, y); node && node != tree_->Selected()) {
            tree_->SetSelected(node);
            ListSelectedSection();
        }
    };

    list_ = new TListView(&form, panel_);
    list_->SetName("CompareList");
    list_->SetBounds(treeWidth + kSplitterWidth, 0, width - treeWidth - kSplitterWidth, viewsHeight);
    list_->SetAnchors(akLeft | akTop | akRight | akBottom);
    list_->SetViewStyle(TViewStyle::vsReport);
    list_->SetColumnClick(false);
    list_->SetSmallImages(marks_);
    list_->SetReadOnly(true);
    list_->SetHideSelection(false);
    for (const char* caption : {"关键字", "左值", "右值"}) {
        TListColumn& column = list_->AddColumn();
        column.SetCaption(Ansi(caption));
        column.SetAutoSize(true);
        column.SetMaxWidth(400);
    }
    list_->AutoSizeColumns();

    splitter_ = new TSplitter(&form, panel_);
    splitter_->SetBounds(treeWidth, 0, kSplitterWidth, viewsHeight);
    splitter_->SetAnchors(akLeft | akTop | akBottom);
    splitter_->SetSides(tree_, list_);
    splitter_->SetMinSize(40);

    bar_ = new TPanel(&form, panel_);
    bar_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone);
    bar_->SetBounds(0, viewsHeight, width, kBarHeight);
    bar_->SetAnchors(akLeft | akRight | akBottom);

    onlyDifferences_ = new TCheckBox(&form, bar_);
    onlyDifferences_->SetName("CompareOnlyDifferences");
    onlyDifferences_->SetCaption(Ansi("只显示差异"));
    onlyDifferences_->SetAccessKey(u'H');
    onlyDifferences_->SetChecked(true);
    onlyDifferences_->SetBounds(6, 3, 112, 20);
    onlyDifferences_->OnClick = [this](TComponent*) {
        const TNamedPlace place = NamedPlace();
        ShowSections();
        SelectNamedPlace(place);
    };

    state_ = new TLabel(&form, bar_);
    state_->SetName("CompareState");
    // Up to the close button: a long note is cut there rather than hidden under it.
    state_->SetAutoSize(false);
    state_->SetBounds(124, 5, width - 124 - 78, 17);
    state_->SetAnchors(akLeft | akTop | akRight);

    close_ = new TButton(&form, bar_);
    close_->SetCaption(Ansi("关闭比较"));
    close_->SetBounds(width - 72, 2, 68, 22);
    close_->SetAnchors(akRight | akTop);
    close_->OnClick = [this](TComponent*) { Close(); };
}

TPopupMenu* TCompareView::MakeCopyMenu(TForm& form, bool wholeSection) {
    auto* menu = new TPopupMenu(&form);
    const auto add = [&](const char* caption, char16_t key, TCompareSide from) {
        auto* item = new TMenuItem(&form);
        item->SetCaption(Ansi(caption));
        item->SetAccessKey(key);
        item->OnClick = [this, from, wholeSection](TComponent*) { CopySelection(from, wholeSection); };
        menu->Add(item);
    };
    add("复制到右边", u'R', TCompareSide::Left);
    add("复制到左边", u'L', TCompareSide::Right);
    menu->OnPopup = [this, menu, wholeSection](TComponent*) { EnableMenus(*menu, wholeSection); };
    return menu;
}

bool TCompareView::Showing() const { return panel_->Visible(); }

const std::string& TCompareView::State() const { return state_->Caption(); }

void TCompareView::Open(const std::string& leftPath, const std::string& rightPath) {
    // A file that cannot be opened raises here, before anything changes.
    std::unique_ptr<TCompareBuild> build = NewBuild(leftPath, rightPath);
    leftPath_ = leftPath;
    rightPath_ = rightPath;
    comparison_.reset();
    left_.reset();
    right_.reset();
    ShowSections();
    if (!Showing()) {
        for (TControl* control : replaced_) control->SetVisible(false);
        panel_->SetVisible(true);
    }
    leftWatch_->Watch(leftPath_);
    rightWatch_->Watch(rightPath_);
    tree_->SetFocus();
    StartBuild(std::move(build));
}

void TCompareView::Close() {
    if (!Showing()) return;
    StopBuild();
    leftWatch_->Watch({});
    rightWatch_->Watch({});
    comparison_.reset();
    ShowSections();
    left_.reset();
    right_.reset();
    panel_->SetVisible(false);
    for (TControl* control : replaced_) control->SetVisible(true);
    if (OnClosed) OnClosed();
}

bool TCompareView::TakeKey(std::uint16_t key, TShiftState shift) {
    if (!Showing()) return false;
    const TShiftState keys = shift.Keys();
    const bool plain = keys.Empty(), shifted = keys == TShiftState(ShiftFlag::Shift);
    const TWinControl* active = form_.ActiveControl();
    if (key == vk::Escape && plain) Close();
    else if (key == vk::F7 && (plain || shifted)) GoToDifference(plain ? +1 : -1);
    else if (key == vk::F5 && plain) Rebuild();
    else if ((key == vk::Apps && plain) || (key == vk::F10 && shifted)) {
        if (active != tree_ && active != list_) return false;
        const bool onTree = active == tree_;
        const TPoint at = onTree ? tree_->KeyboardMenuPoint() : list_->KeyboardMenuPoint();
        (onTree ? treeMenu_ : listMenu_)->Popup(at.X, at.Y);
    } else {
        return false;
    }
    return true;
}

// ---- building

std::unique_ptr<TCompareBuild> TCompareView::NewBuild(const std::string& leftPath, const std::string& rightPath) {
    return std::make_unique<TCompareBuild>(leftPath, rightPath, [this](TCompareBuild& ended) {
        form_.PostCall([this, ended = &ended] { BuildEnded(ended); });
    });
}

void TCompareView::Rebuild() {
    if (!Showing()) return;
    try {
        StartBuild(NewBuild(leftPath_, rightPath_));
    } catch (const Exception&) {
        // A file deleted or moved away: the view stays on what it showed, and says so.
        savedNote_ = Ansi("有文件已被删除或移走，无法重新比较");
        ShowState();
    }
}

void TCompareView::StartBuild(std::unique_ptr<TCompareBuild> build) {
    StopBuild();
    build_ = std::move(build);
    if (build_->WaitFor(kBuildWait)) {
        // Kept until its posted end comes, so that no later build is taken for it.
        TCompareBuild& ended = *build_;
        unawaited_.push_back(std::move(build_));
        ShowBuilt(ended);
        return;
    }
    buildStarted_ = std::chrono::steady_clock::now();
    cursor_ = std::make_unique<TBusyCursor>();
    progress_->Start(kProgressMilliseconds, [this] { ShowProgress(); });
    ShowState();
}

void TCompareView::StopBuild() {
    progress_->Stop();
    cursor_.reset();
    progressShown_ = false;
    if (!build_) return;
    build_->Cancel();
    unawaited_.push_back(std::move(build_));
}

void TCompareView::BuildEnded(TCompareBuild* build) {
    if (build != build_.get()) {
        std::erase_if(unawaited_, [build](const std::unique_ptr<TCompareBuild>& gone) { return gone.get() == build; });
        return;
    }
    const std::unique_ptr<TCompareBuild> ended = std::move(build_);
    progress_->Stop();
    cursor_.reset();
    progressShown_ = false;
    ShowBuilt(*ended);
}

void TCompareView::ShowBuilt(TCompareBuild& build) {
    TComparedFiles files;
    try {
        files = build.TakeResult();
    } catch (...) {
        savedNote_ = Ansi("比较失败");
        ShowState();
        throw;
    }
    Show(std::move(files));
}

void TCompareView::ShowProgress() {
    if (!build_) return;
    const auto spent = std::chrono::steady_clock::now() - buildStarted_;
    if (spent < kQuietBuild) return;
    progressShown_ = true;
    ShowState();
}

void TCompareView::Show(TComparedFiles files) {
    if (!files.comparison) return;
    const TNamedPlace place = NamedPlace();
    left_ = std::move(files.left);
    right_ = std::move(files.right);
    // Copies go to the history the ordinary view undoes from.
    left_->ContinueHistoryOf(*shown_);
    right_->ContinueHistoryOf(*shown_);
    comparison_ = std::make_shared<const TIniComparison>(std::move(*files.comparison));
    ShowSections();
    SelectNamedPlace(place);
}

// ---- showing

TTreeNode* TCompareView::RootNode() const { return tree_->Items().GetFirstNode(); }

void TCompareView::ShowSections() {
    {
        const auto rowsBracket = UpdateBracket(list_->Items());
        list_->Items().Clear();
        rowKeys_.clear();
    }
    const auto bracket = UpdateBracket(tree_->Items());
    tree_->Items().Clear();
    nodeSections_.clear();
    ShowState();
    if (!comparison_) return;
    // File names are paths: in the locale's code page.
    TTreeNode* root = tree_->Items().AddChild(
        nullptr, FileNameOfPath(leftPath_) + Ansi(" 对比 ") + FileNameOfPath(rightPath_));
    root->SetHint(Ansi("左：") + leftPath_ + "\n" + Ansi("右：") + rightPath_);
    root->SetImageIndex(kRootImage);
    root->SetSelectedIndex(kRootImage);
    const bool onlyDifferences = onlyDifferences_->Checked();
    for (std::size_t s = 0; s < comparison_->SectionCount(); ++s) {
        const TComparedSection section = comparison_->Section(s);
        if (onlyDifferences && section.mark == TCompareMark::Same) continue;
        const std::string name = section.left ? Shown(section.left->name, comparison_->CodePage(TCompareSide::Left))
                                              : Shown(section.right->name, comparison_->CodePage(TCompareSide::Right));
        TTreeNode* node = tree_->Items().AddChild(root, name, TCodePage::Utf8);
        node->SetImageIndex(MarkImage(section.mark));
        node->SetSelectedIndex(MarkImage(section.mark));
        node->SetDescription(MarkText(section.mark));
        nodeSections_.push_back(s);
    }
    root->Expand(true);
}

void TCompareView::ListSelectedSection() {
    const auto bracket = UpdateBracket(list_->Items());
    list_->Items().Clear();
    rowKeys_.clear();
    const TTreeNode* node = tree_->Selected();
    if (!node || node == RootNode() || !comparison_) return;
    const std::size_t s = nodeSections_[std::size_t(node->Index())];
    const TComparedSection section = comparison_->Section(s);
    const bool onlyDifferences = onlyDifferences_->Checked();
    for (std::size_t k = 0; k < section.keyCount; ++k)
        if (!onlyDifferences || comparison_->Key(s, k).mark != TCompareMark::Same) rowKeys_.push_back(k);
    list_->Items().Show(int(rowKeys_.size()), TCodePage::Utf8, std::make_unique<MarkedKeyRows>(comparison_, s, rowKeys_));
}

void TCompareView::ShowState() {
    std::string state;
    if (build_ && progressShown_) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - buildStarted_);
        state += Ansi("正在比较… ") + std::to_string(build_->Percent()) + Ansi("%（已用 ") +
                 std::to_string(seconds.count()) + Ansi(" 秒，Esc 取消）");
    } else if (!comparison_) {
        state += Ansi("正在比较…");
    } else if (comparison_->Differences() == 0) {
        state += Ansi("没有差异");
    } else {
        state += Ansi("差异 ") + std::to_string(comparison_->Differences()) + Ansi(" 处（F7 下一处）");
    }
    if (!savedNote_.empty()) state += Ansi("　") + savedNote_;
    state_->SetCaption(state);
}

void TCompareView::ShowSaved(const std::string& what) {
    savedNote_ = what;
    ShowState();
    if (!savedNoteTimer_) savedNoteTimer_ = std::make_unique<TTimer>(&form_);
    savedNoteTimer_->Start(kSavedShownMilliseconds, [this] {
        savedNoteTimer_->Stop();
        savedNote_.clear();
        ShowState();
    });
}

// ---- the selection

std::optional<TCompareView::TPlace> TCompareView::SelectedPlace() const {
    const TTreeNode* node = tree_->Selected();
    if (!node || node == RootNode()) return std::nullopt;
    TPlace place{std::size_t(node->Index()), std::nullopt};
    if (const TListItem* row = list_->Selected()) place.key = rowKeys_[std::size_t(row->Index())];
    return place;
}

TCompareView::TNamedPlace TCompareView::NamedPlace() const {
    TNamedPlace named;
    const std::optional<TPlace> place = SelectedPlace();
    if (!place || !comparison_) return named;
    const std::size_t s = nodeSections_[place->section];
    const TComparedSection section = comparison_->Section(s);
    named.side = section.left ? TCompareSide::Left : TCompareSide::Right;
    const SectionRef& ref = section.left ? *section.left : *section.right;
    named.section = TShownName{std::string(ref.name), ref.occurrence};
    named.inList = form_.ActiveControl() == list_;
    if (!place->key) return named;
    const TComparedKey key = comparison_->Key(s, *place->key);
    const std::optional<KeyRef>& keyRef = named.side == TCompareSide::Left ? key.left : key.right;
    // A key that only the other side has is found by that side's names.
    if (!keyRef) {
        named.side = OtherSide(named.side);
        const std::optional<SectionRef>& other = named.side == TCompareSide::Left ? section.left : section.right;
        if (!other) return named;
        named.section = TShownName{std::string(other->name), other->occurrence};
    }
    const KeyRef& found = keyRef ? *keyRef : *(named.side == TCompareSide::Left ? key.left : key.right);
    named.key = TShownName{std::string(found.name), found.occurrence};
    return named;
}

void TCompareView::SelectNamedPlace(const TNamedPlace& named) {
    if (!named.section || !comparison_) return;
    const auto sameName = [](const std::optional<SectionRef>& ref, const TShownName& name) {
        return ref && ref->name == name.name && ref->occurrence == name.occurrence;
    };
    const bool left = named.side == TCompareSide::Left;
    for (std::size_t i = 0; i < nodeSections_.size(); ++i) {
        const TComparedSection section = comparison_->Section(nodeSections_[i]);
        if (!sameName(left ? section.left : section.right, *named.section)) continue;
        TPlace place{i, std::nullopt};
        for (std::size_t k = 0; named.key && k < section.keyCount; ++k) {
            const TComparedKey key = comparison_->Key(nodeSections_[i], k);
            const std::optional<KeyRef>& ref = left ? key.left : key.right;
            if (ref && ref->name == named.key->name && ref->occurrence == named.key->occurrence) place.key = k;
        }
        Select(place, named.inList);
        return;
    }
}

void TCompareView::Select(const TPlace& place, bool focusList) {
    TTreeNode* root = RootNode();
    if (!root || place.section >= std::size_t(root->Count())) return;
    tree_->SetSelected(root->Item(int(place.section)));
    ListSelectedSection();
    const auto row = place.key ? std::lower_bound(rowKeys_.begin(), rowKeys_.end(), *place.key) : rowKeys_.end();
    const bool rowShown = row != rowKeys_.end() && *row == *place.key;
    if (rowShown) list_->SetSelected(list_->Items().Item(int(row - rowKeys_.begin())));
    TWinControl& focus = rowShown && focusList ? static_cast<TWinControl&>(*list_) : *tree_;
    if (focus.CanFocus()) focus.SetFocus();
}

// ---- differences

void TCompareView::GoToDifference(int direction) {
    if (const std::optional<TPlace> next = DifferenceAfter(direction)) Select(*next, next->key.has_value());
    else SoundDefaultBeep();
}

// A section one file alone has is one difference, at its node; in a section both have, each
// key row that differs is one.
std::optional<TCompareView::TPlace> TCompareView::DifferenceAfter(int direction) const {
    if (!comparison_) return std::nullopt;
    const long count = long(nodeSections_.size());
    const std::optional<TPlace> at = SelectedPlace();
    // Nothing selected stands before the first section when going forwards, after the last
    // when going backwards; a node without a row, before its first row.
    const long start = at ? long(at->section) : direction > 0 ? -1 : count;
    const long startKey = at && at->key ? long(*at->key) : -1;
    for (long i = start; i >= 0 ? i < count : direction > 0; i += direction) {
        if (i < 0) continue;
        const std::size_t s = nodeSections_[std::size_t(i)];
        const TComparedSection section = comparison_->Section(s);
        if (WholeOnOneSide(section.mark)) {
            const bool beyond = direction > 0 ? i > start : (i < start || (i == start && startKey >= 0));
            if (beyond) return TPlace{std::size_t(i), std::nullopt};
            continue;
        }
        if (section.mark == TCompareMark::Same) continue;
        long k = i != start ? (direction > 0 ? 0 : long(section.keyCount) - 1) : startKey + direction;
        for (; k >= 0 && k < long(section.keyCount); k += direction)
            if (comparison_->Key(s, std::size_t(k)).mark != TCompareMark::Same)
                return TPlace{std::size_t(i), std::size_t(k)};
    }
    return std::nullopt;
}

// ---- copying

bool TCompareView::Copyable(TCompareMark mark, TCompareSide from) {
    switch (mark) {
        case TCompareMark::Same: return false;
        case TCompareMark::Different: return true;
        case TCompareMark::LeftOnly: return from == TCompareSide::Left;
        case TCompareMark::RightOnly: return from == TCompareSide::Right;
    }
    return false;
}

void TCompareView::EnableMenus(TPopupMenu& menu, bool wholeSection) {
    const std::optional<TPlace> place = SelectedPlace();
    for (int i = 0; i < menu.ItemCount(); ++i) {
        const TCompareSide from = i == 0 ? TCompareSide::Left : TCompareSide::Right;
        bool enabled = false;
        if (place && comparison_ && !build_) {
            const std::size_t s = nodeSections_[place->section];
            if (wholeSection) enabled = Copyable(comparison_->Section(s).mark, from);
            else if (place->key) enabled = Copyable(comparison_->Key(s, *place->key).mark, from);
        }
        menu.Item(i)->SetEnabled(enabled);
    }
}

std::string TCompareView::RowName(const TCompareRow& row, TCompareSide from) const {
    const TCodePage codePage = comparison_->CodePage(from);
    const bool left = from == TCompareSide::Left;
    const TComparedSection section = comparison_->Section(row.section);
    const std::optional<SectionRef>& sectionRef = left ? section.left : section.right;
    std::string name = "[" + ShownInCodePage(sectionRef ? sectionRef->name : "", codePage, AnsiCodePage()) + "]";
    if (!row.key) return name;
    const TComparedKey key = comparison_->Key(row.section, *row.key);
    const std::optional<KeyRef>& keyRef = left ? key.left : key.right;
    return name + " " + ShownInCodePage(keyRef ? keyRef->name : "", codePage, AnsiCodePage());
}

void TCompareView::CopySelection(TCompareSide from, bool wholeSection) {
    const std::optional<TPlace> place = SelectedPlace();
    if (!place || !comparison_ || build_ || (!wholeSection && !place->key)) return;
    const TCompareRow row{nodeSections_[place->section], wholeSection ? std::nullopt : place->key};
    TDocument& target = from == TCompareSide::Left ? *right_ : *left_;
    const std::string what = RowName(row, from);
    const std::string toward = from == TCompareSide::Left ? Ansi("复制到右边") : Ansi("复制到左边");
    IniResult result{IniFailure::CannotHold, 0, {}, {}};
    // A file that must not be written (not text, not in its encoding, UTF-16) is said to be read-only.
    if (target.ContentRefusal() == TContentRefusal::None) result = CopyAcross(*comparison_, row, from, target).result;
    if (!result.Succeeded()) {
        const std::string why = target.ContentRefusal() != TContentRefusal::None ? Ansi("目标文件只读，不能写入")
                                                                                 : RefusalText(result.failure);
        if (result.failure == IniFailure::Stale) Rebuild();
        ShowMessageDialog(what + Ansi(" 没有") + toward + Ansi("：") + why, MsgWarning, ButtonOK, 0);
        return;
    }
    ShowSaved(Ansi("已") + toward + Ansi("：") + what);
    Rebuild();
}

// ---- changes made by other programs

void TCompareView::FileChanged() {
    if (!Showing()) return;
    // A build under way may have read the file before the change: asked again once it has ended.
    if (build_) {
        leftWatch_->Retell();
        return;
    }
    const bool shownAsNow = left_ && right_ && left_->StampNow() == left_->ShownStamp() &&
                            right_->StampNow() == right_->ShownStamp();
    if (!shownAsNow) Rebuild();
}

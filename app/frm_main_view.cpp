// The view is the file: the tree holds the file's sections and the list the key lines of one,
// each node and row standing for its own occurrence; commands address that occurrence, and the
// view follows the file when another program changes it.
#include <exception>

#include "app/comment_hint.h"
#include "app/frm_main.h"
#include "app/update_bracket.h"
#include "dialogs/message_dialog.h"
#include "inifile/ini_file.h"
#include "encoding/code_page_conversion.h"
#include "platform/file_watch.h"
#include "engine/ini_listing.h"
#include "text/byte_text.h"
#include "text/file_names.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

namespace {

// Images of ImageList1.
constexpr int kSectionImage = 1;
constexpr int kKeyImage = 2;
constexpr int kRepeatedSectionImage = 3;
constexpr int kRepeatedKeyImage = 4;

// How many of the names before index read as the same name, letter case aside, as the file's
// readers count them.
template <typename NameAt>
std::uint32_t OccurrenceAt(int index, TCodePage codePage, NameAt nameAt) {
    const std::string folded = AsciiLower(nameAt(index), codePage);
    std::uint32_t count = 0;
    for (int i = 0; i < index; ++i)
        if (AsciiLower(nameAt(i), codePage) == folded) ++count;
    return count;
}

// What a marked node or row says: which of the same name a program reading the file by name uses.
std::string RepeatedNote(const IniListing& list, std::size_t at, const char* what) {
    if (!list.Repeated(at)) return {};
    return Ansi("同名") + Ansi(what) + Ansi("不止一个：按名称读取这个文件的程序用的是") +
           (list.FirstOfName(at) ? Ansi("这一个。") : Ansi("第一个，不是这一个。"));
}

// The key lines of a listed section as the list's rows.
class KeyRows : public TListRowSource {
public:
    explicit KeyRows(std::shared_ptr<const IniListing> keys) : keys_(std::move(keys)) {}

    std::string Caption(int index) const override { return std::string(keys_->Name(size_t(index))); }
    void Fill(int index, TListItem& row) const override {
        const std::size_t at = size_t(index);
        row.SubItems().Add(std::string(keys_->Value(at)));
        row.SetImageIndex(keys_->Repeated(at) ? kRepeatedKeyImage : kKeyImage);
        row.SetHint(RepeatedNote(*keys_, at, "关键字"));
    }

private:
    std::shared_ptr<const IniListing> keys_;
};

}  // namespace

SectionRef TForm1::RefOf(const TTreeNode& node) const {
    const TTreeNode& root = *node.Parent();
    return {node.Text(), OccurrenceAt(node.Index(), FileCodePage(), [&](int i) -> const std::string& {
                return root.Item(i)->Text();
            })};
}

bool TForm1::AsListed(const TListItem& row) const {
    const std::size_t at = size_t(row.Index());
    return listedKeys_ && at < listedKeys_->Count() && listedKeys_->Name(at) == row.Caption();
}

std::string TForm1::ValueInFile(const TListItem& row) const {
    if (AsListed(row)) return std::string(listedKeys_->RawValue(size_t(row.Index())));
    return row.SubItems().Count() > 0 ? row.SubItems().At(0) : std::string();
}

KeyRef TForm1::RefOf(const TTreeNode& node, const TListItem& row) const {
    // Rows as listed: their occurrences are the list's, found without counting.
    if (AsListed(row)) return {RefOf(node), row.Caption(), listedKeys_->Occurrence(size_t(row.Index()))};
    TListItems& rows = row.Owner();
    return {RefOf(node), row.Caption(),
            OccurrenceAt(row.Index(), FileCodePage(), [&](int i) { return rows.CaptionOf(i); })};
}

TForm1::TViewPlace TForm1::Place() const {
    TViewPlace place;
    TTreeNode* node = tree1->Selected();
    if (!node) return place;
    if (node == RootNode()) {
        place.root = true;
        return place;
    }
    const SectionRef section = RefOf(*node);
    place.section = TShownName{std::string(section.name), section.occurrence};
    if (TListItem* row = ListView1->Selected()) {
        const KeyRef key = RefOf(*node, *row);
        place.row = TShownName{std::string(key.name), key.occurrence};
    } else if (listingId_ != 0) {
        // The row that the list under way is to select.
        place.row = listingRow_;
    }
    return place;
}

std::optional<std::size_t> TForm1::SectionToShow(const IniListing& sections, const TViewPlace& place,
                                                 bool firstWhenNoPlace) {
    if (place.root) return std::nullopt;
    if (place.section) {
        for (std::size_t i = 0; i < sections.Count(); ++i)
            if (sections.Name(i) == place.section->name && sections.Occurrence(i) == place.section->occurrence)
                return i;
        return std::nullopt;
    }
    if (firstWhenNoPlace && sections.Count() > 0) return 0;
    return std::nullopt;
}

void TForm1::ShowView(const TViewPlace& place, bool firstWhenNoPlace) {
    const IniListing sections = document_->Sections();
    document_->NoteEngineStamp();
    ShowLists(sections, place, firstWhenNoPlace, nullptr);
}

void TForm1::ShowLists(const IniListing& sections, const TViewPlace& place, bool firstWhenNoPlace,
                       std::shared_ptr<const IniListing> keys) {
    ForgetFind();
    ShowSectionNodes(sections);
    TTreeNode* root = RootNode();
    ShowLoadedFile(*root);
    root->Expand(true);
    ListView1->Items().Clear();
    listedKeys_.reset();
    const std::optional<std::size_t> section = SectionToShow(sections, place, firstWhenNoPlace);
    tree1->SetSelected(place.root ? root : section ? root->Item(int(*section)) : nullptr);
    ListSection(place.row, std::move(keys));
}

void TForm1::ShowSectionNodes(const IniListing& sections) {
    const TCodePage codePage = FileCodePage();
    const auto bracket = UpdateBracket(tree1->Items());
    tree1->Items().Clear();
    // The file name is a path: in the locale's code page, not the file's.
    TTreeNode* root = tree1->Items().AddChild(nullptr, FileNameOfPath(CurrentIniPath));
    root->SetImageIndex(0);
    for (std::size_t i = 0; i < sections.Count(); ++i) {
        TTreeNode* node = tree1->Items().AddChild(root, std::string(sections.Name(i)), codePage);
        const int image = sections.Repeated(i) ? kRepeatedSectionImage : kSectionImage;
        node->SetImageIndex(image);
        node->SetSelectedIndex(image);
        node->SetHint(RepeatedNote(sections, i, "小节"));
    }
}

void TForm1::ListSection(const std::optional<TShownName>& keep, std::shared_ptr<const IniListing> keys,
                         std::function<void()> shown) {
    // The list follows the selection: a listing of another section is not shown.
    StopListing();
    TTreeNode* node = tree1->Selected();
    if (!node) return;
    {
        const auto bracket = UpdateBracket(ListView1->Items());
        ListView1->Items().Clear();
        listedKeys_.reset();
    }
    if (node == RootNode()) return;
    if (!keys && ListingMayTakeLong()) {
        StartListing(*node, keep, std::move(shown));
        return;
    }
    ShowKeys(keys ? std::move(keys) : std::make_shared<const IniListing>(document_->Keys(RefOf(*node))), keep);
    if (shown) shown();
}

void TForm1::ShowKeys(std::shared_ptr<const IniListing> keys, const std::optional<TShownName>& keep) {
    const auto bracket = UpdateBracket(ListView1->Items());
    TListItems& rows = ListView1->Items();
    listedKeys_ = std::move(keys);
    rows.Show(int(listedKeys_->Count()), FileCodePage(), std::make_unique<KeyRows>(listedKeys_));
    if (!keep) return;
    for (std::size_t i = 0; i < listedKeys_->Count(); ++i)
        if (listedKeys_->Name(i) == keep->name && listedKeys_->Occurrence(i) == keep->occurrence) {
            ListView1->SetSelected(rows.Item(int(i)));
            return;
        }
}

// The comments right above the section or key line, read when its tooltip is shown.
std::string TForm1::CommentsOf(const TTreeNode& node, const TListItem* row) {
    // A listing on its own thread holds the service: a tooltip does not wait for it.
    if (document_->ConvertedText() || &node == RootNode() || Loading()) return {};
    TIniFile ini(CurrentIniPath, FileCodePage());
    return ForMessage(CommentHint(row ? ini.Comments(RefOf(node, *row)) : ini.Comments(RefOf(node))));
}

// ---- writes

void TForm1::WriteThrough(const TDocumentWrite& write) {
    const IniResult result = write(*document_, Place());
    if (!result.Succeeded()) {
        // A write refused for its permission: the status line says so from now on.
        FollowWriteAccess();
        throw WriteFailure(CurrentIniPath, result.failure, result.systemError);
    }
    ForgetFind();
}

bool TForm1::WriteToFile(const TDocumentWrite& write) {
    try {
        WriteThrough(write);
        return true;
    } catch (const EIniFileException& error) {
        if (error.Reason() != IniFailure::Stale) throw;
    }
    FollowChangedFile();
    return false;
}

void TForm1::FollowChangedFile() {
    if (!FilePresent(CurrentIniPath)) {
        document_->SetGone(true);
        ShowEncoding();
        RefusedAsReadOnly();
        return;
    }
    ShowFileAgain();
    ShowMessageDialog(Ansi("文件已被其他程序修改，这次没有写入。请看过刷新后的内容再试。"), MsgWarning, ButtonOK, 0);
}

bool TForm1::RenameInFile(const TDocumentWrite& rename, const std::string& name, bool section) {
    // The view is inside the edit's commit: whatever is to be shown or rebuilt comes after it.
    if (document_->ContentRefusal() != TContentRefusal::None || document_->Gone() || Loading()) {
        PostCall([this] { RefusedAsReadOnly(); });
        return false;
    }
    const std::string what = section ? Ansi("小节") : Ansi("关键字");
    std::string refusal;
    try {
        WriteThrough(rename);
        ShowSaved(what + Ansi("改名为 ") + ForMessage(name));
        // Repeated names may have come or gone.
        PostCall([this] {
            ShowView(Place());
            NoteEditPlace();
        });
        return true;
    } catch (const EIniFileException& error) {
        switch (error.Reason()) {
            case IniFailure::Stale: PostCall([this] { FollowChangedFile(); }); return false;
            case IniFailure::EmptyName: refusal = what + Ansi("名不能为空"); break;
            case IniFailure::NameTaken: refusal = ForMessage(name) + " " + what + Ansi("已有，请另起一个名称"); break;
            case IniFailure::CannotHold:
                refusal = ForMessage(name) + Ansi(" 不能用作") + what + Ansi("名：文件里无法原样保存它");
                break;
            default: PostCall([error = std::current_exception()] { std::rethrow_exception(error); }); return false;
        }
    }
    PostCall([refusal] { ShowMessageDialog(refusal, MsgInformation, ButtonOK, 0); });
    return false;
}

bool TForm1::tree1Edited(TTreeNode& node, const std::string& text) {
    // The root shows the file's name, which is no section's.
    if (&node == RootNode()) return false;
    return RenameInFile([&](TDocument& document, const TViewPlace& before) {
        return document.RenameSection(RefOf(node), text, before);
    }, text, true);
}

bool TForm1::ListView1Edited(TListItem& row, const std::string& text) {
    TTreeNode* node = tree1->Selected();
    if (!node || node == RootNode()) return false;
    const auto rename = [&](TDocument& document, const TViewPlace& before) {
        return document.RenameKey(RefOf(*node, row), text, before);
    };
    if (!RenameInFile(rename, text, false)) return false;
    // A renamed row may have been one of a repeated name: the others' occurrences are counted again.
    listedKeys_.reset();
    return true;
}

// ---- changes made by other programs

bool TForm1::Busy() const { return commands_ > 0 || Loading() || tree1->IsEditing() || ListView1->IsEditing(); }

void TForm1::FileChangedOutside() {
    if (CurrentIniPath.empty()) return;
    // Never under a command or an edit: asked again a moment later.
    if (Busy()) {
        watch_->Retell();
        return;
    }
    FollowWriteAccess();
    const FileStamp now = TIniFile(CurrentIniPath, FileCodePage()).StampNow();
    if (!now.exists) {
        if (!document_->Gone()) {
            document_->SetGone(true);
            ShowEncoding();
        }
        return;
    }
    if (now == document_->ShownStamp() && !document_->Gone() && !reloadOwed_) return;
    FollowFileQuietly();
}

void TForm1::ShowFileAgain() { ReadAndShow(CurrentIniPath, Place()); }

void TForm1::FollowFileQuietly() {
    try {
        ReadAndShow(CurrentIniPath, Place(), std::nullopt, true);
    } catch (const Exception&) {
        AwaitReadableFile();
    }
}

void TForm1::AwaitReadableFile() {
    reloadOwed_ = true;
    ShowFileStatus();
    watch_->Retell();
}

void TForm1::ReloadFile() {
    // Under an open caption editor the key is the edit's: the view stays until it ends.
    if (CurrentIniPath.empty() || Busy()) return;
    if (!FilePresent(CurrentIniPath)) {
        document_->SetGone(true);
        ShowEncoding();
        ShowMessageDialog(Ansi("不存在这个文件！"), MsgWarning, ButtonOK, 0);
        return;
    }
    ShowFileAgain();
}

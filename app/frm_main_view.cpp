// The view is the file: the tree holds the file's sections and the list the key lines of one,
// each node and row standing for its own occurrence; commands address that occurrence, and the
// view follows the file when another program changes it.
#include "app/comment_hint.h"
#include "app/frm_main.h"
#include "app/update_bracket.h"
#include "dialogs/message_dialog.h"
#include "inifile/write_failure_reason.h"
#include "shell/application.h"
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
        row.SetData(at);
        row.SubItems().Add(std::string(keys_->Value(at)));
        row.SetImageIndex(keys_->Repeated(at) ? kRepeatedKeyImage : kKeyImage);
        row.SetHint(RepeatedNote(*keys_, at, "关键字"));
    }

private:
    std::shared_ptr<const IniListing> keys_;
};

}  // namespace

SectionRef TForm1::RefOf(const TTreeNode& node) const {
    const std::size_t at = node.Data();
    return {listedSections_->Name(at), listedSections_->Occurrence(at)};
}

KeyRef TForm1::RefOf(const TTreeNode& node, const TListItem& row) const {
    const std::size_t at = row.Data();
    return {RefOf(node), listedKeys_->Name(at), listedKeys_->Occurrence(at)};
}

std::string TForm1::ValueInFile(const TListItem& row) const {
    return std::string(listedKeys_->RawValue(row.Data()));
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
    IniListing sections = document_->Sections();
    document_->NoteEngineStamp();
    ShowLists(std::move(sections), place, firstWhenNoPlace, nullptr);
}

void TForm1::ShowLists(IniListing sections, const TViewPlace& place, bool firstWhenNoPlace,
                       std::shared_ptr<const IniListing> keys) {
    ForgetFind();
    const std::optional<std::size_t> section = SectionToShow(sections, place, firstWhenNoPlace);
    ShowSectionNodes(std::make_shared<const IniListing>(std::move(sections)));
    TTreeNode* root = RootNode();
    ShowLoadedFile(*root);
    root->Expand(true);
    ListView1->Items().Clear();
    listedKeys_.reset();
    tree1->SetSelected(place.root ? root : section ? root->Item(int(*section)) : nullptr);
    ListSection(place.row, std::move(keys));
}

void TForm1::ShowSectionNodes(std::shared_ptr<const IniListing> sections) {
    const TCodePage codePage = FileCodePage();
    listedSections_ = std::move(sections);
    const IniListing& listed = *listedSections_;
    const auto bracket = UpdateBracket(tree1->Items());
    tree1->Items().Clear();
    // The file name is a path: in the locale's code page, not the file's.
    TTreeNode* root = tree1->Items().AddChild(nullptr, FileNameOfPath(CurrentIniPath));
    root->SetImageIndex(0);
    for (std::size_t i = 0; i < listed.Count(); ++i) {
        TTreeNode* node = tree1->Items().AddChild(root, std::string(listed.Name(i)), codePage);
        node->SetData(i);
        const int image = listed.Repeated(i) ? kRepeatedSectionImage : kSectionImage;
        node->SetImageIndex(image);
        node->SetSelectedIndex(image);
        node->SetHint(RepeatedNote(listed, i, "小节"));
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
    if (&node == RootNode() || Loading()) return {};
    return ForMessage(
        CommentHint(row ? document_->CommentsAbove(RefOf(node, *row)) : document_->CommentsAbove(RefOf(node))));
}

// ---- writes

bool TForm1::Written(const IniResult& result) {
    if (result.Succeeded()) {
        ForgetFind();
        return true;
    }
    // A write refused for its permission: the status line says so from now on.
    FollowWriteAccess();
    if (result.failure == IniFailure::Stale)
        FollowChangedFile();
    else
        Application->ShowErrorMessage(WriteFailureMessage(CurrentIniPath, result.failure, result.systemError));
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

bool TForm1::MayRename() {
    // The view is inside the edit's commit: whatever is to be shown or rebuilt comes after it.
    if (document_->ContentRefusal() == TContentRefusal::None && !document_->Gone() && !Loading()) return true;
    PostCall([this] { RefusedAsReadOnly(); });
    return false;
}

bool TForm1::Renamed(const IniResult& result, const std::string& name, bool section) {
    const std::string what = section ? Ansi("小节") : Ansi("关键字");
    if (result.Succeeded()) {
        ForgetFind();
        ShowSaved(what + Ansi("改名为 ") + ForMessage(name));
        // Repeated names may have come or gone.
        PostCall([this] {
            ShowView(Place());
            NoteEditPlace();
        });
        return true;
    }
    FollowWriteAccess();
    std::string refusal;
    switch (result.failure) {
        case IniFailure::Stale: PostCall([this] { FollowChangedFile(); }); return false;
        case IniFailure::EmptyName: refusal = what + Ansi("名不能为空"); break;
        case IniFailure::NameTaken: refusal = ForMessage(name) + " " + what + Ansi("已有，请另起一个名称"); break;
        case IniFailure::CannotHold:
            refusal = ForMessage(name) + Ansi(" 不能用作") + what + Ansi("名：文件里无法原样保存它");
            break;
        default:
            PostCall([message = WriteFailureMessage(CurrentIniPath, result.failure, result.systemError)] {
                Application->ShowErrorMessage(message);
            });
            return false;
    }
    PostCall([refusal] { ShowMessageDialog(refusal, MsgInformation, ButtonOK, 0); });
    return false;
}

bool TForm1::tree1Edited(TTreeNode& node, const std::string& text) {
    // The root shows the file's name, which is no section's.
    if (&node == RootNode() || !MayRename()) return false;
    if (!Renamed(document_->RenameSection(RefOf(node), text, Place()), text, true)) return false;
    // Until the view is rebuilt, the nodes stand for the sections as the file now lists them:
    // a renamed name may change which of a repeated name the others are.
    listedSections_ = std::make_shared<const IniListing>(document_->Sections());
    return true;
}

bool TForm1::ListView1Edited(TListItem& row, const std::string& text) {
    TTreeNode* node = tree1->Selected();
    if (!node || node == RootNode() || !MayRename()) return false;
    if (!Renamed(document_->RenameKey(RefOf(*node, row), text, Place()), text, false)) return false;
    // The same for the rows.
    listedKeys_ = std::make_shared<const IniListing>(document_->Keys(RefOf(*node)));
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
    switch (document_->NoticeChange()) {
        case TDocument::TChange::None: return;
        case TDocument::TChange::Gone: ShowEncoding(); return;
        case TDocument::TChange::Changed: FollowFileQuietly(); return;
    }
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
    document_->OweReload();
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

#include "document/document.h"

#include "encoding/code_page.h"
#include "engine/write_access.h"

TDocument::TDocument(std::string path) : path_(std::move(path)), history_(std::make_shared<TEditHistory>()) {}

// Whether bytes in a code page chosen for one open may be written whatever the detector says:
// then there is nothing to detect.
static bool ChoiceNeedsNoVerdict(std::string_view bytes, const TDocument::TOpenRequest& request) {
    if (!request.chosenCodePage || request.rememberChoice) return false;
    const TFileEncoding chosen = ChosenEncoding(bytes, *request.chosenCodePage);
    return IsUtf16(chosen.codePage) || ReadsInCodePage(bytes.substr(std::size_t(chosen.bomLength)), chosen.codePage);
}

void TDocument::Open(std::string_view bytes, TOpenRequest request) {
    verdict_ = ChoiceNeedsNoVerdict(bytes, request) ? ChosenEncoding(bytes, *request.chosenCodePage)
                                                    : DetectEncoding(bytes, request.hints);
    if (request.chosenCodePage && request.rememberChoice)
        request.memory.Remember(path_, verdict_, *request.chosenCodePage);
    const std::optional<TCodePage> chosen =
        request.chosenCodePage ? request.chosenCodePage : request.memory.Recall(path_, verdict_);
    encoding_ = chosen ? ChosenEncoding(bytes, *chosen) : verdict_;
    lineEnds_ = DetectLineEnds(bytes, encoding_.codePage);
    contentRefusal_ = ::ContentRefusal(bytes, verdict_, encoding_);
    writeRefusal_ = WriteRefusalAt(path_);
}

void TDocument::HandToEngine(std::string bytes, const ReadMark& mark) {
    CurrentIniService().AdoptContent(File(), std::move(bytes), mark);
}

std::shared_ptr<const std::string> TDocument::Snapshot() const {
    return CurrentIniService().Snapshot(File());
}

TCodePage TDocument::TextCodePage() const {
    if (IsUtf16(encoding_.codePage)) return TCodePage::Utf8;
    return encoding_.codePage != TCodePage::None ? encoding_.codePage : AnsiCodePage();
}

TCodePage TDocument::EngineCodePage() const { return IsUtf16(encoding_.codePage) ? encoding_.codePage : TextCodePage(); }

bool TDocument::FollowWriteAccess() {
    const IniFailure now = WriteRefusalAt(path_);
    if (now == writeRefusal_) return false;
    writeRefusal_ = now;
    return true;
}

IniListing TDocument::Sections() const { return CurrentIniService().Sections(File()); }

IniListing TDocument::Keys(SectionRef section) const { return CurrentIniService().Keys(File(), section); }

std::vector<std::string> TDocument::CommentsAbove(SectionRef section) const {
    return CurrentIniService().Comments(File(), section);
}

std::vector<std::string> TDocument::CommentsAbove(KeyRef key) const {
    return CurrentIniService().Comments(File(), key);
}

void TDocument::NoteEngineStamp() { shownStamp_ = CurrentIniService().CachedStamp(path_); }

TDocument::TChange TDocument::NoticeChange() {
    if (path_.empty()) return TChange::None;
    const FileStamp now = StampNow();
    if (!now.exists) {
        if (gone_) return TChange::None;
        gone_ = true;
        return TChange::Gone;
    }
    if (now == shownStamp_ && !gone_ && !reloadOwed_) return TChange::None;
    return TChange::Changed;
}

FileStamp TDocument::StampNow() const { return CurrentIniService().StampNow(path_); }

IniResult TDocument::Refused() const { return IniResult{IniFailure::CannotHold, 0, {}, {}}; }

IniResult TDocument::Recorded(IniResult result, const TViewPlace& before) {
    if (!result.Succeeded()) return result;
    // A view behind the file before the write stays behind it: the change notice refreshes it.
    const bool current = result.stampBefore == shownStamp_;
    history_->Record(path_, std::move(result.change), before);
    if (current) NoteEngineStamp();
    return result;
}

IniResult TDocument::SetValue(std::string_view section, std::string_view key, std::string_view value,
                              const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().SetValue(File(), section, key, value), before);
}

IniResult TDocument::SetValueAt(KeyRef key, std::string_view shownValue, std::string_view value,
                                const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().SetValueAt(File(), key, shownValue, value), before);
}

IniResult TDocument::AddKey(SectionRef section, std::string_view key, std::string_view value,
                            const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().AddKey(File(), section, key, value), before);
}

IniResult TDocument::RemoveKeyAt(KeyRef key, std::string_view shownValue, const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().RemoveKeyAt(File(), key, shownValue), before);
}

IniResult TDocument::RemoveSectionAt(SectionRef section, const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().RemoveSectionAt(File(), section), before);
}

IniResult TDocument::RenameKey(KeyRef key, std::string_view name, const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().RenameKey(File(), key, name), before);
}

IniResult TDocument::RenameSection(SectionRef section, std::string_view name, const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().RenameSection(File(), section, name), before);
}

IniResult TDocument::ApplyEdits(std::span<const DocumentEdit> edits, const TViewPlace& before) {
    if (Unwritable()) return Refused();
    return Recorded(CurrentIniService().ApplyEdits(File(), edits), before);
}

void TDocument::SetPlaceAfter(const TViewPlace& after) { history_->SetPlaceAfter(path_, after); }

bool TDocument::CanReplay(ReplayDirection direction) const {
    return (direction == ReplayDirection::Undo ? history_->NextUndo(path_) : history_->NextRedo(path_)) != nullptr;
}

TDocument::TReplay TDocument::Replay(ReplayDirection direction) {
    const bool undo = direction == ReplayDirection::Undo;
    const EditRecord* change = undo ? history_->NextUndo(path_) : history_->NextRedo(path_);
    if (!change) return {IniResult{IniFailure::Stale, 0, {}, {}}, {}};
    if (Unwritable()) return {Refused(), {}};
    TReplay replay;
    replay.result = undo ? CurrentIniService().Revert(File(), *change) : CurrentIniService().Reapply(File(), *change);
    if (replay.result.Succeeded()) replay.place = undo ? history_->Undone(path_) : history_->Redone(path_);
    return replay;
}

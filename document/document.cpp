#include "document/document.h"

#include "platform/code_page.h"
#include "platform/code_page_conversion.h"
#include "platform/profile/lead_table.h"
#include "platform/profile/write_access.h"

TDocument::TDocument(std::string path) : path_(std::move(path)), history_(std::make_shared<TEditHistory>()) {}

void TDocument::Open(std::string_view bytes, TOpenRequest request) {
    verdict_ = DetectEncoding(bytes, request.hints);
    if (request.chosenCodePage && request.rememberChoice)
        request.memory.Remember(path_, verdict_, *request.chosenCodePage);
    const std::optional<int> chosen =
        request.chosenCodePage ? request.chosenCodePage : request.memory.Recall(path_, verdict_);
    encoding_ = chosen ? ChosenEncoding(bytes, *chosen) : verdict_;
    lineEnds_ = DetectLineEnds(bytes, encoding_.codePage);
    contentRefusal_ = ::ContentRefusal(bytes, verdict_, encoding_);
    writeRefusal_ = WriteRefusalAt(path_);
    converted_.reset();
    // The engine reads 8-bit code pages only: the file is read from its text in UTF-8.
    if (IsUtf16(encoding_.codePage))
        converted_.emplace(CodePageToUtf8(bytes.substr(std::size_t(encoding_.bomLength)), encoding_.codePage),
                           LeadTable::ForCodePage(CodePageUtf8));
}

int TDocument::TextCodePage() const {
    if (converted_) return CodePageUtf8;
    return encoding_.codePage != 0 ? encoding_.codePage : AnsiCodePage();
}

bool TDocument::FollowWriteAccess() {
    const ProfileFailure now = WriteRefusalAt(path_);
    if (now == writeRefusal_) return false;
    writeRefusal_ = now;
    return true;
}

ProfileList TDocument::Sections() const {
    if (converted_) return converted_->Sections();
    return CurrentProfileService().Sections(ProfileFile{path_, TextCodePage()});
}

ProfileList TDocument::Keys(SectionRef section) const {
    if (converted_) return converted_->Keys(section).value_or(ProfileList());
    return CurrentProfileService().Keys(ProfileFile{path_, TextCodePage()}, section);
}

void TDocument::NoteEngineStamp() {
    if (!converted_) shownStamp_ = CurrentProfileService().CachedStamp(path_);
}

FileStamp TDocument::StampNow() const { return CurrentProfileService().StampNow(path_); }

ProfileResult TDocument::Write(const std::function<ProfileResult(ProfileFile)>& write, const TViewPlace& before) {
    if (contentRefusal_ != TContentRefusal::None) return ProfileResult{ProfileFailure::CannotHold};
    // A view behind the file before the write stays behind it: the change notice refreshes it.
    const bool current = StampNow() == shownStamp_;
    ProfileResult result = write(File());
    if (result.Succeeded()) {
        history_->Record(path_, std::move(result.change), before);
        if (current) NoteEngineStamp();
    }
    CurrentProfileService().Flush(path_);
    return result;
}

ProfileResult TDocument::SetValue(std::string_view section, std::string_view key, std::string_view value,
                                  const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().SetValue(file, section, key, value); }, before);
}

ProfileResult TDocument::SetValueAt(KeyRef key, std::string_view shownValue, std::string_view value,
                                    const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().SetValueAt(file, key, shownValue, value); },
                 before);
}

ProfileResult TDocument::AddKey(SectionRef section, std::string_view key, std::string_view value,
                                const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().AddKey(file, section, key, value); }, before);
}

ProfileResult TDocument::RemoveKeyAt(KeyRef key, std::string_view shownValue, const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().RemoveKeyAt(file, key, shownValue); }, before);
}

ProfileResult TDocument::RemoveSectionAt(SectionRef section, const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().RemoveSectionAt(file, section); }, before);
}

ProfileResult TDocument::RenameKey(KeyRef key, std::string_view name, const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().RenameKey(file, key, name); }, before);
}

ProfileResult TDocument::RenameSection(SectionRef section, std::string_view name, const TViewPlace& before) {
    return Write([&](ProfileFile file) { return CurrentProfileService().RenameSection(file, section, name); }, before);
}

void TDocument::SetPlaceAfter(const TViewPlace& after) { history_->SetPlaceAfter(path_, after); }

bool TDocument::CanReplay(ReplayDirection direction) const {
    return (direction == ReplayDirection::Undo ? history_->NextUndo(path_) : history_->NextRedo(path_)) != nullptr;
}

TDocument::TReplay TDocument::Replay(ReplayDirection direction) {
    const bool undo = direction == ReplayDirection::Undo;
    const EditRecord* change = undo ? history_->NextUndo(path_) : history_->NextRedo(path_);
    if (!change) return {ProfileResult{ProfileFailure::Stale}, {}};
    if (contentRefusal_ != TContentRefusal::None) return {ProfileResult{ProfileFailure::CannotHold}, {}};
    TReplay replay;
    replay.result = undo ? CurrentProfileService().Revert(File(), *change) : CurrentProfileService().Reapply(File(), *change);
    CurrentProfileService().Flush(path_);
    if (replay.result.Succeeded()) replay.place = undo ? history_->Undone(path_) : history_->Redone(path_);
    return replay;
}

#include "document/document.h"

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "engine/lead_table.h"
#include "engine/write_access.h"

TDocument::TDocument(std::string path) : path_(std::move(path)), history_(std::make_shared<TEditHistory>()) {}

void TDocument::Open(std::string_view bytes, TOpenRequest request) {
    verdict_ = DetectEncoding(bytes, request.hints);
    if (request.chosenCodePage && request.rememberChoice)
        request.memory.Remember(path_, verdict_, *request.chosenCodePage);
    const std::optional<TCodePage> chosen =
        request.chosenCodePage ? request.chosenCodePage : request.memory.Recall(path_, verdict_);
    encoding_ = chosen ? ChosenEncoding(bytes, *chosen) : verdict_;
    lineEnds_ = DetectLineEnds(bytes, encoding_.codePage);
    contentRefusal_ = ::ContentRefusal(bytes, verdict_, encoding_);
    writeRefusal_ = WriteRefusalAt(path_);
    converted_.reset();
    // The engine reads 8-bit code pages only: the file is read from its text in UTF-8.
    if (IsUtf16(encoding_.codePage))
        converted_.emplace(CodePageToUtf8(bytes.substr(std::size_t(encoding_.bomLength)), encoding_.codePage),
                           LeadTable::ForCodePage(TCodePage::Utf8));
}

TCodePage TDocument::TextCodePage() const {
    if (converted_) return TCodePage::Utf8;
    return encoding_.codePage != TCodePage::None ? encoding_.codePage : AnsiCodePage();
}

bool TDocument::FollowWriteAccess() {
    const IniFailure now = WriteRefusalAt(path_);
    if (now == writeRefusal_) return false;
    writeRefusal_ = now;
    return true;
}

IniListing TDocument::Sections() const {
    if (converted_) return converted_->Sections();
    return CurrentIniService().Sections(IniFileRef{path_, TextCodePage()});
}

IniListing TDocument::Keys(SectionRef section) const {
    if (converted_) return converted_->Keys(section).value_or(IniListing());
    return CurrentIniService().Keys(IniFileRef{path_, TextCodePage()}, section);
}

void TDocument::NoteEngineStamp() {
    if (!converted_) shownStamp_ = CurrentIniService().CachedStamp(path_);
}

FileStamp TDocument::StampNow() const { return CurrentIniService().StampNow(path_); }

IniResult TDocument::Write(const std::function<IniResult(IniFileRef)>& write, const TViewPlace& before) {
    if (contentRefusal_ != TContentRefusal::None) return IniResult{IniFailure::CannotHold, 0, {}};
    // A view behind the file before the write stays behind it: the change notice refreshes it.
    const bool current = StampNow() == shownStamp_;
    IniResult result = write(File());
    if (result.Succeeded()) {
        history_->Record(path_, std::move(result.change), before);
        if (current) NoteEngineStamp();
    }
    CurrentIniService().Flush(path_);
    return result;
}

IniResult TDocument::SetValue(std::string_view section, std::string_view key, std::string_view value,
                                  const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().SetValue(file, section, key, value); }, before);
}

IniResult TDocument::SetValueAt(KeyRef key, std::string_view shownValue, std::string_view value,
                                    const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().SetValueAt(file, key, shownValue, value); },
                 before);
}

IniResult TDocument::AddKey(SectionRef section, std::string_view key, std::string_view value,
                                const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().AddKey(file, section, key, value); }, before);
}

IniResult TDocument::RemoveKeyAt(KeyRef key, std::string_view shownValue, const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().RemoveKeyAt(file, key, shownValue); }, before);
}

IniResult TDocument::RemoveSectionAt(SectionRef section, const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().RemoveSectionAt(file, section); }, before);
}

IniResult TDocument::RenameKey(KeyRef key, std::string_view name, const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().RenameKey(file, key, name); }, before);
}

IniResult TDocument::RenameSection(SectionRef section, std::string_view name, const TViewPlace& before) {
    return Write([&](IniFileRef file) { return CurrentIniService().RenameSection(file, section, name); }, before);
}

void TDocument::SetPlaceAfter(const TViewPlace& after) { history_->SetPlaceAfter(path_, after); }

bool TDocument::CanReplay(ReplayDirection direction) const {
    return (direction == ReplayDirection::Undo ? history_->NextUndo(path_) : history_->NextRedo(path_)) != nullptr;
}

TDocument::TReplay TDocument::Replay(ReplayDirection direction) {
    const bool undo = direction == ReplayDirection::Undo;
    const EditRecord* change = undo ? history_->NextUndo(path_) : history_->NextRedo(path_);
    if (!change) return {IniResult{IniFailure::Stale, 0, {}}, {}};
    if (contentRefusal_ != TContentRefusal::None) return {IniResult{IniFailure::CannotHold, 0, {}}, {}};
    TReplay replay;
    replay.result = undo ? CurrentIniService().Revert(File(), *change) : CurrentIniService().Reapply(File(), *change);
    CurrentIniService().Flush(path_);
    if (replay.result.Succeeded()) replay.place = undo ? history_->Undone(path_) : history_->Redone(path_);
    return replay;
}

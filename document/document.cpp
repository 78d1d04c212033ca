#include "document/document.h"

#include "platform/code_page.h"
#include "platform/code_page_conversion.h"
#include "platform/profile/lead_table.h"
#include "platform/profile/profile_service.h"
#include "platform/profile/write_access.h"

TDocument::TDocument(std::string path) : path_(std::move(path)) {}

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

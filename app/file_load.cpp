#include "app/file_load.h"

#include <algorithm>
#include <cstdint>

#include "inifile/ini_file.h"
#include "inifile/ini_text.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/content_refusal.h"
#include "encoding/encodings.h"
#include "engine/write_access.h"
#include "text/byte_text.h"
#include "text/file_stream.h"
#include "text/string_list.h"

TLoadedFile::TLoadedFile() = default;
TLoadedFile::TLoadedFile(TLoadedFile&&) noexcept = default;
TLoadedFile& TLoadedFile::operator=(TLoadedFile&&) noexcept = default;
TLoadedFile::~TLoadedFile() = default;

std::size_t TFileLoad::BackgroundBytes = std::size_t(2) << 20;
// About what a few milliseconds read from a file in the page cache.
std::size_t TFileLoad::StepBytes = std::size_t(4) << 20;
std::function<void(const TFileLoad&)> TFileLoad::AfterStep;

TFileLoad::TFileLoad(TRequest request)
    : request_(std::move(request)), stream_(std::make_unique<TFileStream>(request_.path)) {
    size_ = std::size_t(std::max<std::int64_t>(0, stream_->Size()));
}

TFileLoad::~TFileLoad() { Cancel(); }

int TFileLoad::PercentRead() const {
    const std::size_t size = bytesToRead_;
    return size == 0 ? 0 : int(bytesRead_ * 100 / size);
}

bool TFileLoad::GoOn(std::size_t done, std::size_t size) {
    bytesRead_ = done;
    bytesToRead_ = size;
    if (AfterStep) AfterStep(*this);
    return !cancelled_;
}

TLoadedFile TFileLoad::RunHere() { return Run(); }

void TFileLoad::Start(std::function<void()> finished) {
    work_.Start([this] { return Run(); },
                [this, finished = std::move(finished)] {
                    phase_ = TLoadPhase::Done;
                    finished();
                });
}

TLoadedFile TFileLoad::TakeResult() { return work_.TakeResult(); }

TLoadedFile TFileLoad::Run() {
    TLoadedFile file;
    file.path = request_.path;
    const int guessedCodePage = request_.hints.localeCodePage;
    file.before = TIniFile(file.path, guessedCodePage).StampNow();
    std::optional<std::string> read = ReadTextInSteps(
        *stream_, file.path, StepBytes, [this](std::size_t done, std::size_t size) { return GoOn(done, size); });
    stream_.reset();
    if (!read) return file;
    std::string& bytes = *read;
    phase_ = TLoadPhase::Parsing;
    // Decided once per load: the remembered choice holds while the bytes give the same verdict.
    file.verdict = DetectEncoding(bytes, request_.hints);
    if (request_.chosenCodePage) request_.memory.Remember(file.path, file.verdict, *request_.chosenCodePage);
    const std::optional<int> chosen =
        request_.chosenCodePage ? request_.chosenCodePage : request_.memory.Recall(file.path, file.verdict);
    file.encoding = chosen ? ChosenEncoding(bytes, *chosen) : file.verdict;
    file.lineEnds = DetectLineEnds(bytes, file.encoding.codePage);
    file.refusal = ContentRefusal(bytes, file.verdict, file.encoding);
    file.writeRefusal = WriteRefusalAt(file.path);
    if (IsUtf16(file.encoding.codePage)) {
        // The INI engine reads 8-bit code pages only: the file is shown from its
        // text in UTF-8 and never written.
        std::string text =
            CodePageToUtf8(std::string_view(bytes).substr(size_t(file.encoding.bomLength)), file.encoding.codePage);
        file.readOnlyText = std::make_unique<TIniText>(file.path, std::move(text), CodePageUtf8);
    }
    // The service reads the file for itself: this copy would only double the memory the view needs.
    std::string().swap(bytes);
    if (cancelled_) return file;
    TIniFile ini(file.path, file.encoding.codePage);
    file.sections = file.readOnlyText ? file.readOnlyText->Sections() : ini.Sections();
    if (!file.readOnlyText) file.shown = ini.ShownStamp();
    if (cancelled_ || !request_.sectionToList) return file;
    file.listed = request_.sectionToList(file.sections);
    if (!file.listed) return file;
    phase_ = TLoadPhase::Listing;
    const SectionRef section{file.sections.Name(*file.listed), file.sections.Occurrence(*file.listed)};
    file.keys = std::make_shared<const IniListing>(file.readOnlyText ? file.readOnlyText->Keys(section)
                                                                      : ini.Keys(section));
    return file;
}

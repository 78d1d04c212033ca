#include "app/file_load.h"

#include <algorithm>
#include <cstdint>

#include "engine/whole_file.h"
#include "text/byte_text.h"
#include "text/string_list.h"
#include "text/file_stream.h"

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
    file.document = std::make_unique<TDocument>(request_.path);
    TDocument& document = *file.document;
    const ReadMark mark = MarkRead(stream_->Handle());
    std::optional<std::string> read = ReadTextInSteps(
        *stream_, request_.path, StepBytes, [this](std::size_t done, std::size_t size) { return GoOn(done, size); });
    stream_.reset();
    if (!read) return file;
    phase_ = TLoadPhase::Parsing;
    document.Open(*read, request_.open);
    // The engine goes on from these bytes rather than read the file again.
    document.HandToEngine(std::move(*read), mark);
    read.reset();
    document.SetShownStamp(mark.stamp);
    if (cancelled_) return file;
    file.sections = document.Sections();
    document.NoteEngineStamp();
    if (cancelled_ || !request_.sectionToList) return file;
    file.listed = request_.sectionToList(file.sections);
    if (!file.listed) return file;
    phase_ = TLoadPhase::Listing;
    const SectionRef section{file.sections.Name(*file.listed), file.sections.Occurrence(*file.listed)};
    file.keys = std::make_shared<const IniListing>(document.Keys(section));
    return file;
}

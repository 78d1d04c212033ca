#include "text/string_list.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include "engine/whole_file.h"
#include "text/file_stream.h"
#include "text/line_split.h"

namespace {

constexpr std::int64_t MaxTextSize = std::numeric_limits<std::int32_t>::max();

// Runs body inside an update bracket that is closed also when body raises.
template <typename Body>
void InBatch(TStrings& list, Body body) {
    list.BeginBatch();
    try {
        body();
    } catch (...) {
        list.EndBatch();
        throw;
    }
    list.EndBatch();
}

void CheckFileSize(TStream& stream, const std::string& path) {
    if (stream.Size() - stream.Position() > MaxTextSize)
        throw EFileTooLarge(FormatMessage("Cannot load file %s: it is 2 GiB or larger", path));
}

// The rest of the stream, read in order: the offsets the whole-file read asks for follow on.
std::string ReadRest(TStream& stream, const WholeReadSteps& steps = {}) {
    const std::int64_t size = std::max<std::int64_t>(0, stream.Size() - stream.Position());
    if (size > MaxTextSize) throw EStreamError("Stream too large to load: 2 GiB or more");
    // A stream that delivers less than asked is at its end: a file that shrank meanwhile.
    bool ended = false;
    const ReadAt readAt = [&stream, &ended](char* into, std::size_t count, off_t) -> ssize_t {
        if (ended) return 0;
        const auto want = static_cast<std::int32_t>(std::min<std::size_t>(count, MaxTextSize));
        const std::int32_t got = stream.Read(into, want);
        ended = got < want;
        return std::min(got, want);
    };
    std::string text;
    // Read as far as it went: a stream reads 0 on failure, as at its end.
    (void)ReadWholeFile(readAt, static_cast<std::size_t>(size), MaxTextSize, text, steps);
    return text;
}

}  // namespace

void TStrings::BeginBatch() {
    if (updateCount_ == 0) NotifyBeforeChange();
    ++updateCount_;
}

void TStrings::EndBatch() {
    --updateCount_;
    if (updateCount_ == 0) NotifyAfterChange();
}

void TStrings::SplitIntoLines(std::string_view text) {
    InBatch(*this, [&] {
        RemoveAll();
        ForEachLine(text, [&](std::size_t offset, std::size_t length) {
            AppendLine(std::string(text.substr(offset, length)));
        });
    });
}

void TStrings::LoadLinesFromFile(const std::string& path) {
    TFileStream stream(path);
    CheckFileSize(stream, path);
    LoadLinesFromStream(stream);
}

void TStrings::LoadLinesFromStream(TStream& stream) {
    InBatch(*this, [&] { SplitOwnedText(ReadRest(stream)); });
}

void ReplaceLines(TStrings& list, const std::vector<std::string>& lines) {
    InBatch(list, [&] {
        list.RemoveAll();
        for (const std::string& line : lines) list.AppendLine(line);
    });
}

std::string LoadFileText(const std::string& path) {
    TFileStream stream(path);
    CheckFileSize(stream, path);
    return ReadRest(stream);
}

std::optional<std::string> ReadTextInSteps(TStream& stream, const std::string& path, std::size_t stepBytes,
                                           const std::function<bool(std::size_t, std::size_t)>& goOn) {
    CheckFileSize(stream, path);
    bool stopped = false;
    std::string text = ReadRest(stream, {stepBytes, [&](std::size_t done, std::size_t size) {
                                            stopped = !goOn(done, size);
                                            return !stopped;
                                        }});
    if (stopped) return std::nullopt;
    return text;
}

std::string TStringList::LineAt(int index) const {
    CheckIndex(index);
    const Item& item = items_[index];
    return bytes_.substr(item.offset, item.length);
}

int TStringList::LineCount() const { return count_; }

void TStringList::ReplaceLineAt(int index, const std::string& text) {
    CheckIndex(index);
    NotifyBeforeChange();
    Item& item = items_[index];
    if (text.size() <= item.length) {
        bytes_.replace(item.offset, text.size(), text);
    } else {
        item.offset = bytes_.size();
        bytes_ += text;
    }
    item.length = text.size();
    NotifyAfterChange();
}

int TStringList::AppendLine(const std::string& text) {
    NotifyBeforeChange();
    const std::size_t offset = bytes_.size();
    bytes_ += text;
    AddItem(offset, text.size());
    NotifyAfterChange();
    return LineCount() - 1;
}

void TStringList::RemoveAll() {
    if (count_ == 0) return;
    NotifyBeforeChange();
    items_.reset();
    bytes_ = {};
    count_ = capacity_ = 0;
    NotifyAfterChange();
}

void TStringList::NotifyBeforeChange() {
    if (BatchDepth() == 0 && OnBeforeChange) OnBeforeChange();
}

void TStringList::NotifyAfterChange() {
    if (BatchDepth() == 0 && OnAfterChange) OnAfterChange();
}

void TStringList::SplitOwnedText(std::string&& text) {
    InBatch(*this, [&] {
        RemoveAll();
        bytes_ = std::move(text);
        ForEachLine(bytes_,
                    [&](std::size_t offset, std::size_t length) { AddItem(offset, length); });
    });
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= LineCount())
        throw EStringListError(FormatMessage("List index out of bounds (%d)", index));
}

void TStringList::SetCapacity(int capacity) {
    void* grown = std::realloc(items_.get(), static_cast<std::size_t>(capacity) * sizeof(Item));
    if (!grown) throw std::bad_alloc();
    (void)items_.release();  // realloc has freed or kept it
    items_.reset(static_cast<Item*>(grown));
    capacity_ = capacity;
}

void TStringList::AddItem(std::size_t offset, std::size_t length) {
    if (count_ == capacity_) {
        const std::int64_t delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
        SetCapacity(static_cast<int>(std::min(capacity_ + delta, MaxTextSize)));
    }
    items_[count_++] = {offset, length, nullptr};
}

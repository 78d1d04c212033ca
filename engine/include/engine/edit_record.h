#pragma once
// What an edit changed in a file's bytes, kept so that it can be undone and done again: for
// each changed stretch, where it was, its bytes before and after, and a few unchanged bytes
// on either side to find it again when another program has changed the file elsewhere.
// Only the changed stretches are kept, never a copy of the file.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The section a span's bytes sit in, by its header's name and its occurrence among the headers
// of that name; or the lines before the first header. A span is undone or redone only in its
// own section: another section that happens to hold the same bytes is not it.
struct SpanPlace {
    enum class Kind : std::uint8_t { Unknown, BeforeHeaders, InSection };
    Kind kind = Kind::Unknown;
    std::string section;
    std::uint32_t occurrence = 0;

    bool operator==(const SpanPlace&) const = default;
};

// The byte whose section is a span's: its first, or for a span of no bytes the one before it;
// none for a span of no bytes at the start of the file.
inline std::optional<std::size_t> PlacePoint(std::size_t at, std::size_t length) {
    if (length > 0) return at;
    if (at > 0) return at - 1;
    return std::nullopt;
}

struct ByteSpan {
    std::size_t offset;     // in the file before the edit
    std::string before;     // the bytes the edit replaced
    std::string after;      // the bytes it put there
    std::string lead;       // unchanged bytes just before, as many as context allows
    std::string trail;      // unchanged bytes just after
    SpanPlace placeBefore;  // of its before bytes, in the file before the edit
    SpanPlace placeAfter;   // of its after bytes, in the file after it
};

struct EditRecord {
    std::vector<ByteSpan> spans;  // in file order, not touching each other

    bool Empty() const { return spans.empty(); }
};

// Builds a record while an edit changes bytes: each change is told as it is made, in file
// order, at its offset in the bytes as they are at that moment.
class EditRecorder {
public:
    void Replaced(std::size_t offset, std::string_view before, std::string_view after);
    // Fills in the context of every span from the bytes after the edit, and hands the record over.
    EditRecord Finish(std::string_view edited);
    // Hands the record over without context, for an EditChain to give it.
    EditRecord Finish();

private:
    EditRecord record_;
    std::ptrdiff_t growth_ = 0;  // of the spans so far
};

// The record of several edits made one after the other, built from the record of each: what
// they changed together, as one record of the bytes before the first. Stretches that two
// edits touch, or that touch each other, become one; edits that undo each other leave none.
class EditChain {
public:
    // Whether the records added come with their context; without, Finish gives it even to a
    // chain of one.
    explicit EditChain(bool recordsHaveContext = true) : recordsHaveContext_(recordsHaveContext) {}
    // The record of the next edit, made on the bytes the ones before it left.
    void Add(EditRecord next);
    // Whether the edits so far leave the bytes as they found them.
    bool Empty() const { return spans_.empty(); }
    // The record, its context taken from the bytes the last edit left; the chain starts afresh.
    EditRecord Finish(std::string_view edited);

private:
    std::vector<ByteSpan> spans_;
    std::ptrdiff_t growth_ = 0;  // what the spans add to the bytes
    bool recordsHaveContext_;
    bool contextKept_ = false;  // the spans are one edit's own record, context and all
};

enum class ReplayDirection { Undo, Redo };

// The place of a byte in the bytes being searched (nullopt: before the first byte).
using PlaceOf = std::function<SpanPlace(std::optional<std::size_t> point)>;

// Where each span's current bytes (its after bytes for an undo, its before bytes for a redo)
// are found in bytes: first where the record puts them, allowing for a shift that another
// program's change before them caused; failing that, the one place in the file where the span
// and its context appear. Either way in the span's own place, when the record knows it.
// Nothing when a span is not found in exactly one place.
std::optional<std::vector<std::size_t>> LocateSpans(const EditRecord& record, ReplayDirection direction,
                                                    std::string_view bytes, const PlaceOf& placeOf);

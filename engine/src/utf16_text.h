#pragma once
// A UTF-16 file as the engine edits it: its text in UTF-8, which the INI rules read as they
// read any UTF-8 file, and the file's bytes, which each change of the text changes in the
// units it touched only. A byte-order mark is part of the text (U+FEFF). Units that do not
// decode (a surrogate without its pair, a last lone byte) stand in the text as U+FFFD, and
// edits that would touch them are refused.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/edit_record.h"
#include "engine/ini_failure.h"

class Utf16Layout {
public:
    struct Undecodable {
        std::size_t at;     // where its U+FFFD stands in the text
        std::string bytes;  // the file's own: two bytes of a lone surrogate, or the last odd one
    };

    // Keeps the file's bytes, and gives their text, in the buffer of `room`; the parts that do
    // not decode are noted.
    std::string Read(std::string file, bool bigEndian, std::string room = {});
    // The file's bytes as read, with the changes followed since.
    const std::string& Bytes() const { return bytes_; }
    // Their buffer, for a read that replaces them.
    std::string TakeBytes() { return std::move(bytes_); }
    // Puts a change of the text that left `edited` into the file's bytes, and gives what it
    // changed in them: each span widened to whole characters, in two-byte units. Refused, with
    // nothing changed, with Undecodable when a span touches a part that does not decode, and
    // with CannotHold when a span's bytes are no UTF-8.
    IniFailure Follow(const EditRecord& textChange, std::string_view edited, EditRecord& fileChange);

    const std::vector<Undecodable>& Undecodables() const { return undecodable_; }

private:
    // Two-byte units of valid UTF-8, in the file's byte order; false when it is not valid.
    bool EncodeValid(std::string_view text, std::string& out) const;
    // File bytes of text[begin, end), which holds no undecodable part but whole ones.
    std::size_t FileLength(std::string_view text, std::size_t begin, std::size_t end) const;

    bool bigEndian_ = false;
    std::string bytes_;
    std::vector<Undecodable> undecodable_;  // in text order
};

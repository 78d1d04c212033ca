#pragma once
// A UTF-16 file as the engine edits it: its text in UTF-8, which the INI rules read as they
// read any UTF-8 file, and what the text cannot say of the file's bytes, so that the bytes
// come back exactly. A byte-order mark is part of the text (U+FEFF). Units that do not decode
// (a surrogate without its pair, a last lone byte) stand in the text as U+FFFD and keep their
// own bytes aside; edits that would touch them are refused.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/edit_record.h"
#include "engine/ini_failure.h"

class Utf16Layout {
public:
    struct Undecodable {
        std::size_t at;     // where its U+FFFD stands in the text
        std::string bytes;  // the file's own: two bytes of a lone surrogate, or the last odd one
    };

    explicit Utf16Layout(bool bigEndian = false) : bigEndian_(bigEndian) {}

    // The text of the file's bytes, the parts that do not decode noted here.
    std::string Decode(std::string_view bytes);
    // The file's bytes of the text: those it was decoded from when the text is unchanged.
    std::string Encode(std::string_view text) const;
    // The change of the file's bytes for a change of the text that left `edited`: each span
    // widened to whole characters and put in two-byte units. Refused with Undecodable when a
    // span touches a part that does not decode, and with CannotHold when a span's bytes are no
    // UTF-8; otherwise the noted parts move with the text.
    IniFailure Follow(const EditRecord& textChange, std::string_view edited, EditRecord& fileChange);

    bool BigEndian() const { return bigEndian_; }
    const std::vector<Undecodable>& Undecodables() const { return undecodable_; }

private:
    // Two-byte units of valid UTF-8, in the file's byte order; false when it is not valid.
    bool EncodeValid(std::string_view text, std::string& out) const;
    // File bytes of text[begin, end), which holds no undecodable part but whole ones.
    std::size_t FileLength(std::string_view text, std::size_t begin, std::size_t end) const;

    bool bigEndian_;
    std::vector<Undecodable> undecodable_;  // in text order
};

#pragma once
// Finding a text in a file's section names, key names and values, as the tree and the list
// show them: ASCII letters in either case, every other byte exactly, and a match only where a
// character of the file's code page begins (a trail byte never starts one). The search runs
// in steps, so that a window can stay responsive over a very large file.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/code_page.h"
#include "engine/lead_table.h"

enum class IniLineKind;

struct IniFindMatch {
    std::uint32_t line;    // offset of the matching line in the file's bytes
    std::uint32_t header;  // offset of the header line of its section (itself for a header)
    std::int32_t section;  // which header line of the file, counted from 0
    bool isHeader;         // the section's name matched; otherwise a key line's name or value
};

class IniFind {
public:
    // needle: bytes in codePage; bytes: the whole file, held as long as the search is.
    IniFind(std::shared_ptr<const std::string> bytes, std::string needle, TCodePage codePage);
    IniFind(std::string bytes, std::string needle, TCodePage codePage);

    // Searches on through about budget more bytes of the file. True once the file is done.
    bool Step(std::size_t budget);
    bool Done() const { return at_ >= bytes_.size(); }
    // Matches so far, in file order; one per line, however often the line holds the text.
    std::size_t MatchCount() const { return matches_.size(); }
    IniFindMatch Match(std::size_t index) const;
    // Per section of the file, whether it holds a match so far.
    std::vector<bool> SectionsMatched() const;
    const std::string& Needle() const { return needle_; }

    // A key match's key name, and how many key lines of that name come before it in its section.
    struct KeyPlace {
        std::string name;
        int occurrence;
    };
    KeyPlace KeyPlaceOf(const IniFindMatch& match) const;

private:
    // Where the views show text on a line: the name, and the value of a key line without its
    // quotes (empty for other lines). Offsets in the file's bytes.
    struct ShownParts {
        std::size_t begin = 0, end = 0;  // the line, without its line end
        IniLineKind kind{};  // Blank
        std::size_t nameBegin = 0, nameEnd = 0, valueBegin = 0, valueEnd = 0;
    };
    void ReadLineAround(std::size_t at);
    // Whether the text found at `at` lies inside what the line shows and starts a character there.
    bool ShownAt(std::size_t at) const;
    bool StartsCharacter(std::size_t at, std::size_t textBegin) const;
    bool MatchesAt(std::string_view text, std::size_t at) const;
    // The next place from `from`, before `limit`, where the needle's first and last bytes stand.
    std::size_t NextCandidate(std::size_t from, std::size_t limit) const;
    void CountHeadersTo(std::size_t offset);
    std::size_t LineBegin(std::size_t at, std::size_t notBefore) const;
    std::string_view LineAt(std::size_t begin) const;
    bool IsLineStart(std::size_t offset) const;

    std::shared_ptr<const std::string> held_;
    std::string_view bytes_;
    std::string needle_;
    LeadTable lead_;
    std::size_t contentStart_;  // after a byte-order mark
    // Per needle byte: 0x20 where an ASCII letter of either case matches, and the byte with
    // that bit set; a byte matches when the two agree. Padded to whole 16-byte blocks.
    std::string caseBits_;
    std::string foldedNeedle_;
    std::size_t at_ = 0;
    ShownParts line_;  // the line last looked at
    std::size_t countedTo_ = 0;
    std::vector<std::uint32_t> headers_;  // offsets of the header lines before countedTo_
    // The offsets of the matching lines: small, since a file can hold millions of matches,
    // and kept in blocks that growing never copies. Offsets fit 32 bits: the files the views
    // show are those the INI engine reads, 4 GiB at most.
    std::deque<std::uint32_t> matches_;
};

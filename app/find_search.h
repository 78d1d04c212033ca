#pragma once
// Finding a text in a file's section names, key names and values, as the tree and the list
// show them: ASCII letters in either case, every other byte exactly, and a match only where a
// character of the file's code page begins (a trail byte never starts one). The search runs
// in steps, so that a window can stay responsive over a very large file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/ini_line.h"
#include "platform/profile/lead_table.h"

// Offsets fit 32 bits: the files the views show are those the profile-file service reads, 4 GiB
// at most. Small, since a file can hold millions of matches.
struct TFindMatch {
    std::uint32_t line;    // offset of the matching line in the file's bytes
    std::uint32_t header;  // offset of the header line of its section (itself for a header)
    std::int32_t section;  // which header line of the file, counted from 0
    bool isHeader;         // the section's name matched; otherwise a key line's name or value
};

class TFindSearch {
public:
    // needle: bytes in codePage; bytes: the whole file.
    TFindSearch(std::string bytes, std::string needle, int codePage);

    // Searches on through about budget more bytes of the file. True once the file is done.
    bool Step(std::size_t budget);
    bool Done() const { return at_ >= bytes_.size(); }
    // Matches so far, in file order; one per line, however often the line holds the text.
    const std::vector<TFindMatch>& Matches() const { return matches_; }
    const std::string& Needle() const { return needle_; }

    // A key match's key name, and how many key lines of that name come before it in its section.
    struct KeyPlace {
        std::string name;
        int occurrence;
    };
    KeyPlace KeyPlaceOf(const TFindMatch& match) const;

private:
    IniLineKind LineMatch(std::size_t begin, std::size_t end) const;
    std::string_view LineAt(std::size_t begin) const;
    bool OccursIn(std::string_view text) const;
    bool MatchesAt(std::string_view text, std::size_t at) const;
    bool StartsCharacter(std::string_view text, std::size_t at) const;
    // The next place from `from`, before `limit`, where the needle's first byte stands.
    std::size_t NextCandidate(std::size_t from, std::size_t limit) const;
    void CountHeadersTo(std::size_t offset);
    std::size_t LineBegin(std::size_t at) const;
    std::size_t LineEnd(std::size_t at) const;
    bool IsLineStart(std::size_t offset) const;
    std::size_t ContentStart() const;

    std::string bytes_;
    std::string needle_;
    LeadTable lead_;
    std::size_t at_ = 0;
    std::size_t countedTo_ = 0;
    int headers_ = 0;
    std::size_t lastHeader_ = 0;
    std::vector<TFindMatch> matches_;
};

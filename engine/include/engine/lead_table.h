#pragma once
// Which bytes begin a double-byte character, as a lookup table the parser can consult per byte.
#include <array>
#include <cstddef>
#include <string_view>

#include "encoding/code_page.h"

class LeadTable {
public:
    // A single-byte code page: no lead bytes.
    LeadTable() { isLead_.fill(false); }
    static LeadTable ForCodePage(TCodePage codePage);

    bool IsLead(unsigned char byte) const { return isLead_[byte]; }
    // True when no byte below 0x80 is a lead byte.
    bool AsciiIsSingleByte() const { return asciiIsSingleByte_; }
    // Bytes taken by the character that starts at `at`: a lead byte takes the next byte with
    // it, whatever that byte is, unless it is the last byte of the text.
    std::size_t CharLength(std::string_view text, std::size_t at) const {
        return CharacterLength(text, at, IsLead(static_cast<unsigned char>(text[at])));
    }

private:
    std::array<bool, 256> isLead_;
    bool asciiIsSingleByte_ = true;
};

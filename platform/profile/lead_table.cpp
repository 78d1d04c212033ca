#include "platform/profile/lead_table.h"

namespace {

struct LeadRange {
    unsigned char first, last;
};

}  // namespace

LeadTable LeadTable::ForCodePage(int codePage) {
    static constexpr LeadRange shiftJis[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
    static constexpr LeadRange eastAsian[] = {{0x81, 0xFE}};  // GBK, Korean, Big5
    LeadTable table;
    const auto mark = [&table](const auto& ranges) {
        for (const LeadRange& range : ranges)
            for (int byte = range.first; byte <= range.last; ++byte) {
                table.isLead_[byte] = true;
                if (byte < 0x80) table.asciiIsSingleByte_ = false;
            }
    };
    switch (codePage) {
        case 932: mark(shiftJis); break;
        case 936:
        case 949:
        case 950: mark(eastAsian); break;
        default: break;
    }
    return table;
}

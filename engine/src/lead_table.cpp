#include "engine/lead_table.h"

#include "encoding/code_page.h"

LeadTable LeadTable::ForCodePage(int codePage) {
    LeadTable table;
    for (const TByteRange& range : LeadByteRanges(codePage))
        for (int byte = range.first; byte <= range.last; ++byte) {
            table.isLead_[byte] = true;
            if (byte < 0x80) table.asciiIsSingleByte_ = false;
        }
    return table;
}

#include "engine/lead_table.h"

LeadTable LeadTable::ForCodePage(TCodePage codePage) {
    LeadTable table;
    const std::bitset<256> leads = LeadByteBits(codePage);
    for (std::size_t byte = 0; byte < leads.size(); ++byte) {
        table.isLead_[byte] = leads.test(byte);
        if (byte < 0x80 && leads.test(byte)) table.asciiIsSingleByte_ = false;
    }
    return table;
}

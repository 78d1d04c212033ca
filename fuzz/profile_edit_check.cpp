#include "fuzz/profile_edit_check.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/profile/ini_document.h"
#include "platform/profile/ini_line.h"
#include "platform/profile/name_index.h"

namespace {

class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string Bytes(std::size_t count) {
        count = std::min(count, size_ - std::min(at_, size_));
        std::string bytes(reinterpret_cast<const char*>(data_) + at_, count);
        at_ += count;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

enum class Op { Set, RemoveKey, RemoveSection };

struct Edit {
    Op op;
    std::string section, key, value;
};

struct Entry {
    std::string section, key, value;
};

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Mostly names already in the file, in another letter case now and then, so edits hit them.
std::string PickName(InputReader& in, const std::vector<std::string_view>& names) {
    const std::uint8_t choice = in.Byte();
    if ((choice & 0x80) && !names.empty()) {
        std::string name(names[choice % names.size()]);
        if (choice & 0x40)
            for (char& c : name)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return name;
    }
    return in.Bytes(choice % 8);
}

Edit ReadEdit(InputReader& in, const IniDocument& document) {
    Edit edit;
    const std::uint8_t kind = in.Byte() % 4;
    edit.op = kind == 1 ? Op::RemoveKey : kind == 2 ? Op::RemoveSection : Op::Set;
    edit.section = PickName(in, document.SectionNames());
    edit.key = PickName(in, document.KeyNames(edit.section));
    edit.value = in.Bytes(in.Byte() % 16);
    return edit;
}

// First of duplicates only: what a reader can see.
std::vector<Entry> VisibleState(const IniDocument& document, const LeadTable& lead) {
    std::vector<Entry> entries;
    std::vector<std::string_view> seenSections;
    for (std::string_view section : document.SectionNames()) {
        const auto same = [&](std::string_view seen) { return SameName(seen, section, lead); };
        if (std::any_of(seenSections.begin(), seenSections.end(), same)) continue;
        seenSections.push_back(section);
        std::vector<std::string_view> seenKeys;
        for (std::string_view key : document.KeyNames(section)) {
            const auto sameKey = [&](std::string_view seen) { return SameName(seen, key, lead); };
            if (std::any_of(seenKeys.begin(), seenKeys.end(), sameKey)) continue;
            seenKeys.push_back(key);
            entries.push_back({std::string(section), std::string(key), std::string(*document.Value(section, key))});
        }
    }
    return entries;
}

bool Plain(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

std::string CheckValues(const IniDocument& after, const std::vector<Entry>& before, const Edit& edit,
                        const LeadTable& lead) {
    for (const Entry& entry : before) {
        const bool inSection = SameName(entry.section, edit.section, lead);
        const bool targeted = inSection && SameName(entry.key, edit.key, lead);
        const auto value = after.Value(entry.section, entry.key);
        std::optional<std::string_view> expected = entry.value;
        if (edit.op == Op::Set && targeted) expected = edit.value;
        if ((edit.op == Op::RemoveKey && targeted) || (edit.op == Op::RemoveSection && inSection))
            expected.reset();
        if (value != expected) return "a value changed that the edit did not target: " + entry.key;
    }
    const auto written = after.Value(edit.section, edit.key);
    if (edit.op == Op::Set && written != std::optional<std::string_view>(edit.value))
        return "the value written does not read back";
    if (edit.op == Op::RemoveKey && written) return "the removed key is still there";
    if (edit.op == Op::RemoveSection && !after.KeyNames(edit.section).empty())
        return "the removed section still has keys";
    return {};
}

std::string_view LineContaining(std::string_view bytes, std::size_t at) {
    std::size_t begin = at;
    while (begin > 0 && !IsLineBreak(bytes[begin - 1])) --begin;
    std::size_t end = at;
    while (end < bytes.size() && !IsLineBreak(bytes[end])) ++end;
    return bytes.substr(begin, end - begin);
}

// A changed value: everything outside the key's own line is as it was.
std::string CheckOneLineChanged(std::string_view before, std::string_view after, std::string_view line) {
    const std::size_t lineBegin = static_cast<std::size_t>(line.data() - before.data());
    const std::string_view head = before.substr(0, lineBegin);
    const std::string_view tail = before.substr(lineBegin + line.size());
    if (!after.starts_with(head) || !after.ends_with(tail) || after.size() < head.size() + tail.size())
        return "bytes outside the key's line changed";
    return {};
}

// A new key or section: every old byte is still there, in order, around one insertion.
std::string CheckOnlyInserted(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    if (prefix + suffix != before.size()) return "an insertion changed old bytes";
    return {};
}

struct Line {
    std::size_t begin, contentBegin, contentEnd, next;
};

std::vector<Line> SplitLines(std::string_view bytes) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin < bytes.size();) {
        Line line{begin, begin == 0 && bytes.starts_with(mark) ? mark.size() : begin, begin, begin};
        while (line.contentEnd < bytes.size() && !IsLineBreak(bytes[line.contentEnd])) ++line.contentEnd;
        line.next = line.contentEnd;
        if (line.next < bytes.size()) line.next += bytes.substr(line.next, 2) == "\r\n" ? 2 : 1;
        lines.push_back(line);
        begin = line.next;
    }
    return lines;
}

// What a removal must leave, worked out line by line apart from the document's index: a key's
// lines in the first section of its name, or every such section from its header to its last
// key line. A byte-order mark stays.
std::string ExpectedAfterRemoval(std::string_view before, const Edit& edit, const LeadTable& lead) {
    const std::vector<Line> lines = SplitLines(before);
    std::vector<IniLine> parsed;
    for (const Line& line : lines)
        parsed.push_back(ParseIniLine(before.substr(line.contentBegin, line.contentEnd - line.contentBegin), lead));
    std::vector<bool> drop(lines.size(), false);
    bool firstSectionSeen = false;
    for (std::size_t header = 0; header < lines.size(); ++header) {
        if (parsed[header].kind != IniLineKind::Header || !SameName(parsed[header].name, edit.section, lead)) continue;
        std::size_t lastKey = header;
        for (std::size_t at = header + 1; at < lines.size() && parsed[at].kind != IniLineKind::Header; ++at) {
            if (parsed[at].kind != IniLineKind::Key) continue;
            lastKey = at;
            if (edit.op == Op::RemoveKey && !firstSectionSeen) drop[at] = SameName(parsed[at].name, edit.key, lead);
        }
        if (edit.op == Op::RemoveSection) std::fill(drop.begin() + header, drop.begin() + lastKey + 1, true);
        firstSectionSeen = true;
    }
    std::string expected;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const Line& line = lines[at];
        expected += drop[at] ? before.substr(line.begin, line.contentBegin - line.begin)
                             : before.substr(line.begin, line.next - line.begin);
    }
    return expected;
}

std::string CheckBytes(const std::string& before, const IniDocument& beforeDocument,
                       const IniDocument& after, const Edit& edit, EditResult result,
                       const LeadTable& lead) {
    if (result != EditResult::Changed)
        return after.Bytes() == before ? std::string() : "an edit that changed nothing touched bytes";
    if (edit.op != Op::Set)
        return after.Bytes() == ExpectedAfterRemoval(before, edit, lead) ? std::string()
                                                                         : "a removal took other lines than its own";
    const auto old = beforeDocument.Value(edit.section, edit.key);
    if (!old) return CheckOnlyInserted(before, after.Bytes());
    const std::size_t at = static_cast<std::size_t>(old->data() - beforeDocument.Bytes().data());
    return CheckOneLineChanged(before, after.Bytes(), LineContaining(before, at));
}

std::string CheckReparse(const IniDocument& document, const LeadTable& lead) {
    const IniDocument fresh(document.Bytes(), lead);
    const auto a = VisibleState(document, lead);
    const auto b = VisibleState(fresh, lead);
    const auto same = [](const Entry& x, const Entry& y) {
        return x.section == y.section && x.key == y.key && x.value == y.value;
    };
    if (!std::equal(a.begin(), a.end(), b.begin(), b.end(), same)) return "the edited index differs from a fresh parse";
    return {};
}

std::string RunEdit(IniDocument& document, const Edit& edit, const LeadTable& lead) {
    const std::string before = document.Bytes();
    const IniDocument beforeDocument(before, lead);
    const std::vector<Entry> state = VisibleState(document, lead);
    EditResult result = EditResult::Refused;
    switch (edit.op) {
        case Op::Set: result = document.SetValue(edit.section, edit.key, edit.value); break;
        case Op::RemoveKey: result = document.RemoveKey(edit.section, edit.key); break;
        case Op::RemoveSection: result = document.RemoveSection(edit.section); break;
    }
    if (result == EditResult::Refused) {
        if (Plain(edit.section) && Plain(edit.key) && FitsOnOneLine(edit.value))
            return "a plain write was refused";
        return document.Bytes() == before ? std::string() : "a refused edit touched bytes";
    }
    for (const std::string& failure : {CheckBytes(before, beforeDocument, document, edit, result, lead),
                                       CheckValues(document, state, edit, lead), CheckReparse(document, lead)})
        if (!failure.empty()) return failure;
    return {};
}

}  // namespace

std::string CheckEditSequence(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    static const int codePages[] = {1252, 936, 932};
    const LeadTable lead = LeadTable::ForCodePage(codePages[in.Byte() % 3]);
    const std::size_t low = in.Byte();
    const std::size_t length = low | static_cast<std::size_t>(in.Byte()) << 8;
    IniDocument document(in.Bytes(length), lead);
    for (int step = 0; !in.AtEnd(); ++step) {
        const Edit edit = ReadEdit(in, document);
        if (std::string failure = RunEdit(document, edit, lead); !failure.empty())
            return "edit " + std::to_string(step) + ": " + failure;
    }
    return {};
}

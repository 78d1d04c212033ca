#include "cli/operation.h"

#include "ini_line.h"
#include "engine/name_index.h"

namespace {

bool NamesSection(const Operation& operation) {
    return operation.words.size() == (operation.command == Command::Rename ? 2u : 1u);
}

// The name of the first section a reader finds by `asked`, as the file spells it; `asked`
// when there is none. Addressed edits take names as written.
std::string SectionAsWritten(const IniDocument& document, std::string_view asked) {
    const IniListing sections = document.Sections();
    const std::string_view name = TrimName(asked, document.Lead());
    for (std::size_t i = 0; i < sections.Count(); ++i)
        if (sections.FirstOfName(i) && SameName(sections.Name(i), name, document.Lead())) return std::string(sections.Name(i));
    return std::string(asked);
}

std::string KeyAsWritten(const IniDocument& document, std::string_view section, std::string_view asked) {
    const std::optional<IniListing> keys = document.Keys({section, 0});
    const std::string_view name = TrimName(asked, document.Lead());
    for (std::size_t i = 0; keys && i < keys->Count(); ++i)
        if (keys->FirstOfName(i) && SameName(keys->Name(i), name, document.Lead())) return std::string(keys->Name(i));
    return std::string(asked);
}

// The lists above share the document's bytes; they are gone before the edit, which would
// otherwise copy them.
EditResult Rename(IniDocument& document, const std::vector<std::string>& words) {
    const std::string section = SectionAsWritten(document, words[0]);
    if (words.size() == 2) return document.RenameSection({section, 0}, words[1]);
    const std::string key = KeyAsWritten(document, section, words[1]);
    return document.RenameKey({{section, 0}, key, 0}, words[2]);
}

}  // namespace

DocumentEdit EditOf(const Operation& operation) {
    const std::vector<std::string>& w = operation.words;
    switch (operation.command) {
        case Command::Set: return [&w](IniDocument& d) { return d.SetValue(w[0], w[1], w[2]); };
        case Command::Rename: return [&w](IniDocument& d) { return Rename(d, w); };
        default:
            if (NamesSection(operation)) return [&w](IniDocument& d) { return d.RemoveSection(w[0]); };
            return [&w](IniDocument& d) { return d.RemoveKey(w[0], w[1]); };
    }
}

bool TargetPresent(const IniDocument& document, const Operation& operation) {
    const std::vector<std::string>& w = operation.words;
    if (operation.command == Command::Set) return true;
    if (NamesSection(operation)) return document.Keys({w[0], 0}).has_value();
    return document.Value(w[0], w[1]).has_value();
}

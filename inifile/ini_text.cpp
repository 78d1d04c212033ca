#include "inifile/ini_text.h"

#include "inifile/ini_file.h"
#include "text/string_list.h"

namespace {

std::vector<std::string> Copies(const std::vector<std::string_view>& names) {
    return std::vector<std::string>(names.begin(), names.end());
}

}  // namespace

TIniText::TIniText(std::string path, std::string text, int codePage)
    : TCustomIniFile(std::move(path)), document_(std::move(text), LeadTable::ForCodePage(codePage)) {}

std::string TIniText::ReadValue(const std::string& section, const std::string& key, const std::string& defaultValue) {
    const auto value = document_.Value(section, key);
    return value ? std::string(*value) : defaultValue;
}

void TIniText::ReadKeyNames(const std::string& section, TStrings& list) { ReplaceLines(list, Copies(document_.KeyNames(section))); }

void TIniText::ReadSectionNames(TStrings& list) { ReplaceLines(list, Copies(document_.SectionNames())); }

void TIniText::ReadKeyValuePairs(const std::string& section, TStrings& list) {
    std::vector<std::string> pairs;
    for (std::string_view name : document_.KeyNames(section))
        pairs.push_back(std::string(name) + "=" + ReadValue(section, std::string(name), ""));
    ReplaceLines(list, pairs);
}

IniListing TIniText::Keys(SectionRef section) const { return document_.Keys(section).value_or(IniListing()); }

void TIniText::WriteValue(const std::string&, const std::string&, const std::string&) { RefuseWrite(); }

void TIniText::RemoveSection(const std::string&) { RefuseWrite(); }

void TIniText::RemoveKey(const std::string&, const std::string&) { RefuseWrite(); }

void TIniText::RefuseWrite() const { throw WriteFailure(FilePath, IniFailure::CannotHold); }

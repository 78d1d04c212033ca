#include "inifile/ini_file.h"

#include "inifile/write_failure_reason.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "engine/ini_service.h"
#include "text/string_list.h"

TIniFile::TIniFile(std::string path) : TIniFile(std::move(path), AnsiCodePage()) {}

TIniFile::TIniFile(std::string path, TCodePage codePage) : TCustomIniFile(std::move(path)), codePage_(codePage) {}

TIniFile::~TIniFile() { FlushFile(); }

IniFileRef TIniFile::File() const { return IniFileRef{FilePath, codePage_}; }

void TIniFile::Check(IniResult result) {
    if (!result.Succeeded())
        throw EIniFileException(WriteFailureMessage(FilePath, result.failure, result.systemError), result.failure);
    lastChange_ = std::move(result.change);
}

std::string TIniFile::ReadValue(const std::string& section, const std::string& key, const std::string& defaultValue) {
    return CurrentIniService().Value(File(), section, key).value_or(defaultValue);
}

void TIniFile::WriteValue(const std::string& section, const std::string& key, const std::string& value) {
    Check(CurrentIniService().SetValue(File(), section, key, value));
}

void TIniFile::ReadKeyNames(const std::string& section, TStrings& list) { ReplaceLines(list, KeyNameList(section)); }

void TIniFile::ReadSectionNames(TStrings& list) { ReplaceLines(list, SectionNameList()); }

void TIniFile::ReadKeyValuePairs(const std::string& section, TStrings& list) {
    TStringList names;
    ReadKeyNames(section, names);
    std::vector<std::string> pairs;
    for (int i = 0; i < names.LineCount(); ++i) {
        const std::string name = names.LineAt(i);
        pairs.push_back(name + "=" + ReadValue(section, name, ""));
    }
    ReplaceLines(list, pairs);
}

void TIniFile::RemoveSection(const std::string& section) { Check(CurrentIniService().RemoveSection(File(), section)); }

// A key that is not there is no failure; a file we could not change is, or the caller would
// show a deletion that never happened.
void TIniFile::RemoveKey(const std::string& section, const std::string& key) {
    Check(CurrentIniService().RemoveKey(File(), section, key));
}

void TIniFile::FlushFile() { CurrentIniService().Flush(FilePath); }

std::vector<std::string> TIniFile::SectionNameList() { return CurrentIniService().SectionNames(File()); }

std::vector<std::string> TIniFile::KeyNameList(const std::string& section) {
    return CurrentIniService().KeyNames(File(), section).Copies();
}

FileStamp TIniFile::ShownStamp() const { return CurrentIniService().CachedStamp(FilePath); }

FileStamp TIniFile::StampNow() const { return CurrentIniService().StampNow(FilePath); }

IniListing TIniFile::Sections() { return CurrentIniService().Sections(File()); }

IniListing TIniFile::Keys(SectionRef section) { return CurrentIniService().Keys(File(), section); }

std::vector<std::string> TIniFile::Comments(SectionRef section) { return CurrentIniService().Comments(File(), section); }

std::vector<std::string> TIniFile::Comments(KeyRef key) { return CurrentIniService().Comments(File(), key); }

void TIniFile::WriteValueAt(KeyRef key, const std::string& shownValue, const std::string& value) {
    Check(CurrentIniService().SetValueAt(File(), key, shownValue, value));
}

void TIniFile::RemoveKeyAt(KeyRef key, const std::string& shownValue) {
    Check(CurrentIniService().RemoveKeyAt(File(), key, shownValue));
}

void TIniFile::RemoveSectionAt(SectionRef section) { Check(CurrentIniService().RemoveSectionAt(File(), section)); }

void TIniFile::AddKey(SectionRef section, const std::string& key, const std::string& value) {
    Check(CurrentIniService().AddKey(File(), section, key, value));
}

void TIniFile::RenameKey(KeyRef key, const std::string& name) { Check(CurrentIniService().RenameKey(File(), key, name)); }

void TIniFile::RenameSection(SectionRef section, const std::string& name) {
    Check(CurrentIniService().RenameSection(File(), section, name));
}

void TIniFile::Revert(const EditRecord& change) { Check(CurrentIniService().Revert(File(), change)); }

void TIniFile::Reapply(const EditRecord& change) { Check(CurrentIniService().Reapply(File(), change)); }

#include "inifile/ini_file.h"

#include "inifile/write_failure_reason.h"
#include "platform/code_page.h"
#include "platform/code_page_conversion.h"
#include "platform/profile/profile_service.h"
#include "text/string_list.h"

namespace {

int defaultCodePage = 0;  // 0: not set by the program

}  // namespace

TIniFile::TIniFile(std::string path) : TIniFile(std::move(path), DefaultCodePage()) {}

TIniFile::TIniFile(std::string path, int codePage) : TCustomIniFile(std::move(path)), codePage_(codePage) {}

TIniFile::~TIniFile() { FlushFile(); }

void TIniFile::SetDefaultCodePage(int codePage) { defaultCodePage = codePage; }

int TIniFile::DefaultCodePage() { return defaultCodePage != 0 ? defaultCodePage : AnsiCodePage(); }

ProfileFile TIniFile::File() const { return ProfileFile{FilePath, codePage_}; }

EIniFileException WriteFailure(const std::string& path, ProfileFailure reason, int systemError) {
    std::string message = FormatMessage("Unable to write to %s", path);
    if (!message.ends_with('.')) message += '.';
    const std::string because = WriteFailureReason(reason, systemError, LocaleIdOfName(MessagesLocaleName()));
    return EIniFileException(message + " " + Ansi(because), reason);
}

void TIniFile::Check(ProfileResult result) {
    if (!result.Succeeded()) throw WriteFailure(FilePath, result.failure, result.systemError);
    lastChange_ = std::move(result.change);
}

std::string TIniFile::ReadValue(const std::string& section, const std::string& key, const std::string& defaultValue) {
    return CurrentProfileService().Value(File(), section, key).value_or(defaultValue);
}

void TIniFile::WriteValue(const std::string& section, const std::string& key, const std::string& value) {
    Check(CurrentProfileService().SetValue(File(), section, key, value));
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

void TIniFile::RemoveSection(const std::string& section) { Check(CurrentProfileService().RemoveSection(File(), section)); }

// A key that is not there is no failure; a file we could not change is, or the caller would
// show a deletion that never happened.
void TIniFile::RemoveKey(const std::string& section, const std::string& key) {
    Check(CurrentProfileService().RemoveKey(File(), section, key));
}

void TIniFile::FlushFile() { CurrentProfileService().Flush(FilePath); }

std::vector<std::string> TIniFile::SectionNameList() { return CurrentProfileService().SectionNames(File()); }

std::vector<std::string> TIniFile::KeyNameList(const std::string& section) {
    return CurrentProfileService().KeyNames(File(), section).Copies();
}

FileStamp TIniFile::ShownStamp() const { return CurrentProfileService().CachedStamp(FilePath); }

FileStamp TIniFile::StampNow() const { return CurrentProfileService().StampNow(FilePath); }

ProfileList TIniFile::Sections() { return CurrentProfileService().Sections(File()); }

ProfileList TIniFile::Keys(SectionRef section) { return CurrentProfileService().Keys(File(), section); }

std::vector<std::string> TIniFile::Comments(SectionRef section) { return CurrentProfileService().Comments(File(), section); }

std::vector<std::string> TIniFile::Comments(KeyRef key) { return CurrentProfileService().Comments(File(), key); }

void TIniFile::WriteValueAt(KeyRef key, const std::string& shownValue, const std::string& value) {
    Check(CurrentProfileService().SetValueAt(File(), key, shownValue, value));
}

void TIniFile::RemoveKeyAt(KeyRef key, const std::string& shownValue) {
    Check(CurrentProfileService().RemoveKeyAt(File(), key, shownValue));
}

void TIniFile::RemoveSectionAt(SectionRef section) { Check(CurrentProfileService().RemoveSectionAt(File(), section)); }

void TIniFile::AddKey(SectionRef section, const std::string& key, const std::string& value) {
    Check(CurrentProfileService().AddKey(File(), section, key, value));
}

void TIniFile::RenameKey(KeyRef key, const std::string& name) { Check(CurrentProfileService().RenameKey(File(), key, name)); }

void TIniFile::RenameSection(SectionRef section, const std::string& name) {
    Check(CurrentProfileService().RenameSection(File(), section, name));
}

void TIniFile::Revert(const EditRecord& change) { Check(CurrentProfileService().Revert(File(), change)); }

void TIniFile::Reapply(const EditRecord& change) { Check(CurrentProfileService().Reapply(File(), change)); }

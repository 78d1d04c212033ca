#include "inifile/ini_file.h"

#include <cstring>
#include <vector>

#include "platform/profile/profile_service.h"
#include "text/string_list.h"

namespace {

constexpr std::size_t ValueBufferSize = 2048;
constexpr std::size_t ListBufferSize = 16384;

// Holds a list's update bracket open until it goes, also when an error passes through.
class Batch {
public:
    explicit Batch(TStrings& list) : list_(list) { list_.BeginBatch(); }
    ~Batch() { list_.EndBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    TStrings& list_;
};

}  // namespace

TIniFile::~TIniFile() { FlushFile(); }

std::string TIniFile::ReadValue(const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
    ProfileService& service = CurrentProfileService();
    char frame[ValueBufferSize];
    std::size_t needed = 0;
    std::size_t count = service.Read(section.c_str(), key.c_str(), defaultValue.c_str(), frame,
                                     sizeof frame, FilePath.c_str(), &needed);
    if (needed <= sizeof frame) return std::string(frame, count);
    // Too long for the frame: ask again with room for all of it (the file may grow meanwhile).
    std::string whole;
    while (needed > whole.size()) {
        whole.resize(needed);
        count = service.Read(section.c_str(), key.c_str(), defaultValue.c_str(), whole.data(),
                             whole.size(), FilePath.c_str(), &needed);
    }
    whole.resize(count);
    return whole;
}

void TIniFile::WriteValue(const std::string& section, const std::string& key, const std::string& value) {
    if (!CurrentProfileService().Write(section.c_str(), key.c_str(), value.c_str(), FilePath.c_str()))
        RaiseWriteError();
}

void TIniFile::ReadKeyNames(const std::string& section, TStrings& list) {
    ReadNameList(section.c_str(), list);
}

void TIniFile::ReadSectionNames(TStrings& list) { ReadNameList(nullptr, list); }

// The service lists names one after another, each ending in a zero, and a zero after the last.
void TIniFile::ReadNameList(const char* section, TStrings& list) {
    ProfileService& service = CurrentProfileService();
    std::vector<char> buffer(ListBufferSize);
    Batch batch(list);
    list.RemoveAll();
    std::size_t needed = 0;
    std::size_t count = service.Read(section, nullptr, nullptr, buffer.data(), buffer.size(),
                                     FilePath.c_str(), &needed);
    while (needed > buffer.size()) {
        buffer.resize(needed);
        count = service.Read(section, nullptr, nullptr, buffer.data(), buffer.size(),
                             FilePath.c_str(), &needed);
    }
    if (count == 0) return;
    const char* const end = buffer.data() + buffer.size();
    for (const char* name = buffer.data(); name < end && *name;) {
        const std::size_t length = strnlen(name, static_cast<std::size_t>(end - name));
        list.AppendLine(std::string(name, length));
        name += length + 1;
    }
}

void TIniFile::ReadKeyValuePairs(const std::string& section, TStrings& list) {
    TStringList names;
    ReadKeyNames(section, names);
    Batch batch(list);
    list.RemoveAll();
    for (int i = 0; i < names.LineCount(); ++i) {
        const std::string name = names.LineAt(i);
        list.AppendLine(name + "=" + ReadValue(section, name, ""));
    }
}

void TIniFile::RemoveSection(const std::string& section) {
    if (!CurrentProfileService().Write(section.c_str(), nullptr, nullptr, FilePath.c_str()))
        RaiseWriteError();
}

void TIniFile::RemoveKey(const std::string& section, const std::string& key) {
    // A key that is not there is no failure; a file we could not change is, or the caller
    // would show a deletion that never happened.
    if (!CurrentProfileService().Write(section.c_str(), key.c_str(), nullptr, FilePath.c_str()))
        RaiseWriteError();
}

void TIniFile::FlushFile() {
    CurrentProfileService().Write(nullptr, nullptr, nullptr, FilePath.c_str());
}

void TIniFile::RaiseWriteError() const {
    throw EIniFileException(FormatMessage("Unable to write to %s", FilePath));
}

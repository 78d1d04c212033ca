#pragma once
// An INI text held in memory and read only: how the windows read a file whose bytes the
// INI engine cannot take as they are (UTF-16), once converted to a code page it
// can. Every write is refused with EIniFileException: nothing reaches the file.
#include <string>

#include "inifile/custom_ini_file.h"
#include "engine/ini_document.h"

class TIniText : public TCustomIniFile {
public:
    // path names the file in the errors; text is its content in codePage.
    TIniText(std::string path, std::string text, int codePage);

    std::string ReadValue(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    void WriteValue(const std::string& section, const std::string& key, const std::string& value) override;
    void ReadKeyNames(const std::string& section, TStrings& list) override;
    void ReadSectionNames(TStrings& list) override;
    void ReadKeyValuePairs(const std::string& section, TStrings& list) override;
    void RemoveSection(const std::string& section) override;
    void RemoveKey(const std::string& section, const std::string& key) override;
    void FlushFile() override {}
    // As TIniFile's: each header, and each key line of one section occurrence.
    IniListing Sections() const { return document_.Sections(); }
    IniListing Keys(SectionRef section) const;

private:
    [[noreturn]] void RefuseWrite() const;

    IniDocument document_;
};

#pragma once
// An INI file through the profile-file service: each operation is one call to the service,
// which owns the format, the cache and the file. The object holds only the path.
#include <string>

#include "inifile/custom_ini_file.h"
#include "platform/exception.h"

// "Unable to write to %s", with the path as it was given.
DECLARE_ERROR_CLASS(EIniFileException, Exception);

class TIniFile : public TCustomIniFile {
public:
    using TCustomIniFile::TCustomIniFile;
    // Flushes the file.
    ~TIniFile() override;

    // The whole value, however long.
    std::string ReadValue(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    // Raises EIniFileException when the service could not write.
    void WriteValue(const std::string& section, const std::string& key,
                    const std::string& value) override;
    // The lists come whole, however long; a missing file or section gives an empty list.
    void ReadKeyNames(const std::string& section, TStrings& list) override;
    void ReadSectionNames(TStrings& list) override;
    void ReadKeyValuePairs(const std::string& section, TStrings& list) override;
    // These two raise EIniFileException when the service could not write.
    void RemoveSection(const std::string& section) override;
    void RemoveKey(const std::string& section, const std::string& key) override;
    // Reports nothing, whatever the service answers.
    void FlushFile() override;

private:
    void ReadNameList(const char* section, TStrings& list);
    [[noreturn]] void RaiseWriteError() const;
};

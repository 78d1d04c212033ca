#pragma once
// An INI file read and written key by key. The typed operations store their values as text
// through ReadValue and WriteValue, in the formats of inifile/value_text.h.
#include <cstdint>
#include <string>

#include "inifile/value_text.h"

class TStrings;
class TStream;
class TMemoryStream;

class TCustomIniFile {
public:
    // Stores the path as given: no check, no normalisation, no I/O.
    explicit TCustomIniFile(std::string path) : FilePath(std::move(path)) {}
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;
    virtual ~TCustomIniFile() = default;

    const std::string FilePath;

    virtual std::string ReadValue(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) = 0;
    virtual void WriteValue(const std::string& section, const std::string& key,
                            const std::string& value) = 0;

    virtual std::int32_t ReadIntValue(const std::string& section, const std::string& key,
                                      std::int32_t defaultValue);
    virtual void WriteIntValue(const std::string& section, const std::string& key, std::int32_t value);
    virtual bool ReadFlagValue(const std::string& section, const std::string& key, bool defaultValue);
    virtual void WriteFlagValue(const std::string& section, const std::string& key, bool value);
    // Decodes the value's hexadecimal pairs into the stream at its position; the bytes decoded.
    virtual std::int32_t ReadBytesValue(const std::string& section, const std::string& key,
                                        TMemoryStream& stream);
    virtual TDateTime ReadDateValue(const std::string& section, const std::string& key,
                                    TDateTime defaultValue);
    virtual TDateTime ReadMomentValue(const std::string& section, const std::string& key,
                                      TDateTime defaultValue);
    virtual double ReadRealValue(const std::string& section, const std::string& key,
                                 double defaultValue);
    virtual TDateTime ReadClockValue(const std::string& section, const std::string& key,
                                     TDateTime defaultValue);
    // Writes the stream's bytes from its position to its end.
    virtual void WriteBytesValue(const std::string& section, const std::string& key, TStream& stream);
    virtual void WriteDateValue(const std::string& section, const std::string& key, TDateTime value);
    virtual void WriteMomentValue(const std::string& section, const std::string& key, TDateTime value);
    virtual void WriteRealValue(const std::string& section, const std::string& key, double value);
    virtual void WriteClockValue(const std::string& section, const std::string& key, TDateTime value);

    virtual void ReadKeyNames(const std::string& section, TStrings& list) = 0;
    virtual void ReadSectionNames(TStrings& list) = 0;
    virtual void ReadKeyValuePairs(const std::string& section, TStrings& list) = 0;
    virtual void RemoveSection(const std::string& section) = 0;
    virtual void RemoveKey(const std::string& section, const std::string& key) = 0;
    virtual void FlushFile() = 0;
};

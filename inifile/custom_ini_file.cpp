#include "inifile/custom_ini_file.h"

#include "inifile/memory_stream.h"

namespace {

// An empty text gives the default, and so does one that does not convert.
template <typename Value, typename Parse>
Value ReadConverted(TCustomIniFile& file, const std::string& section, const std::string& key,
                    Value defaultValue, Parse parse) {
    const std::string text = file.ReadValue(section, key, "");
    if (text.empty()) return defaultValue;
    return parse(text).value_or(defaultValue);
}

}  // namespace

std::int32_t TCustomIniFile::ReadIntValue(const std::string& section, const std::string& key,
                                          std::int32_t defaultValue) {
    return ReadConverted(*this, section, key, defaultValue, ParseIntText);
}

void TCustomIniFile::WriteIntValue(const std::string& section, const std::string& key, std::int32_t value) {
    WriteValue(section, key, std::to_string(value));
}

bool TCustomIniFile::ReadFlagValue(const std::string& section, const std::string& key, bool defaultValue) {
    return ReadIntValue(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteFlagValue(const std::string& section, const std::string& key, bool value) {
    WriteValue(section, key, value ? "1" : "0");
}

std::int32_t TCustomIniFile::ReadBytesValue(const std::string& section, const std::string& key,
                                            TMemoryStream& stream) {
    const std::string text = ReadValue(section, key, "");
    if (text.empty()) return 0;
    const std::string bytes = HexToBytes(text);
    return stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

TDateTime TCustomIniFile::ReadDateValue(const std::string& section, const std::string& key,
                                        TDateTime defaultValue) {
    return ReadConverted(*this, section, key, defaultValue, ParseDateText);
}

TDateTime TCustomIniFile::ReadMomentValue(const std::string& section, const std::string& key,
                                          TDateTime defaultValue) {
    return ReadConverted(*this, section, key, defaultValue, ParseMomentText);
}

double TCustomIniFile::ReadRealValue(const std::string& section, const std::string& key,
                                     double defaultValue) {
    return ReadConverted(*this, section, key, defaultValue, ParseRealText);
}

TDateTime TCustomIniFile::ReadClockValue(const std::string& section, const std::string& key,
                                         TDateTime defaultValue) {
    return ReadConverted(*this, section, key, defaultValue, ParseClockText);
}

void TCustomIniFile::WriteBytesValue(const std::string& section, const std::string& key, TStream& stream) {
    std::string bytes;
    char chunk[4096];
    while (const std::int32_t n = stream.Read(chunk, sizeof chunk))
        bytes.append(chunk, static_cast<std::size_t>(n));
    WriteValue(section, key, BytesToHex(bytes));
}

void TCustomIniFile::WriteDateValue(const std::string& section, const std::string& key, TDateTime value) {
    WriteValue(section, key, DateText(value));
}

void TCustomIniFile::WriteMomentValue(const std::string& section, const std::string& key, TDateTime value) {
    WriteValue(section, key, MomentText(value));
}

void TCustomIniFile::WriteRealValue(const std::string& section, const std::string& key, double value) {
    WriteValue(section, key, RealText(value));
}

void TCustomIniFile::WriteClockValue(const std::string& section, const std::string& key, TDateTime value) {
    WriteValue(section, key, ClockText(value));
}

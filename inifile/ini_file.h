#pragma once
// An INI file through the INI engine: each operation is one call to the service,
// which owns the format, the cache and the file. The object holds the path, the code page of
// the file's bytes, and what its last write changed.
#include <string>
#include <vector>

#include "encoding/code_page.h"
#include "inifile/custom_ini_file.h"
#include "platform/exception.h"
#include "engine/edit_record.h"
#include "engine/file_stamp.h"
#include "engine/ini_address.h"
#include "engine/ini_failure.h"
#include "engine/ini_listing.h"

struct IniFileRef;
struct IniResult;

// "Unable to write to <path>. <reason>", with the path as it was given; the reason also as a value.
class EIniFileException : public Exception {
public:
    EIniFileException(std::string message, IniFailure reason) : Exception(std::move(message)), reason_(reason) {}
    const char* ClassName() const override { return "EIniFileException"; }
    IniFailure Reason() const { return reason_; }

private:
    IniFailure reason_;
};

class TIniFile : public TCustomIniFile {
public:
    // The file's bytes in the process-wide default code page.
    explicit TIniFile(std::string path);
    TIniFile(std::string path, TCodePage codePage);
    // Flushes the file.
    ~TIniFile() override;

    TCodePage CodePage() const { return codePage_; }

    // The whole value, however long.
    std::string ReadValue(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    // Raises EIniFileException when the service could not write, a NUL byte in a name or value
    // included: nothing is cut short.
    void WriteValue(const std::string& section, const std::string& key,
                    const std::string& value) override;
    // The lists come whole, however long, empty names included; a missing file or section gives
    // an empty list.
    void ReadKeyNames(const std::string& section, TStrings& list) override;
    void ReadSectionNames(TStrings& list) override;
    void ReadKeyValuePairs(const std::string& section, TStrings& list) override;
    // These two raise EIniFileException when the service could not write.
    void RemoveSection(const std::string& section) override;
    void RemoveKey(const std::string& section, const std::string& key) override;
    // Reports nothing, whatever the service answers.
    void FlushFile() override;

    // Every name in file order, duplicates and empty names included.
    std::vector<std::string> SectionNameList();
    std::vector<std::string> KeyNameList(const std::string& section);
    // What the windows show: each header, and each key line of one section occurrence, with
    // occurrence numbers (engine/ini_listing.h); the comments right above one.
    IniListing Sections();
    IniListing Keys(SectionRef section);
    std::vector<std::string> Comments(SectionRef section);
    std::vector<std::string> Comments(KeyRef key);

    // Edits of one occurrence (engine/ini_service.h). Each raises
    // EIniFileException when refused or failed; Reason() is Stale when the target no longer
    // reads as shown, so that the window can refresh.
    void WriteValueAt(KeyRef key, const std::string& shownValue, const std::string& value);
    void RemoveKeyAt(KeyRef key, const std::string& shownValue);
    void RemoveSectionAt(SectionRef section);
    void AddKey(SectionRef section, const std::string& key, const std::string& value);
    void RenameKey(KeyRef key, const std::string& name);
    void RenameSection(SectionRef section, const std::string& name);
    // Undoes, or does again, what a write through any object changed.
    void Revert(const EditRecord& change);
    void Reapply(const EditRecord& change);

    // Which state of the file the lists read last, or the last write left, show; and the
    // file's state now. Nothing exists for a missing file or one never read.
    FileStamp ShownStamp() const;
    FileStamp StampNow() const;

    // What the last successful write through this object changed; empty when it changed nothing.
    const EditRecord& LastChange() const { return lastChange_; }

private:
    IniFileRef File() const;
    void Check(IniResult result);

    TCodePage codePage_;
    EditRecord lastChange_;
};

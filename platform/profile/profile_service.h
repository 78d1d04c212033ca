#pragma once
// The profile-file service: reads and writes INI files key by key. Text is bytes in the ANSI
// code page, passed as NUL-terminated strings; a null pointer and an empty string differ.
#include <cstddef>

class FileOps;

// Reads from the profile file at path (a path without a folder is taken from the current one):
//   section and key given: the key's value, or defaultValue (null counts as empty) when the
//     file, the section or the key is missing;
//   key null: the section's key names, each followed by a zero byte, and one more zero after
//     the last (a missing section has none);
//   section null: the file's section names, listed the same way.
// Copies the answer into buffer, cut to fit its size, always terminated (a cut list still ends
// in two zeros). Returns the bytes copied, not counting the last zero. When needed is given it
// receives the buffer size that holds the whole answer, so the caller can ask again.
std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue,
                        char* buffer, std::size_t size, const char* path,
                        std::size_t* needed = nullptr);

// Writes to the profile file at path, creating the file and the section as needed:
//   section, key and value: sets the key's value;
//   value null: removes the key;
//   key and value null: removes the section, its header through its last key;
//   all three null: drops cached content that no longer matches the file (writes happen at
//     once; there is nothing else to flush).
// False when the write failed: a name or value the file cannot hold as it is, a file we may
// not write, or a failed save. A write that changes nothing succeeds without touching the file.
bool ProfileWrite(const char* section, const char* key, const char* value, const char* path);

// The file-system calls behind saves; tests stand in their own. Null: the real ones again.
void UseProfileFileOps(FileOps* ops);

// The two calls as an object, so that tests can stand in a fake service for the real one.
class ProfileService {
public:
    virtual ~ProfileService() = default;
    virtual std::size_t Read(const char* section, const char* key, const char* defaultValue,
                             char* buffer, std::size_t size, const char* path,
                             std::size_t* needed) = 0;
    virtual bool Write(const char* section, const char* key, const char* value,
                       const char* path) = 0;
};

// The service that INI file objects call: the real one unless a test stood in its own.
ProfileService& CurrentProfileService();
// Null: the real one again.
void UseProfileService(ProfileService* service);

#pragma once
// A folder's entries by the bytes of their names, for the file chooser. Names are never
// decoded here, so that every entry can be listed and opened whatever its bytes are.
#include <string>
#include <vector>

struct TFolderEntry {
    std::string name;
    bool isFolder = false;  // a folder, or a link to one
};

// The entries of folder other than "." and ".."; hidden ones (a leading ".") only withHidden.
// Empty when the folder cannot be read.
std::vector<TFolderEntry> ListFolder(const std::string& folder, bool withHidden);
// Whether name matches pattern, in which "*" stands for any run of bytes and "?" for one
// byte; with anyCase, ASCII letters match in either case.
bool MatchesPattern(const std::string& name, const std::string& pattern, bool anyCase);
// Whether name matches one of patterns, ASCII letters in either case.
bool MatchesAnyPattern(const std::string& name, const std::vector<std::string>& patterns);
// folder and name joined by one "/".
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder that holds path ("/" for "/" itself), without a trailing "/".
std::string ParentFolder(const std::string& path);
bool IsFolder(const std::string& path);

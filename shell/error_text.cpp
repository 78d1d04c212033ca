#include "shell/error_text.h"

#include <cstdio>

#include "encoding/code_page.h"

namespace {

// The last character of a text in the code page, as its bytes.
std::string LastCharacter(const std::string& text) {
    const TCodePage codePage = AnsiCodePage();
    size_t start = 0, last = 0;
    while (start < text.size()) {
        last = start;
        start += CharacterLength(text, start, codePage);
    }
    return text.substr(last);
}

}  // namespace

std::string MessageWithFullStop(const std::string& message) {
    if (message.empty()) return message;
    // Byte-wise comparison, a shorter string that is a prefix sorting first.
    return LastCharacter(message).compare(".") > 0 ? message + "." : message;
}

std::string FormatFatalErrorText(const char* className, const std::string* message, const std::string& moduleName,
                                 unsigned long address, size_t bufferSize) {
    std::string text = message ? *message : std::string();
    std::string ending = !text.empty() && text.back() != '.' ? "." : "";
    char addressText[16];
    std::snprintf(addressText, sizeof addressText, "%08lX", address & 0xFFFFFFFFul);
    std::string result = "Exception " + std::string(className) + " in module " + moduleName.substr(0, 260) + " at " +
                         addressText + ".\r\n" + text + ending + "\r\n";
    if (result.size() >= bufferSize) result.resize(bufferSize - 1);
    return result;
}

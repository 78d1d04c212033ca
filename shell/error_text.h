#pragma once
// The texts of the error displays.
#include <string>

// An error message as the error box shows it: a full stop is appended unless the last
// character (a double-byte character counting as one) sorts at or below ".".
std::string MessageWithFullStop(const std::string& message);

// The fall-back display's text: the error class, the module and the address on the first
// line, the message with its full stop (a byte test) on the second; cut at bufferSize - 1.
std::string FormatFatalErrorText(const char* className, const std::string* message, const std::string& moduleName,
                                 unsigned long address, size_t bufferSize = 1024);

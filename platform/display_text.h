#pragma once
// The display boundary: byte strings in a code page shown as Unicode, and text the user typed
// taken back into a code page. The program's own texts and paths are in the locale's code page
// (AnsiCodePage); a file's content is in the file's.
#include <optional>
#include <string>
#include <string_view>

#include "encoding/code_page.h"

class QString;

// Bytes the code page does not define show as U+FFFD.
QString ToDisplay(std::string_view bytes, TCodePage codePage);
// Nullopt when the text holds a character that the code page cannot hold.
std::optional<std::string> FromDisplay(const QString& text, TCodePage codePage);
// How many bytes text takes in the code page (characters it cannot hold count as one).
int ByteLengthIn(const QString& text, TCodePage codePage);

// The same two in the locale's code page.
QString ToDisplay(const std::string& bytes);
std::optional<std::string> FromDisplay(const QString& text);

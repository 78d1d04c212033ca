#pragma once
// The display boundary: byte strings in the ANSI code page shown as Unicode, and text the
// user typed taken back into the code page.
#include <optional>
#include <string>

class QString;

QString ToDisplay(const std::string& ansi);
// Nullopt when the text holds a character that the code page cannot represent.
std::optional<std::string> FromDisplay(const QString& text);
// How many bytes text takes in the code page (characters it cannot hold count as one).
int AnsiByteLength(const QString& text);

#pragma once
// The input box: a title, a prompt and a one-line edit with OK and Cancel, shown modally.
#include <string>

// Shows value in the edit. True, with value replaced by the edit's text, only when the user
// accepted; otherwise false with value untouched.
bool AskTextQuery(const std::string& title, const std::string& prompt, std::string& value);
// The text the user accepted, or defaultValue when the box was cancelled.
std::string AskText(const std::string& title, const std::string& prompt, const std::string& defaultValue);

// Bytes of the ANSI code page that typing and pasting may fill.
constexpr int InputBoxMaxLength = 255;

#pragma once
// The input box: a title, a prompt and a one-line edit with OK and Cancel, shown modally.
#include <string>

#include "encoding/code_page.h"

// Shows value, bytes in valueCodePage, in the edit; what the user types is taken into that
// code page. True, with value replaced by the edit's text, only when the user accepted;
// otherwise false with value untouched. The title and prompt are in the locale's code page.
bool AskTextQuery(const std::string& title, const std::string& prompt, std::string& value,
                  TCodePage valueCodePage = AnsiCodePage());
// The text the user accepted, or defaultValue when the box was cancelled.
std::string AskText(const std::string& title, const std::string& prompt, const std::string& defaultValue,
                    TCodePage valueCodePage = AnsiCodePage());

// Bytes of the value's code page that typing and pasting may fill.
constexpr int InputBoxMaxLength = 255;

#pragma once
// The desktop clipboard, for plain text.
#include <string>

#include "encoding/code_page.h"

// Puts text (bytes in codePage) on the clipboard, converted for the desktop.
// Raises Exception "Cannot open clipboard" when there is no clipboard to open.
void PutClipboardText(const std::string& text, TCodePage codePage);

// Test seam: while blocked, the clipboard cannot be opened.
void BlockClipboardForTesting(bool blocked);

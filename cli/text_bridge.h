#pragma once
// Names and values between the terminal's encoding (the locale's code page), in which the
// command line, the batch lines and the output are, and the encoding of a file's text. With
// the same code page on both sides, bytes pass as they are.
#include <string>
#include <string_view>

#include "encoding/code_page.h"

struct Converted {
    std::string text;
    std::string refusal;  // why the text cannot be converted exactly; empty when it was
};

// Why a word typed in the terminal's code page is refused before anything is done: it is not
// valid text of that code page, and converted or not it would put bytes of no encoding in the
// file. Empty when it is valid.
std::string InvalidTyped(std::string_view typed, TCodePage terminalCodePage);

class TextBridge {
public:
    TextBridge(TCodePage terminalCodePage, TCodePage fileCodePage) : terminal_(terminalCodePage), file_(fileCodePage) {}

    // What the user typed, in the file's code page. Refused when it is not valid text of the
    // terminal, or holds a character that the file's code page cannot hold: nothing is ever
    // stored in its place.
    Converted ToFile(std::string_view typed) const;
    // A name or value of the file, for the terminal. Refused when it holds bytes that are not
    // valid in the file's code page, or characters the terminal's cannot show.
    Converted ToTerminal(std::string_view stored) const;
    // For a person to read: bytes not valid in the file's code page, and characters the
    // terminal cannot show, become U+FFFD, or "?" where the terminal cannot show that either.
    std::string Shown(std::string_view stored) const;

private:
    TCodePage terminal_;
    TCodePage file_;
};

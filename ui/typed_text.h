#pragma once
// What the user types, pastes or commits through an input method into a text field is taken
// into the field's code page as it arrives: a character that the code page cannot hold, or one
// that would cross the field's byte limit, is refused there.
#include <QString>

#include <optional>
#include <string>

#include "encoding/code_page.h"

struct TypedText {
    QString text;        // the field's text with the refused characters left out
    qsizetype cursor;    // where the cursor goes: after the last character taken
    bool refused;        // something was left out
    QString notHeld;     // the first character left out because the code page cannot hold it
    int bytes;           // the text's length in bytes of the code page; counted only under a limit
};

// Compares the field's text before and after the user's edit and keeps, of the characters
// inserted, those that codePage holds while their bytes fit into maxBytes together with the
// rest of the text (0: no limit); over the limit, nothing after it is taken either. Only the
// characters inserted and removed are converted when the caller gives before's length in bytes
// (beforeBytes; -1: counted here).
TypedText FilterTypedText(const QString& before, const QString& after, int maxBytes, TCodePage codePage,
                          int beforeBytes = -1);

// The bytes of edited, a text that showed original's bytes before the user changed it:
// original itself while edited still reads the same. Nullopt when codePage cannot hold it, or
// when it keeps a replacement mark that stands for bytes of original the code page does not
// define: those bytes cannot be stored back from what is shown.
std::optional<std::string> EditedBytes(const QString& edited, const std::string& original, TCodePage codePage);

class QWidget;
// Says, in a tooltip at the field, which character was refused and which encoding cannot hold
// it: a refusal the user only heard as a beep would look like a lost keystroke.
void TellNotHeld(QWidget& field, const QString& character, TCodePage codePage);

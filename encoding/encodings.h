#pragma once
// The encodings the program reads and writes files in, each with the names it goes by.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "encoding/code_page.h"

struct TEncoding {
    TCodePage codePage;
    const char* charset;      // iconv's name for it
    const char* displayName;  // what a status line and the encoding chooser show
    bool choosable;           // offered in the chooser; the others are only ever detected
};

// Every encoding, choosable ones first in the order the chooser lists them.
std::span<const TEncoding> Encodings();
// The entry of a code page; nullptr for one the program does not know.
const TEncoding* FindEncoding(TCodePage codePage);
// The code page of the encoding a user names, as the chooser or the converter names it, letter
// case, "-", "_" and blanks aside ("gbk", "UTF8", "shift_jis", "windows-1252"), or by its
// number, bare or as "CP<n>" ("936", "cp936"); only encodings of the table. Nothing otherwise.
std::optional<TCodePage> FindEncodingByName(std::string_view name);
// The name shown for a file read in codePage whose byte-order mark takes bomLength bytes:
// "GBK", "UTF-8", "UTF-8 (BOM)", "UTF-16LE". "CP<n>" for a code page the table lacks.
std::string EncodingDisplayName(TCodePage codePage, int bomLength);

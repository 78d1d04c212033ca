#pragma once
// Which encoding a file's bytes are in, decided once per load.
#include <string_view>

#include "encoding/code_page.h"

// How a file's encoding was decided, from the surest evidence to none.
enum class TEncodingBasis {
    ByteOrderMark,        // the file starts with the mark of UTF-8, UTF-16LE or UTF-16BE
    ValidUtf8,            // valid UTF-8 with at least one character beyond ASCII
    PureAscii,            // nothing to decide: the locale's code page
    LibraryGuess,         // the detection library's guess, where the bytes fit that code page
    LocalePreference,     // the bytes fit the double-byte code page the locale leans to
    DoubleByteStructure,  // the first double-byte code page the bytes fit (936, 950, 932, 949)
    DespiteStrays,        // UTF-8, or the double-byte code page leant to, but for a few stray bytes
    Fallback,             // nothing fits: the locale's single-byte code page, else 1252
    UserChoice,           // the user chose it, now or at an earlier load
};

struct TFileEncoding {
    TCodePage codePage = TCodePage::None;
    int bomLength = 0;  // bytes of the byte-order mark at the start of the file, 0 when none
    TEncodingBasis basis = TEncodingBasis::PureAscii;

    // The same verdict: the same code page and byte-order mark, however reached.
    bool SameAs(const TFileEncoding& other) const {
        return codePage == other.codePage && bomLength == other.bomLength;
    }
};

// What the user's locale says about files that give no evidence of their own.
struct TEncodingHints {
    TCodePage localeCodePage = TCodePage::None;  // taken for pure ASCII files
    // The code page a file most likely uses: the locale's own when it is a double-byte or a
    // Windows single-byte one, else that of its language (936 for zh_CN.UTF-8, 950 for
    // zh_TW.UTF-8, 1252 for en_US.UTF-8); None for the C and POSIX locales.
    TCodePage preferredCodePage = TCodePage::None;
};
TEncodingHints EncodingHintsOfLocale(std::string_view localeName);
// The hints of the user's locale (LC_ALL, LC_CTYPE, LANG), read anew on each call.
TEncodingHints UserEncodingHints();

// The encoding of a file's bytes. In order: a byte-order mark; pure ASCII (the locale's code
// page); valid UTF-8 holding non-ASCII bytes, or UTF-8 but for a few stray bytes. Else, among
// the double-byte code pages the bytes fit (every non-ASCII byte part of a defined, not
// private-use, character): the one the detection library names, else the one the locale
// prefers, else the first of them (GBK first, as GB18030 when the bytes hold its four-byte
// characters), a step that a locale with a Windows single-byte code page skips. Then the
// double-byte code page the locale or the library leans to, when the bytes fit it but for a
// few stray ones. Only then the library's single-byte guess, else the Fallback. Looks at the
// lines that hold non-ASCII bytes, up to about 1 MiB of them.
TFileEncoding DetectEncoding(std::string_view bytes, const TEncodingHints& hints);

// Whether bytes read in codePage, but for a few stray bytes: what the detector asks of its own
// verdicts, to ask of a code page the user chose.
bool ReadsInCodePage(std::string_view bytes, TCodePage codePage);

// The length of codePage's byte-order mark when bytes start with it, else 0.
int ByteOrderMarkLength(std::string_view bytes, TCodePage codePage);
// The encoding to read bytes with when the user chose codePage: its byte-order mark, if the
// bytes start with one, is skipped.
TFileEncoding ChosenEncoding(std::string_view bytes, TCodePage codePage);

#include "cli/text_bridge.h"

#include <cstdio>
#include <optional>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encodings.h"

namespace {

std::string NameOf(TCodePage codePage) { return EncodingDisplayName(codePage, 0); }

// The text in UTF-8; nothing when it is not valid text of the code page.
std::optional<std::string> AsUtf8(std::string_view text, TCodePage codePage) {
    if (!IsValidInCodePage(text, codePage)) return std::nullopt;
    return codePage == TCodePage::Utf8 ? std::string(text) : CodePageToUtf8(text, codePage);
}

std::optional<std::string> FromUtf8(std::string_view utf8, TCodePage codePage) {
    return codePage == TCodePage::Utf8 ? std::optional<std::string>(std::string(utf8)) : Utf8ToCodePage(utf8, codePage);
}

// Each character of valid UTF-8 in the code page, or "?" where it has none.
std::string EachCharacterOrMark(std::string_view utf8, TCodePage codePage) {
    std::string shown;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        shown += FromUtf8(utf8.substr(at, length), codePage).value_or("?");
        at += length;
    }
    return shown;
}

// The first character of valid UTF-8 that the code page cannot hold, by its number, and as the
// terminal shows it when it can: "한" (U+D55C).
std::string FirstUnheld(std::string_view utf8, TCodePage codePage, std::optional<TCodePage> terminal) {
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        const std::string_view character = utf8.substr(at, length);
        if (!FromUtf8(character, codePage)) {
            char32_t number = static_cast<unsigned char>(character[0]) & (length == 1 ? 0x7F : 0x3F >> (length - 1));
            for (std::size_t i = 1; i < length; ++i) number = number << 6 | (static_cast<unsigned char>(character[i]) & 0x3F);
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(number));
            if (!terminal) return code;
            return "\"" + FromUtf8(character, *terminal).value_or("?") + "\" (" + code + ")";
        }
        at += length;
    }
    return {};
}

}  // namespace

std::string InvalidTyped(std::string_view typed, TCodePage terminalCodePage) {
    if (IsValidInCodePage(typed, terminalCodePage)) return {};
    return "\"" + ShownInCodePage(typed, terminalCodePage, terminalCodePage) + "\" is not valid " + NameOf(terminalCodePage) +
           " text, the locale's encoding (--raw takes bytes as they are)";
}

Converted TextBridge::ToFile(std::string_view typed) const {
    if (terminal_ == file_) return {std::string(typed), {}};
    const std::optional<std::string> utf8 = AsUtf8(typed, terminal_);
    if (!utf8) return {{}, "It is not valid " + NameOf(terminal_) + " text, the terminal's encoding"};
    if (std::optional<std::string> text = FromUtf8(*utf8, file_)) return {std::move(*text), {}};
    return {{}, "The file's encoding " + NameOf(file_) + " cannot hold the character " + FirstUnheld(*utf8, file_, terminal_)};
}

Converted TextBridge::ToTerminal(std::string_view stored) const {
    if (terminal_ == file_) return {std::string(stored), {}};
    const std::optional<std::string> utf8 = AsUtf8(stored, file_);
    if (!utf8) return {{}, "it holds bytes that are not valid " + NameOf(file_) + ", the file's encoding"};
    if (std::optional<std::string> text = FromUtf8(*utf8, terminal_)) return {std::move(*text), {}};
    return {{}, "the terminal's encoding " + NameOf(terminal_) + " cannot show the character " + FirstUnheld(*utf8, terminal_, std::nullopt)};
}

std::string TextBridge::Shown(std::string_view stored) const {
    if (terminal_ == file_) return std::string(stored);
    const std::string utf8 = CodePageToUtf8(stored, file_);
    if (std::optional<std::string> text = FromUtf8(utf8, terminal_)) return std::move(*text);
    return EachCharacterOrMark(utf8, terminal_);
}

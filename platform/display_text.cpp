#include "platform/display_text.h"

#include <QString>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"

QString ToDisplay(std::string_view bytes, TCodePage codePage) {
    if (codePage == TCodePage::Utf8) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return QString::fromStdString(CodePageToUtf8(bytes, codePage));
}

std::optional<std::string> FromDisplay(const QString& text, TCodePage codePage) {
    return Utf8ToCodePage(text.toStdString(), codePage);
}

int ByteLengthIn(const QString& text, TCodePage codePage) {
    if (auto bytes = FromDisplay(text, codePage)) return int(bytes->size());
    int total = 0;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        auto piece = FromDisplay(text.mid(i, len), codePage);
        total += piece ? int(piece->size()) : 1;
        i += len;
    }
    return total;
}

QString ToDisplay(const std::string& bytes) { return ToDisplay(bytes, AnsiCodePage()); }

std::optional<std::string> FromDisplay(const QString& text) { return FromDisplay(text, AnsiCodePage()); }

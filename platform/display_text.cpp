#include "platform/display_text.h"

#include <QString>

#include "platform/code_page.h"
#include "platform/code_page_conversion.h"

QString ToDisplay(const std::string& ansi) {
    if (AnsiCodePage() == CodePageUtf8) return QString::fromUtf8(ansi.data(), qsizetype(ansi.size()));
    return QString::fromStdString(AnsiToUtf8(ansi));
}

std::optional<std::string> FromDisplay(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

int AnsiByteLength(const QString& text) {
    if (auto bytes = FromDisplay(text)) return int(bytes->size());
    int total = 0;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        auto piece = Utf8ToAnsi(text.mid(i, len).toStdString());
        total += piece ? int(piece->size()) : 1;
        i += len;
    }
    return total;
}

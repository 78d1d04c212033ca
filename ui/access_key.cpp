#include "ui/access_key.h"

#include <QAbstractButton>
#include <QString>

#include <cctype>

#include "ui/layout_reader.h"

char16_t MarkedAccessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toUpper().unicode();
    }
    return 0;
}

char16_t AccessKeyOf(const QString& caption, char16_t given) {
    if (char16_t marked = MarkedAccessKey(caption)) return marked;
    return QChar(given).toUpper().unicode();
}

QString CaptionWithAccessKey(const QString& caption, char16_t given) {
    QString text = caption;
    if (!given || MarkedAccessKey(caption)) return text;
    const QChar key = QChar(given).toUpper();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') ++i;  // "&&" shows one "&"
        else if (text[i].toUpper() == key) return text.insert(i, u'&');
    }
    return text + QStringLiteral("(&") + key + u')';
}

char16_t AccessKeyValue(const LayoutValue& value) {
    const std::string& name = value.AsName();
    const bool letterOrDigit = name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]));
    if (!letterOrDigit) throw ELayoutError("An access key is one letter or digit, not " + name);
    return char16_t(std::toupper(static_cast<unsigned char>(name[0])));
}

void ShowCaptionWithAccessKey(QAbstractButton& button, const QString& caption, char16_t given) {
    button.setText(CaptionWithAccessKey(caption, given));
    button.setAccessibleName(MarkedAccessKey(caption) ? QString() : caption);
    button.setShortcut(QKeySequence());
}

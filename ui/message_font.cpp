#include "ui/message_font.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>

#include "platform/display_text.h"

std::optional<TFont> DesktopMessageFont() {
    if (!qApp) return std::nullopt;
    QFont desktop = QApplication::font("QMessageBox");
    // The face actually used: an alias such as "Sans Serif" would lose to our fallback faces.
    QString family = QFontInfo(desktop).family();
    auto name = FromDisplay(family.isEmpty() ? desktop.family() : family);
    if (!name || name->empty()) return std::nullopt;
    TFont font;
    font.Name = *name;
    // Our heights are pixels at 96 pixels per inch.
    if (desktop.pixelSize() > 0) font.Height = -desktop.pixelSize();
    else if (desktop.pointSizeF() > 0) font.Height = -qRound(desktop.pointSizeF() * 96.0 / 72.0);
    else return std::nullopt;
    if (desktop.bold()) font.Style |= uint8_t(TFontStyle::Bold);
    if (desktop.italic()) font.Style |= uint8_t(TFontStyle::Italic);
    return font;
}

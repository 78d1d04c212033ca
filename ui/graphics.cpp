#include "ui/graphics.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QStringList>

#include <algorithm>
#include <map>

#include "platform/color_contrast.h"
#include "platform/display_text.h"

namespace {

QPalette::ColorRole RoleOfSystemColor(int index) {
    switch (index) {
        case 5: return QPalette::Base;
        case 8: return QPalette::Text;
        case 18: return QPalette::ButtonText;
        default: return QPalette::Window;  // 15, the face of dialogs and buttons
    }
}

// The first installed face leads the list, the rest keeping their order: asking first for a face
// that is not installed sends the toolkit through a sorted search of every font for each script
// before the first text shows, only to end on that same face.
QStringList InstalledFirst(QStringList families) {
    static std::map<QStringList, QStringList> ordered;
    auto [it, added] = ordered.try_emplace(families);
    if (added) {
        // The installed names themselves: asking whether a name is installed would first resolve
        // it as an alias through fontconfig's whole substitution, a search of its own per name.
        const QStringList installedNames = QFontDatabase::families();
        const auto installed = std::find_if(families.begin(), families.end(), [&](const QString& family) {
            return installedNames.contains(family, Qt::CaseInsensitive);
        });
        if (installed != families.end()) std::rotate(families.begin(), installed, installed + 1);
        it->second = families;
    }
    return it->second;
}

}  // namespace

QColor ReadableOn(const QColor& text, const QColor& ground) {
    // The ratio the guidelines ask of large text and of controls' parts.
    constexpr double kReadable = 3.0;
    if (ContrastRatio(text, ground) >= kReadable) return text;
    const QColor black(Qt::black), white(Qt::white);
    return ContrastRatio(black, ground) >= ContrastRatio(white, ground) ? black : white;
}

QColor ToolkitColor(TColor color) {
    if (color & clSystemColor) return QApplication::palette().color(RoleOfSystemColor(color & 0xFF));
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QFont ToolkitFont(const TFont& font) {
    QFont f = QApplication::font();
    QStringList families;
    families << (font.Name.empty() ? f.family() : ToDisplay(font.Name));
    // Faces that show the program's Chinese texts when the named one is not installed, the most
    // legible at 12 pixels first: the Ming faces draw 0 and O, l, I and 1 alike, and a comma
    // like a full stop.
    families << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("WenQuanYi Zen Hei")
             << QStringLiteral("AR PL UMing CN") << QStringLiteral("AR PL SungtiL GB");
    f.setFamilies(InstalledFirst(families));
    f.setPixelSize(font.Height < 0 ? -font.Height : (font.Height > 0 ? font.Height : 12));
    f.setBold(font.Style & uint8_t(TFontStyle::Bold));
    f.setItalic(font.Style & uint8_t(TFontStyle::Italic));
    f.setUnderline(font.Style & uint8_t(TFontStyle::Underline));
    f.setStrikeOut(font.Style & uint8_t(TFontStyle::StrikeOut));
    return f;
}

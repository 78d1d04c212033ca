#include "platform/dark_palette.h"

#include <QColor>
#include <QPalette>

QPalette DarkPalette() {
    const QColor window(0x2d, 0x2d, 0x30), base(0x1e, 0x1e, 0x20), text(0xe8, 0xe8, 0xe8);
    const QColor faint(0x92, 0x92, 0x96), highlight(0x2a, 0x64, 0xb0), link(0x7c, 0xb8, 0xff);
    QPalette palette;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, QColor(0x28, 0x28, 0x2b));
        palette.setColor(group, QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3e));
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, faint);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::BrightText, QColor(0xff, 0x6e, 0x6e));
        // Bevels and the tree's dotted lines: light enough to see against the grounds.
        palette.setColor(group, QPalette::Light, QColor(0x5c, 0x5c, 0x62));
        palette.setColor(group, QPalette::Midlight, QColor(0x46, 0x46, 0x4b));
        palette.setColor(group, QPalette::Mid, QColor(0x70, 0x70, 0x76));
        palette.setColor(group, QPalette::Dark, QColor(0x18, 0x18, 0x1a));
        palette.setColor(group, QPalette::Shadow, QColor(0x0c, 0x0c, 0x0d));
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
        palette.setColor(group, QPalette::Link, link);
        palette.setColor(group, QPalette::LinkVisited, QColor(0xc0, 0x9c, 0xff));
    }
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        palette.setColor(QPalette::Disabled, role, faint);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x44, 0x44, 0x48));
    return palette;
}

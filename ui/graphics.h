#pragma once
// Colours, fonts and cursors of windows and controls.
#include <cstdint>
#include <string>

class QColor;
class QFont;

// A colour: 0x00BBGGRR, or a system colour (high bit set, low byte = system colour index).
using TColor = int32_t;
constexpr TColor clSystemColor = int32_t(0x80000000u);
constexpr TColor clBtnFace = clSystemColor | 15, clWindowText = clSystemColor | 8,
                 clWindow = clSystemColor | 5, clBtnText = clSystemColor | 18;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBlue = 0xFF0000,
                 clMoneyGreen = 0xC0DCC0, clCream = 0xF0FBFF, clNone = 0x1FFFFFFF;

QColor ToolkitColor(TColor color);
// text where it can be read on ground; else black or white, whichever stands out more.
QColor ReadableOn(const QColor& text, const QColor& ground);

enum class TFontStyle : uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

struct TFont {
    std::string Name;    // face name in the ANSI code page; empty means the desktop's own
    int Height = -12;    // negative: character height in pixels at 96 pixels per inch
    TColor Color = clWindowText;
    int Charset = 1;     // kept as given; faces are found by name with fallbacks
    uint8_t Style = 0;   // TFontStyle bits

    bool operator==(const TFont&) const = default;
};

// The toolkit font for a TFont, with fallback faces that show Chinese.
QFont ToolkitFont(const TFont& font);

enum class TCursor : int16_t { crDefault = 0, crArrow = -2, crHourGlass = -11, crHandPoint = -21 };

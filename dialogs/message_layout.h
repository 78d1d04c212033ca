#pragma once
// Where everything of a message dialog goes, computed from the font's measurements alone,
// so that the arithmetic can be checked with any metrics.
#include <string>

#include "dialogs/message_buttons.h"
#include "dialogs/message_kinds.h"
#include "ui/screen.h"

class TTextMetrics;

struct TMessageLayout {
    TPoint CharSize;  // AverageCharSize of the form's font
    int HorzMargin = 0, VertMargin = 0, HorzSpacing = 0, VertSpacing = 0;
    int ButtonWidth = 0, ButtonHeight = 0, ButtonSpacing = 0;
    TRect TextRect;   // the wrapped message, measured from the origin
    bool HasIcon = false;
    int IconTextWidth = 0, IconTextHeight = 0;
    int ButtonCount = 0, ButtonGroupWidth = 0;
    int ClientWidth = 0, ClientHeight = 0;
    int MessageLeft = 0;  // the left edge of the label
    int ButtonTop = 0;
    int FirstButtonLeft = 0;  // each next button stands ButtonWidth + ButtonSpacing further right
};

constexpr int MessageIconSize = 32;

// Lays out the message and buttons in the font that metrics measures; text wraps at half
// the width of screen. Fills the caption widths of the buttons that are still unmeasured.
TMessageLayout LayOutMessageForm(const TTextMetrics& metrics, const std::string& text, TMessageKind kind,
                                 TMessageButtons buttons, const TRect& screen, TButtonWidthCache& captionWidths);

// The outer left and top that centre a window of that outer size on screen.
TPoint MessageFormOrigin(const TRect& screen, int outerWidth, int outerHeight);

#include "dialogs/message_layout.h"

#include <algorithm>

#include "dialogs/dialog_units.h"
#include "ui/text_metrics.h"

TMessageLayout LayOutMessageForm(const TTextMetrics& metrics, const std::string& text, TMessageKind kind,
                                 TMessageButtons buttons, const TRect& screen, TButtonWidthCache& captionWidths) {
    TMessageLayout l;
    l.CharSize = AverageCharSize(metrics);
    l.HorzMargin = HorzDialogUnits(8, l.CharSize);
    l.VertMargin = VertDialogUnits(8, l.CharSize);
    l.HorzSpacing = HorzDialogUnits(10, l.CharSize);
    l.VertSpacing = VertDialogUnits(10, l.CharSize);
    l.ButtonWidth = HorzDialogUnits(50, l.CharSize);
    for (int i = 0; i < MessageButtonCount; ++i) {
        if (!HasMessageButton(buttons, i)) continue;
        if (captionWidths[size_t(i)] == 0) {
            TRect caption = metrics.TextRect(MessageButtonInfo(i).Caption, TRect{}, tfSingleLine);
            captionWidths[size_t(i)] = caption.Right - caption.Left + 8;
        }
        l.ButtonWidth = std::max(l.ButtonWidth, captionWidths[size_t(i)]);
    }
    l.ButtonHeight = VertDialogUnits(14, l.CharSize);
    l.ButtonSpacing = HorzDialogUnits(4, l.CharSize);

    l.TextRect = metrics.TextRect(text, TRect{0, 0, screen.Width() / 2, 0}, tfWordBreak | tfExpandTabs);
    l.IconTextWidth = l.TextRect.Right;
    l.IconTextHeight = l.TextRect.Bottom;
    l.HasIcon = MessageKindIcon(kind).has_value();
    if (l.HasIcon) {
        l.IconTextWidth += l.HorzSpacing + MessageIconSize;
        l.IconTextHeight = std::max(l.IconTextHeight, MessageIconSize);
    }

    l.ButtonCount = MessageButtonsIn(buttons);
    if (l.ButtonCount > 0) l.ButtonGroupWidth = l.ButtonCount * l.ButtonWidth + (l.ButtonCount - 1) * l.ButtonSpacing;
    l.ClientWidth = std::max(l.IconTextWidth, l.ButtonGroupWidth) + 2 * l.HorzMargin;
    l.ClientHeight = l.IconTextHeight + l.ButtonHeight + l.VertSpacing + 2 * l.VertMargin;

    l.MessageLeft = l.IconTextWidth - l.TextRect.Right + l.HorzMargin;
    l.ButtonTop = l.IconTextHeight + l.VertMargin + l.VertSpacing;
    l.FirstButtonLeft = (l.ClientWidth - l.ButtonGroupWidth) / 2;
    return l;
}

TPoint MessageFormOrigin(const TRect& screen, int outerWidth, int outerHeight) {
    return {screen.Width() / 2 - outerWidth / 2, screen.Height() / 2 - outerHeight / 2};
}

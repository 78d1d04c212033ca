#include "ui/text_metrics.h"

#include <QFontMetrics>
#include <QRect>

#include <algorithm>

#include "platform/display_text.h"

struct TFontTextMetrics::Impl {
    QFontMetrics metrics;
};

TFontTextMetrics::TFontTextMetrics(const TFont& font) : impl_(new Impl{QFontMetrics(ToolkitFont(font))}) {}

TFontTextMetrics::~TFontTextMetrics() = default;

TTextExtent TFontTextMetrics::TextExtent(const std::string& text) const {
    return {impl_->metrics.horizontalAdvance(ToDisplay(text)), impl_->metrics.height()};
}

TRect TFontTextMetrics::TextRect(const std::string& text, const TRect& start, unsigned format) const {
    // The flags match TLabel::TextFlags so that a label shows what was measured.
    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (format & tfSingleLine) flags |= Qt::TextSingleLine;
    if (format & tfWordBreak) flags |= Qt::TextWordWrap;
    if (format & tfExpandTabs) flags |= Qt::TextExpandTabs;
    if (!(format & tfNoPrefix)) flags |= Qt::TextShowMnemonic;
    QRect needed = impl_->metrics.boundingRect(QRect(start.Left, start.Top, std::max(0, start.Width()), 0), flags,
                                               ToDisplay(text));
    return {start.Left, start.Top, start.Left + needed.width(), start.Top + needed.height()};
}

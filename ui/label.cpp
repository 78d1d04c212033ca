#include "ui/label.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include "platform/display_text.h"
#include "ui/layout_reader.h"
#include "ui/widget_access.h"

namespace {

// Paints the caption itself so that access-key marks are drawn the way they are measured;
// the toolkit label keeps the plain text for assistive technologies.
class LabelWidget : public QLabel {
public:
    LabelWidget(TLabel& label, QWidget* parent) : QLabel(parent), label_(label) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (autoFillBackground()) painter.fillRect(rect(), palette().color(QPalette::Window));
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(rect(), label_.TextFlags(), ToDisplay(label_.Caption(), label_.TextCodePage()));
    }

private:
    TLabel& label_;
};

QString WithoutAccessMarks(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

}  // namespace

TLabel::TLabel(TComponent* owner, TWinControl* parent)
    : TControl(owner, new LabelWidget(*this, ParentWidgetOf(parent))) {
    Widget()->setAutoFillBackground(false);
    SetParent(parent);
}

int TLabel::TextFlags() const {
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_) flags |= Qt::TextWordWrap;
    if (showAccelChar_) flags |= Qt::TextShowMnemonic;
    return flags;
}

void TLabel::SetCaption(const std::string& caption) {
    TControl::SetCaption(caption);
    QString shown = ToDisplay(caption, TextCodePage());
    static_cast<QLabel*>(Widget())->setText(showAccelChar_ ? WithoutAccessMarks(shown) : shown);
    AdjustBounds();
    Widget()->update();
}

void TLabel::SetFont(const TFont& font) {
    TControl::SetFont(font);
    AdjustBounds();
}

void TLabel::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
    wordWrap_ = value;
    AdjustBounds();
}

void TLabel::SetMaxWidth(int width) {
    maxWidth_ = width;
    AdjustBounds();
}

void TLabel::SetShowAccelChar(bool value) {
    showAccelChar_ = value;
    SetCaption(Caption());
}

void TLabel::SetTransparent(bool value) { Widget()->setAutoFillBackground(!value); }

void TLabel::SetFocusControl(TWinControl* control) {
    static_cast<QLabel*>(Widget())->setBuddy(control ? WidgetOf(*control) : nullptr);
}

void TLabel::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || adjusting_ || IsLoading() || !Widget()) return;
    adjusting_ = true;
    QFontMetrics metrics(Widget()->font());
    QString text = ToDisplay(Caption(), TextCodePage());
    int flags = TextFlags() & ~Qt::TextWordWrap;
    QRect single = metrics.boundingRect(QRect(0, 0, 0, 0), flags, text);
    int width = single.width(), height = std::max(single.height(), metrics.height());
    if (wordWrap_) {
        // A wrapping label keeps its width (or its maximum) and grows downwards.
        int wrapAt = maxWidth_ > 0 ? std::min(std::max(width, 1), maxWidth_) : (Width() > 0 ? Width() : width);
        QRect wrapped = metrics.boundingRect(QRect(0, 0, wrapAt, 0), TextFlags(), text);
        width = maxWidth_ > 0 ? std::max(wrapped.width(), std::min(width, maxWidth_)) : wrapAt;
        height = std::max(wrapped.height(), metrics.height());
    } else if (maxWidth_ > 0) {
        width = std::min(width, maxWidth_);
    }
    TControl::SetBounds(Left(), Top(), width, height);
    adjusting_ = false;
}

void TLabel::Loaded() {
    AdjustBounds();
}

bool TLabel::WidgetEvent(QEvent& event) {
    if (event.type() == QEvent::MouseButtonRelease) {
        auto& mouse = static_cast<QMouseEvent&>(event);
        if (mouse.button() == Qt::LeftButton && Widget()->rect().contains(mouse.position().toPoint())) Click();
    }
    return TControl::WidgetEvent(event);
}

bool TLabel::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "AutoSize") SetAutoSize(value.AsBool());
    else if (name == "WordWrap") SetWordWrap(value.AsBool());
    else if (name == "ShowAccelChar") SetShowAccelChar(value.AsBool());
    else if (name == "Transparent") SetTransparent(value.AsBool());
    else if (name == "FocusControl") {
        reader.ResolveLater(value, [this](TComponent* c) {
            auto* control = dynamic_cast<TWinControl*>(c);
            if (!control) throw ELayoutError(c->Name() + " is no window control");
            SetFocusControl(control);
        });
    }
    else return TControl::ApplyProperty(name, value, reader);
    return true;
}

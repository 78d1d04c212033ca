#include "ui/edit.h"

#include <QLabel>
#include <QLineEdit>

#include "encoding/code_page_conversion.h"
#include "platform/beep.h"
#include "platform/display_text.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"
#include "ui/typed_text.h"
#include "ui/widget_access.h"

// The field's text while the user types, beside the caption last shown.
struct TEdit::Typing {
    std::string shownBytes;     // the caption last shown
    QString shown;              // the same as the field showed it
    bool shownInvalid = false;  // it holds bytes the code page does not define
    QString accepted;           // the field's text: shown as the user edited it
    int acceptedBytes = 0;      // its length in bytes, kept while there is a byte limit
    bool pending = false;       // accepted has not been taken into the caption yet
};

TEdit::TEdit(TComponent* owner, TWinControl* parent)
    : TWinControl(owner, new QLineEdit(ParentWidgetOf(parent))), typing_(std::make_unique<Typing>()) {
    QObject::connect(LineEdit(), &QLineEdit::textEdited, LineEdit(), [this](const QString& after) {
        CatchErrors(this, [&] { AcceptUserEdit(after); });
    });
    SetParent(parent);
}

TEdit::~TEdit() = default;

QLineEdit* TEdit::LineEdit() const { return static_cast<QLineEdit*>(Widget()); }

TPoint TEdit::DropDownPoint() const {
    const QPoint at = LineEdit()->mapToGlobal(QPoint(0, LineEdit()->height()));
    return {at.x(), at.y()};
}

void TEdit::ShowCaption() {
    if (!LineEdit() || showing_) return;
    typing_->shownBytes = Caption();
    typing_->shown = ToDisplay(typing_->shownBytes, TextCodePage());
    typing_->shownInvalid = typing_->shown.contains(QChar::ReplacementCharacter) &&
                            !IsValidInCodePage(typing_->shownBytes, TextCodePage());
    typing_->accepted = typing_->shown;
    typing_->acceptedBytes = int(typing_->shownBytes.size());
    typing_->pending = false;
    showing_ = true;
    LineEdit()->setText(typing_->shown);
    showing_ = false;
}

const std::string& TEdit::Text() {
    if (typing_->pending) {
        typing_->pending = false;
        // Every character was held when it was typed, so the whole text is held.
        const Typing& typing = *typing_;
        const std::string bytes = typing.accepted == typing.shown
                                      ? typing.shownBytes
                                      : FromDisplay(typing.accepted, TextCodePage()).value_or(typing.shownBytes);
        // The field already shows the text: setting it again would move the cursor to the end.
        showing_ = true;
        TControl::SetCaption(bytes);
        showing_ = false;
    }
    return Caption();
}

bool TEdit::AcceptUserEdit(const QString& after) {
    const TypedText typed = FilterTypedText(typing_->accepted, after, maxLength_, TextCodePage(), typing_->acceptedBytes);
    bool refused = typed.refused;
    QString result = typed.text;
    if (typing_->shownInvalid && result != typing_->shown && result.contains(QChar::ReplacementCharacter)) {
        // The text holds bytes the code page does not define; once edited they cannot be stored back.
        refused = true;
        result = typing_->accepted;
    } else {
        typing_->acceptedBytes = typed.bytes;
    }
    const bool changed = result != typing_->accepted;
    typing_->accepted = result;
    typing_->pending = typing_->pending || changed;
    if (!typed.notHeld.isEmpty()) TellNotHeld(*LineEdit(), typed.notHeld, TextCodePage());
    if (refused) {
        SoundDefaultBeep();
        showing_ = true;
        LineEdit()->setText(result);
        LineEdit()->setCursorPosition(int(typed.cursor));
        showing_ = false;
    }
    if (OnChange && changed) OnChange(this);
    return !refused;
}

void TEdit::SetMaxLength(int bytes) {
    maxLength_ = bytes;
    if (maxLength_ > 0) typing_->acceptedBytes = ByteLengthIn(typing_->accepted, TextCodePage());
}

void TEdit::SelectAll() {
    if (LineEdit()) LineEdit()->selectAll();
}

int TEdit::NaturalHeight() const { return LineEdit() ? LineEdit()->sizeHint().height() : 21; }

bool TEdit::WantsKey(const KeyRecord& key) const {
    return key.key == vk::Left || key.key == vk::Right || key.key == vk::Up || key.key == vk::Down;
}

bool TEdit::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "MaxLength") SetMaxLength(value.AsInt());
    else return TWinControl::ApplyProperty(name, value, reader);
    return true;
}

// ---------------------------------------------------------------- TLabeledEdit

TLabeledEdit::TLabeledEdit(TComponent* owner, TWinControl* parent)
    : TEdit(owner, parent), label_(new TLabel(this, parent)) {
    label_->SetName("SubLabel");
    // Assistive technologies take the edit's name and its labelled-by relation from the buddy.
    static_cast<QLabel*>(WidgetOf(*label_))->setBuddy(LineEdit());
    PlaceLabel();
}

void TLabeledEdit::SetParent(TWinControl* parent) {
    TEdit::SetParent(parent);
    label_->SetParent(parent);
    PlaceLabel();
}

void TLabeledEdit::SetBounds(int left, int top, int width, int height) {
    TEdit::SetBounds(left, top, width, height);
    PlaceLabel();
}

void TLabeledEdit::SetVisible(bool visible) {
    TEdit::SetVisible(visible);
    label_->SetVisible(visible);
}

void TLabeledEdit::SetLabelPosition(TLabelPosition position) {
    position_ = position;
    PlaceLabel();
}

void TLabeledEdit::SetLabelSpacing(int spacing) {
    spacing_ = spacing;
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
    if (!label_ || IsLoading()) return;
    int lw = label_->Width(), lh = label_->Height();
    switch (position_) {
        case TLabelPosition::lpAbove: label_->SetBounds(Left(), Top() - lh - spacing_, lw, lh); break;
        case TLabelPosition::lpBelow: label_->SetBounds(Left(), Top() + Height() + spacing_, lw, lh); break;
        case TLabelPosition::lpLeft:
            label_->SetBounds(Left() - lw - spacing_, Top() + (Height() - lh) / 2, lw, lh);
            break;
        case TLabelPosition::lpRight:
            label_->SetBounds(Left() + Width() + spacing_, Top() + (Height() - lh) / 2, lw, lh);
            break;
    }
}

void TLabeledEdit::Loaded() {
    TEdit::Loaded();
    PlaceLabel();
}

bool TLabeledEdit::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    static constexpr NamedValue<TLabelPosition> positions[] = {
        {"lpAbove", TLabelPosition::lpAbove}, {"lpBelow", TLabelPosition::lpBelow},
        {"lpLeft", TLabelPosition::lpLeft},   {"lpRight", TLabelPosition::lpRight}};
    if (name == "LabelPosition") SetLabelPosition(value.AsEnum(positions, "label position"));
    else if (name == "LabelSpacing") SetLabelSpacing(value.AsInt());
    else if (name == "EditLabel") {
        for (const auto& [field, v] : value.AsRecord())
            if (!label_->ApplyProperty(field, v, reader)) throw ELayoutError("Unknown label property " + field);
        PlaceLabel();
    } else return TEdit::ApplyProperty(name, value, reader);
    return true;
}

#include "ui/edit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "platform/display_text.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"
#include "ui/widget_access.h"

namespace {

// The stretch that an edit replaced: the common start and end of the two texts.
struct Change {
    qsizetype start;
    qsizetype removedEnd;   // in before
    qsizetype insertedEnd;  // in after
};

Change ChangeBetween(const QString& before, const QString& after) {
    qsizetype start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
    qsizetype endB = before.size(), endA = after.size();
    while (endB > start && endA > start && before[endB - 1] == after[endA - 1]) --endB, --endA;
    return {start, endB, endA};
}

}  // namespace

TEdit::TEdit(TComponent* owner) : TWinControl(owner, new QLineEdit) {
    QObject::connect(LineEdit(), &QLineEdit::textEdited, LineEdit(), [this](const QString& after) {
        CatchErrors(this, [&] { AcceptUserEdit(ToDisplay(Caption()), after); });
    });
}

QLineEdit* TEdit::LineEdit() const { return static_cast<QLineEdit*>(Widget()); }

void TEdit::ShowCaption() {
    if (!LineEdit() || showing_) return;
    showing_ = true;
    LineEdit()->setText(ToDisplay(Caption()));
    showing_ = false;
}

bool TEdit::AcceptUserEdit(const QString& before, const QString& after) {
    Change change = ChangeBetween(before, after);
    QString inserted = after.mid(change.start, change.insertedEnd - change.start);
    QString kept = before.left(change.start) + before.mid(change.removedEnd);
    int room = maxLength_ > 0 ? maxLength_ - AnsiByteLength(kept) : INT32_MAX;
    // Take the inserted characters one by one while they fit and the code page holds them.
    QString accepted;
    bool refused = false;
    for (qsizetype i = 0; i < inserted.size();) {
        qsizetype len = inserted[i].isHighSurrogate() && i + 1 < inserted.size() ? 2 : 1;
        QString ch = inserted.mid(i, len);
        auto bytes = FromDisplay(ch);
        if (!bytes || int(bytes->size()) > room) {
            refused = true;
            if (bytes) break;  // over the limit: nothing after it fits either
        } else {
            accepted += ch;
            room -= int(bytes->size());
        }
        i += len;
    }
    QString result = before.left(change.start) + accepted + before.mid(change.removedEnd);
    auto bytes = FromDisplay(result);
    if (!bytes) {
        // The old text holds bytes the code page does not define; they cannot be re-encoded.
        refused = true;
        result = before;
    } else {
        TControl::SetCaption(*bytes);
    }
    if (refused) {
        QApplication::beep();
        showing_ = true;
        LineEdit()->setText(result);
        LineEdit()->setCursorPosition(int(change.start + accepted.size()));
        showing_ = false;
    }
    return !refused;
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

TLabeledEdit::TLabeledEdit(TComponent* owner) : TEdit(owner), label_(new TLabel(this)) {
    label_->SetName("SubLabel");
    // Assistive technologies take the edit's name and its labelled-by relation from the buddy.
    static_cast<QLabel*>(WidgetOf(*label_))->setBuddy(LineEdit());
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
    if (name == "LabelPosition") {
        const std::string& p = value.AsName();
        if (p == "lpAbove") SetLabelPosition(TLabelPosition::lpAbove);
        else if (p == "lpBelow") SetLabelPosition(TLabelPosition::lpBelow);
        else if (p == "lpLeft") SetLabelPosition(TLabelPosition::lpLeft);
        else if (p == "lpRight") SetLabelPosition(TLabelPosition::lpRight);
        else throw ELayoutError("Unknown label position " + p);
    } else if (name == "LabelSpacing") SetLabelSpacing(value.AsInt());
    else if (name == "EditLabel") {
        for (const auto& [field, v] : value.AsRecord())
            if (!label_->ApplyProperty(field, v, reader)) throw ELayoutError("Unknown label property " + field);
        PlaceLabel();
    } else return TEdit::ApplyProperty(name, value, reader);
    return true;
}

#include "ui/caption_editor.h"

#include <QLineEdit>

#include "platform/beep.h"
#include "platform/display_text.h"
#include "ui/control.h"
#include "ui/error_sink.h"
#include "ui/typed_text.h"
#include "ui/widget_access.h"

namespace {

constexpr const char* kAcceptedText = "iniv.acceptedText";

void FilterUserEdit(QLineEdit& edit, const QString& after) {
    const TypedText typed = FilterTypedText(edit.property(kAcceptedText).toString(), after, 0);
    if (typed.refused) {
        SoundDefaultBeep();
        edit.setText(typed.text);
        edit.setCursorPosition(int(typed.cursor));
    }
    edit.setProperty(kAcceptedText, typed.text);
}

}  // namespace

QWidget* CaptionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& after) {
            CatchErrors(ControlOfWidget(edit), [&] { FilterUserEdit(*edit, after); });
        });
    }
    return editor;
}

void CaptionDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    QStyledItemDelegate::setEditorData(editor, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) edit->setProperty(kAcceptedText, edit->text());
}

void CaptionDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (hideSelection_ && option->widget && !option->widget->hasFocus()) option->state &= ~QStyle::State_Selected;
}

CaptionEdit TakeEditedCaption(std::string& caption, const QString& edited) {
    if (edited == ToDisplay(caption)) return CaptionEdit::Unchanged;
    auto bytes = FromDisplay(edited);
    if (!bytes) {
        SoundDefaultBeep();
        return CaptionEdit::Refused;
    }
    caption = std::move(*bytes);
    return CaptionEdit::Changed;
}

QAbstractItemView::EditTriggers CaptionEditTriggers(bool readOnly) {
    return readOnly ? QAbstractItemView::NoEditTriggers
                    : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked;
}

bool ItemViewWantsKey(const KeyRecord& key, bool editing) {
    switch (key.key) {
        case vk::Left:
        case vk::Right:
        case vk::Up:
        case vk::Down: return true;
        case vk::Return:
        case vk::Escape: return editing;
        default: return false;
    }
}

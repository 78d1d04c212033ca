#include "ui/caption_editor.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QTextDocument>
#include <QToolTip>

#include "platform/beep.h"
#include "platform/display_text.h"
#include "ui/control.h"
#include "ui/error_sink.h"
#include "ui/typed_text.h"
#include "ui/widget_access.h"

namespace {

constexpr const char* kAcceptedText = "iniv.acceptedText";

void FilterUserEdit(QLineEdit& edit, const QString& after, TCodePage codePage) {
    const TypedText typed = FilterTypedText(edit.property(kAcceptedText).toString(), after, 0, codePage);
    if (!typed.notHeld.isEmpty()) TellNotHeld(edit, typed.notHeld, codePage);
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
        const auto codePage = index.data(CodePageRole).value<TCodePage>();
        QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, codePage](const QString& after) {
            CatchErrors(ControlOfWidget(edit), [&] { FilterUserEdit(*edit, after, codePage); });
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

bool CaptionDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // A cut text shows whole, above the item's own tooltip.
    QString tip = index.data(Qt::ToolTipRole).toString();
    const QRect shown = option.rect.intersected(view->viewport()->rect());
    if (sizeHint(option, index).width() > shown.width())
        tip = index.data(Qt::DisplayRole).toString() + (tip.isEmpty() ? QString() : "\n" + tip);
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        // Names and values are plain text, whatever markup they seem to hold.
        QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal), view->viewport(),
                           option.rect);
    }
    return true;
}

CaptionEdit TakeEditedCaption(std::string& caption, const QString& edited, TCodePage codePage) {
    if (edited == ToDisplay(caption, codePage)) return CaptionEdit::Unchanged;
    auto bytes = EditedBytes(edited, caption, codePage);
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

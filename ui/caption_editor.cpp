#include "ui/caption_editor.h"

#include <QApplication>
#include <QLineEdit>

#include "platform/display_text.h"
#include "ui/control.h"
#include "ui/error_sink.h"
#include "ui/widget_access.h"

namespace {

constexpr const char* kAcceptedText = "iniv.acceptedText";

// Keeps the representable characters of what the user inserted between before and after.
QString WithoutUnrepresentable(const QString& before, const QString& after, qsizetype& cursor) {
    qsizetype start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
    qsizetype endB = before.size(), endA = after.size();
    while (endB > start && endA > start && before[endB - 1] == after[endA - 1]) --endB, --endA;
    QString kept;
    for (qsizetype i = start; i < endA;) {
        qsizetype len = after[i].isHighSurrogate() && i + 1 < endA ? 2 : 1;
        QString ch = after.mid(i, len);
        if (FromDisplay(ch)) kept += ch;
        i += len;
    }
    cursor = start + kept.size();
    return after.left(start) + kept + after.mid(endA);
}

void FilterUserEdit(QLineEdit& edit, const QString& after) {
    QString before = edit.property(kAcceptedText).toString();
    qsizetype cursor = 0;
    QString result = WithoutUnrepresentable(before, after, cursor);
    if (result != after) {
        QApplication::beep();
        edit.setText(result);
        edit.setCursorPosition(int(cursor));
    }
    edit.setProperty(kAcceptedText, result);
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
        QApplication::beep();
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

#pragma once
// The items of the tree and the list as drawn, and in-place caption editing: what the user
// types is taken into the item's code page as it arrives (a character it cannot hold is
// refused with a beep), and the committed text becomes the caption's bytes.
#include <QAbstractItemView>
#include <QStyledItemDelegate>

#include <string>

#include "encoding/code_page.h"
#include "platform/keys.h"

// The role under which the models of the tree and the list answer the code page of an item's
// bytes.
constexpr int CodePageRole = Qt::UserRole + 1;

class CaptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // On: items are drawn unselected while the view has no focus.
    void SetHideSelection(bool hide) { hideSelection_ = hide; }
    // The tooltip of an item: its own when it has one, else its whole text when the view
    // shows only part of it.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool hideSelection_ = false;
};

enum class CaptionEdit { Unchanged, Changed, Refused };

// Takes a committed edit of caption, bytes in codePage: Unchanged when the text shown was not
// altered (the bytes stay, even those the code page does not define), Refused (with a beep)
// when the code page cannot hold it or it keeps marks of bytes the code page does not define,
// else Changed with the new bytes in caption.
CaptionEdit TakeEditedCaption(std::string& caption, const QString& edited, TCodePage codePage);

// How editing starts in a view whose captions can be edited in place (F2, or a click on the
// selected item), or never for a read-only one.
QAbstractItemView::EditTriggers CaptionEditTriggers(bool readOnly);
// The keys an item view keeps for itself: the arrows, and Enter and Esc while a caption is
// being edited (they end the edit).
bool ItemViewWantsKey(const KeyRecord& key, bool editing);

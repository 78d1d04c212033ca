// The main window's key commands: everything the menus and buttons do, done from the keyboard.
#include "app/compare_view.h"
#include "app/find_bar.h"
#include "app/frm_main.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/popup_menu.h"
#include "ui/tree_view.h"

std::span<const TForm1::TKeyCommand> TForm1::KeyCommands() {
    // F2, which edits the selected caption in place, is the views' own key.
    static const TKeyCommand commands[] = {
        {vk::F5, {}, TKeyPlace::Anywhere, &TForm1::ReloadFile},
        {'O', ShiftFlag::Ctrl, TKeyPlace::Anywhere, &TForm1::BrowseForFile},
        {'L', ShiftFlag::Ctrl, TKeyPlace::Anywhere, &TForm1::GoToFileName},
        {vk::Apps, {}, TKeyPlace::List, &TForm1::KeyMenuAtSelection},
        {vk::F10, ShiftFlag::Shift, TKeyPlace::List, &TForm1::KeyMenuAtSelection},
        {vk::Return, {}, TKeyPlace::List, &TForm1::ModifySelectedKey},
        {vk::Delete, {}, TKeyPlace::List, &TForm1::DeleteSelectedKey},
        {vk::Apps, {}, TKeyPlace::Tree, &TForm1::SectionMenuAtSelection},
        {vk::F10, ShiftFlag::Shift, TKeyPlace::Tree, &TForm1::SectionMenuAtSelection},
        {vk::Delete, {}, TKeyPlace::Tree, &TForm1::DeleteSelectedSection},
        {'D', ShiftFlag::Ctrl, TKeyPlace::Anywhere, &TForm1::CompareWithFile},
        {'F', ShiftFlag::Ctrl, TKeyPlace::Ordinary, &TForm1::OpenFindBar},
        {vk::F3, {}, TKeyPlace::Ordinary, &TForm1::FindNext},
        {vk::F3, ShiftFlag::Shift, TKeyPlace::Ordinary, &TForm1::FindPrevious},
        {vk::Return, {}, TKeyPlace::FindBar, &TForm1::FindNext},
        {vk::Return, ShiftFlag::Shift, TKeyPlace::FindBar, &TForm1::FindPrevious},
        {vk::Escape, {}, TKeyPlace::FindBar, &TForm1::CloseFindBar},
        {'C', ShiftFlag::Ctrl, TKeyPlace::List, &TForm1::CopySelectedRow},
        {'C', ShiftFlag::Ctrl, TKeyPlace::Tree, &TForm1::CopySelectedNode},
        {'Z', ShiftFlag::Ctrl, TKeyPlace::Views, &TForm1::UndoEdit},
        {'Z', ShiftFlag::Ctrl | ShiftFlag::Shift, TKeyPlace::Views, &TForm1::RedoEdit},
        {'Y', ShiftFlag::Ctrl, TKeyPlace::Views, &TForm1::RedoEdit},
    };
    return commands;
}

void TForm1::FormKeyDown(TComponent*, uint16_t& key, TShiftState shift) {
    // The compare view's keys come first while it shows.
    if (compare_ && compare_->TakeKey(key, shift)) {
        key = 0;
        return;
    }
    for (const TKeyCommand& command : KeyCommands()) {
        if (command.key != key || command.shift != shift.Keys() || !FocusIsIn(command.place)) continue;
        // Taken here: the focused control does not see the key as well.
        key = 0;
        (this->*command.run)();
        return;
    }
}

// A view editing a caption in place keeps its keys for the editor.
bool TForm1::FocusIsIn(TKeyPlace place) const {
    switch (place) {
        case TKeyPlace::Anywhere: return true;
        case TKeyPlace::Ordinary: return !Comparing();
        case TKeyPlace::Tree: return ActiveControl() == tree1 && !tree1->IsEditing();
        case TKeyPlace::List: return ActiveControl() == ListView1 && !ListView1->IsEditing();
        case TKeyPlace::Views: return FocusIsIn(TKeyPlace::Tree) || FocusIsIn(TKeyPlace::List);
        case TKeyPlace::FindBar: return findBar_ && findBar_->HasFocus(ActiveControl());
    }
    return false;
}

void TForm1::BrowseForFile() { BtnliuClick(nullptr); }

void TForm1::GoToFileName() {
    ledtfname->SetFocus();
    ledtfname->SelectAll();
}

// As a right press on the selected row would open it, but at the row.
void TForm1::KeyMenuAtSelection() {
    TPoint at = ListView1->KeyboardMenuPoint();
    OpenKeyMenu(at.X, at.Y);
}

void TForm1::SectionMenuAtSelection() {
    TPoint at = tree1->KeyboardMenuPoint();
    Poptree->Popup(at.X, at.Y);
}

void TForm1::ModifySelectedKey() { mchangClick(nullptr); }

void TForm1::DeleteSelectedKey() { mkillClick(nullptr); }

void TForm1::DeleteSelectedSection() { mtreekillClick(nullptr); }

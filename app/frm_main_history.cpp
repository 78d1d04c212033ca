// Undo and redo of the commands: each command's change to the file is kept, and taken back or
// done again byte for byte, unless another program has changed that part of the file since.
#include "app/frm_main.h"
#include "dialogs/message_dialog.h"
#include "inifile/ini_file.h"
#include "platform/beep.h"
#include "encoding/code_page_conversion.h"

// The view still stands where the command found it: an undo comes back there.
void TForm1::RememberEdit(const TIniFile& ini) {
    history_.Record(CurrentIniPath, ini.LastChange(), Place());
    ForgetFind();
}

void TForm1::NoteEditPlace() { history_.SetPlaceAfter(CurrentIniPath, Place()); }

void TForm1::UndoEdit() { ReplayEdit(ReplayDirection::Undo); }

void TForm1::RedoEdit() { ReplayEdit(ReplayDirection::Redo); }

void TForm1::ReplayEdit(ReplayDirection direction) {
    const bool undo = direction == ReplayDirection::Undo;
    const EditRecord* change = undo ? history_.NextUndo(CurrentIniPath) : history_.NextRedo(CurrentIniPath);
    if (!change) {
        SoundDefaultBeep();
        return;
    }
    if (RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    try {
        TIniFile ini(CurrentIniPath, FileCodePage());
        if (undo) ini.Revert(*change);
        else ini.Reapply(*change);
    } catch (const EIniFileException& error) {
        if (error.Reason() != IniFailure::Stale) throw;
        ShowMessageDialog(undo ? Ansi("文件的这一部分已被其他程序修改，不能撤销。")
                               : Ansi("文件的这一部分已被其他程序修改，不能重做。"),
                          MsgWarning, ButtonOK, 0);
        return;
    }
    const TViewPlace place = undo ? history_.Undone(CurrentIniPath) : history_.Redone(CurrentIniPath);
    // The service holds the file as written: no second read, and no new verdict on its encoding.
    // The user sees what changed back: the section and row the change was made at.
    ShowView(place, false);
    ShowSaved(undo ? Ansi("撤销了一次修改") : Ansi("重做了一次修改"));
}

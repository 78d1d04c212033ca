// Undo and redo of the commands: each command's change to the file is kept, and taken back or
// done again byte for byte, unless another program has changed that part of the file since.
#include "app/frm_main.h"
#include "dialogs/message_dialog.h"
#include "inifile/write_failure_reason.h"
#include "platform/beep.h"
#include "encoding/code_page_conversion.h"
#include "shell/application.h"

void TForm1::NoteEditPlace() { document_->SetPlaceAfter(Place()); }

void TForm1::UndoEdit() { ReplayEdit(ReplayDirection::Undo); }

void TForm1::RedoEdit() { ReplayEdit(ReplayDirection::Redo); }

void TForm1::ReplayEdit(ReplayDirection direction) {
    const bool undo = direction == ReplayDirection::Undo;
    if (!document_->CanReplay(direction)) {
        SoundDefaultBeep();
        return;
    }
    if (RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    const TDocument::TReplay replay = document_->Replay(direction);
    if (replay.result.failure == IniFailure::Stale) {
        ShowMessageDialog(undo ? Ansi("文件的这一部分已被其他程序修改，不能撤销。")
                               : Ansi("文件的这一部分已被其他程序修改，不能重做。"),
                          MsgWarning, ButtonOK, 0);
        return;
    }
    if (!replay.result.Succeeded()) {
        Application->ShowErrorMessage(
            WriteFailureMessage(CurrentIniPath, replay.result.failure, replay.result.systemError));
        return;
    }
    // The service holds the file as written: no second read, and no new verdict on its encoding.
    // The user sees what changed back: the section and row the change was made at.
    ShowView(replay.place, false);
    ShowSaved(undo ? Ansi("撤销了一次修改") : Ansi("重做了一次修改"));
}

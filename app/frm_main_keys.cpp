// The key commands of the key list's menu: modify a value, delete a key, add a key.
// The file is written first; the list follows only once the write has succeeded.
#include <algorithm>
#include <memory>

#include "app/frm_add.h"
#include "app/frm_main.h"
#include "dialogs/input_box.h"
#include "dialogs/message_dialog.h"
#include "engine/ini_text_rules.h"
#include "encoding/code_page_conversion.h"
#include "shell/application.h"
#include "shell/modal.h"
#include "text/byte_text.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

void TForm1::mchangClick(TComponent*) {
    TListItem* row = ListView1->Selected();
    TTreeNode* node = tree1->Selected();
    if (!row || !node || node == RootNode() || RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    std::string shown = row->SubItems().Count() > 0 ? row->SubItems().At(0) : std::string();
    std::string text = AskText(Ansi("新值"), Ansi("请输入关键字值"), shown, FileCodePage());
    // Accepted unchanged or cancelled, the box gives back the very bytes it was given, also
    // those the code page does not define: the write then changes nothing.
    if (text.empty()) return;
    // The file keeps the value's quotes (the engine writes it inside them): quotes the user
    // typed around it as well would make two pairs.
    if (ValueInFile(*row) != shown && UnquotedValue(text).size() != text.size()) text = UnquotedValue(text);
    // The row's own line, as long as it still holds the value shown.
    const std::string key = row->Caption();
    if (!Written(document_->SetValueAt(RefOf(*node, *row), shown, text, Place()))) return;
    ShowSaved(SavedKey(*node, key) + "=" + ForMessage(text));
    // Listed again from the file as written: the rows still to be made would otherwise come
    // from the file's bytes before the write, kept alive for them.
    ListSection(Place().row);
}

void TForm1::mkillClick(TComponent*) {
    TListItem* row = ListView1->Selected();
    TTreeNode* node = tree1->Selected();
    if (!row || !node || node == RootNode() || RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    // Only a Yes deletes: a question closed without an answer keeps the key.
    const std::string question = Ansi("确定要删除吗？") + "\n" + Ansi("关键字：") + ForMessage(row->Caption());
    if (ShowMessageDialog(question, MsgWarning, ButtonYes | ButtonNo, 0) != ResultYes) return;
    const std::string shown = row->SubItems().Count() > 0 ? row->SubItems().At(0) : std::string();
    const std::string key = row->Caption();
    const int index = row->Index();
    if (!Written(document_->RemoveKeyAt(RefOf(*node, *row), shown, Place()))) return;
    ShowSaved(Ansi("删除了 ") + SavedKey(*node, key));
    // A name that repeated may stand alone now. The keyboard goes on where the key was: the
    // row that took its place, or the one before it when it was the last.
    ListSection(std::nullopt, nullptr, [this, index] {
        TListItems& rows = ListView1->Items();
        if (rows.Count() > 0) ListView1->SetSelected(rows.Item(std::min(index, rows.Count() - 1)));
        NoteEditPlace();
    });
}

void TForm1::maddClick(TComponent*) {
    TTreeNode* node = tree1->Selected();
    if (!node || node == RootNode() || RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    std::unique_ptr<Tfnodeadd> dialog(new Tfnodeadd(Application));
    fnodeadd = dialog.get();
    dialog->SetFileCodePage(FileCodePage());
    // Written while the dialog is open: a name the section holds already is refused there,
    // and the user corrects it without typing the value again.
    std::string name;
    bool written = false;
    dialog->OnAccept = [&] {
        name = AsciiLower(dialog->ledtname->Text(), FileCodePage());
        const std::string value = dialog->ledtvalue->Text();
        // The section's own occurrence refuses a name it holds, also one the list does not show.
        const IniResult result = document_->AddKey(RefOf(*node), name, value, Place());
        if (result.failure == IniFailure::NameTaken) {
            ShowMessageDialog(ForMessage(name) + Ansi(" 关键字已有，请另起一个名称"), MsgInformation, ButtonOK, 0);
            return false;
        }
        written = Written(result);
        if (written) ShowSaved(Ansi("增加了 ") + SavedKey(*node, name) + "=" + ForMessage(value));
        // A failed write leaves the dialog for the user to correct or cancel; one whose section
        // changed meanwhile closes it, the view following the file.
        return written || result.failure == IniFailure::Stale;
    };
    RunModal(*dialog);
    if (dialog->Tag() == 0 || !written) return;
    // The new key is selected: the user sees where it went.
    ListSection(TShownName{name, 0}, nullptr, [this] { NoteEditPlace(); });
}

// The key commands of the key list's menu: modify a value, delete a key, add a key.
// The file is written first; the list follows only once the write has succeeded.
#include <memory>

#include "app/frm_add.h"
#include "app/frm_main.h"
#include "dialogs/input_box.h"
#include "dialogs/message_dialog.h"
#include "inifile/ini_file.h"
#include "platform/code_page_conversion.h"
#include "shell/application.h"
#include "shell/modal.h"
#include "text/byte_text.h"
#include "text/string_list.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

namespace {

bool SameName(const std::string& existing, const std::string& folded, int codePage) {
    return TextCompare(AsciiLower(existing, codePage), folded) == 0;
}

// Whether the list shows, or the file's section holds, a key of that folded name.
bool KeyExists(TListView& list, TIniFile& ini, const std::string& section, const std::string& folded) {
    for (int i = 0; i < list.Items().Count(); ++i)
        if (SameName(list.Items().Item(i)->Caption(), folded, ini.CodePage())) return true;
    TStringList keys;
    ini.ReadKeyNames(section, keys);
    for (int i = 0; i < keys.LineCount(); ++i)
        if (SameName(keys.LineAt(i), folded, ini.CodePage())) return true;
    return false;
}

}  // namespace

void TForm1::mchangClick(TComponent*) {
    TListItem* row = ListView1->Selected();
    TTreeNode* node = tree1->Selected();
    if (!row || !node || node == RootNode() || RefusedAsReadOnly()) return;
    std::string shown = row->SubItems().Count() > 0 ? row->SubItems().At(0) : std::string();
    std::string text = AskText(Ansi("新值"), Ansi("请输入关键字值"), shown, FileCodePage());
    // Accepted unchanged or cancelled, the box gives back the very bytes it was given, also
    // those the code page does not define: the write then changes nothing.
    if (text.empty()) return;
    TIniFile ini(CurrentIniPath, FileCodePage());
    ini.WriteValue(node->Text(), row->Caption(), text);
    row->SubItems().Set(0, text);
}

void TForm1::mkillClick(TComponent*) {
    TListItem* row = ListView1->Selected();
    TTreeNode* node = tree1->Selected();
    if (!row || !node || RefusedAsReadOnly()) return;
    // Only a Yes deletes: a question closed without an answer keeps the key.
    if (ShowMessageDialog(Ansi("确定要删除吗？"), MsgWarning, ButtonYes | ButtonNo, 0) != ResultYes) return;
    {
        TIniFile ini(CurrentIniPath, FileCodePage());
        ini.RemoveKey(node->Text(), row->Caption());
    }
    row->Delete();
}

void TForm1::maddClick(TComponent*) {
    TTreeNode* node = tree1->Selected();
    if (!node || RefusedAsReadOnly()) return;
    std::unique_ptr<Tfnodeadd> dialog(new Tfnodeadd(Application));
    fnodeadd = dialog.get();
    dialog->SetFileCodePage(FileCodePage());
    RunModal(*dialog);
    if (dialog->Tag() == 0) return;
    std::string name = AsciiLower(dialog->ledtname->Text(), FileCodePage());
    TIniFile ini(CurrentIniPath, FileCodePage());
    if (KeyExists(*ListView1, ini, node->Text(), name)) {
        ShowMessageDialog(ForMessage(name) + Ansi(" 关键字已有，请另起一个名称"), MsgInformation, ButtonOK, 0);
        return;
    }
    std::string value = dialog->ledtvalue->Text();
    ini.WriteValue(node->Text(), name, value);
    TListItem* row = ListView1->Items().Add(FileCodePage());
    row->SetCaption(name);
    row->SubItems().Add(value);
    row->SetImageIndex(2);
}

// The section commands of the tree's menu, and the enabling of both context menus.
#include "app/frm_main.h"
#include "dialogs/input_box.h"
#include "dialogs/message_dialog.h"
#include "inifile/ini_file.h"
#include "platform/code_page_conversion.h"
#include "text/byte_text.h"
#include "text/string_list.h"
#include "ui/list_view.h"
#include "ui/popup_menu.h"
#include "ui/screen.h"
#include "ui/tree_view.h"

namespace {

// Whether the tree shows, or the file holds, a section of that folded name.
bool SectionExists(TTreeNode& root, TIniFile& ini, const std::string& folded) {
    const int codePage = ini.CodePage();
    for (int i = 0; i < root.Count(); ++i)
        if (TextCompare(AsciiLower(root.Item(i)->Text(), codePage), folded) == 0) return true;
    TStringList sections;
    ini.ReadSectionNames(sections);
    for (int i = 0; i < sections.LineCount(); ++i)
        if (TextCompare(AsciiLower(sections.LineAt(i), codePage), folded) == 0) return true;
    return false;
}

}  // namespace

void TForm1::mtreeaddClick(TComponent*) {
    TTreeNode* root = RootNode();
    if (!root || RefusedAsReadOnly()) return;
    const int codePage = FileCodePage();
    std::string name = AsciiLower(AskText(Ansi("新小节"), Ansi("请输入小节名"), "", codePage), codePage);
    if (name.empty()) return;
    TIniFile ini(CurrentIniPath, codePage);
    if (SectionExists(*root, ini, name)) {
        ShowMessageDialog(ForMessage(name) + Ansi(" 小节已有，请另起一个名称"), MsgInformation, ButtonOK, 0);
        return;
    }
    ini.WriteValue(name, "main", "01");
    TTreeNode* node = tree1->Items().AddChild(root, name, codePage);
    node->SetImageIndex(1);
    node->SetSelectedIndex(1);
}

void TForm1::mtreekillClick(TComponent*) {
    TTreeNode* node = tree1->Selected();
    if (!node || node == RootNode() || RefusedAsReadOnly()) return;
    if (ShowMessageDialog(Ansi("确定要删除吗？"), MsgWarning, ButtonYes | ButtonNo, 0) != ResultYes) return;
    {
        TIniFile ini(CurrentIniPath, FileCodePage());
        ini.RemoveSection(node->Text());
    }
    ListView1->Items().Clear();
    node->Delete();
}

void TForm1::EnableTreeMenu() {
    TTreeNode* selected = tree1->Selected();
    mtreeadd->SetEnabled(selected != nullptr);
    mtreekill->SetEnabled(selected != nullptr && selected != RootNode());
}

void TForm1::tree1MouseDown(TComponent*, TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::mbRight) EnableTreeMenu();
}

void TForm1::ListView1MouseDown(TComponent*, TMouseButton button, TShiftState, int, int) {
    if (button != TMouseButton::mbRight) return;
    TPoint at = TScreen::Instance().CursorPos();
    OpenKeyMenu(at.X, at.Y);
}

void TForm1::OpenKeyMenu(int screenX, int screenY) {
    TTreeNode* node = tree1->Selected();
    bool rowSelected = ListView1->Selected() != nullptr;
    bool both = node && rowSelected;
    mchang->SetEnabled(both);
    mkill->SetEnabled(both);
    madd->SetEnabled(both || (node && node != RootNode()));
    PopupMenu1->Popup(screenX, screenY);
}

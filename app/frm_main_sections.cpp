// The section commands of the tree's menu, and the enabling of both context menus.
#include "app/frm_main.h"
#include "dialogs/input_box.h"
#include "dialogs/message_dialog.h"
#include "engine/ini_listing.h"
#include "encoding/code_page_conversion.h"
#include "text/byte_text.h"
#include "ui/list_view.h"
#include "ui/popup_menu.h"
#include "ui/screen.h"
#include "ui/tree_view.h"

namespace {

// Whether the file holds a section of that folded name (the tree shows the same sections).
// Blanks around the name are no part of it for the file's readers, nor for the write.
bool SectionExists(const IniListing& sections, const std::string& folded, TCodePage codePage) {
    const std::size_t first = folded.find_first_not_of(" \t");
    const std::string bare =
        first == std::string::npos ? "" : folded.substr(first, folded.find_last_not_of(" \t") + 1 - first);
    for (std::size_t i = 0; i < sections.Count(); ++i)
        if (TextCompare(AsciiLower(std::string(sections.Name(i)), codePage), bare) == 0) return true;
    return false;
}

}  // namespace

void TForm1::mtreeaddClick(TComponent*) {
    TTreeNode* root = RootNode();
    if (!root || RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    const TCodePage codePage = FileCodePage();
    std::string name = AsciiLower(AskText(Ansi("新小节"), Ansi("请输入小节名"), "", codePage), codePage);
    if (name.empty()) return;
    if (SectionExists(document_->Sections(), name, codePage)) {
        ShowMessageDialog(ForMessage(name) + Ansi(" 小节已有，请另起一个名称"), MsgInformation, ButtonOK, 0);
        return;
    }
    const TViewPlace place = Place();
    // Refused, the view has followed the file already (a big one is still being read).
    if (!Written(document_->SetValue(name, "main", "01", place))) return;
    ShowSaved(Ansi("增加了小节 [") + ForMessage(name) + "]");
    // The new section comes last; the selection and the list stay. A redo comes back to it.
    ShowView(place);
    // The tree was rebuilt: its root is a new node.
    if (TTreeNode* shown = RootNode(); shown && shown->Count() > 0) {
        const SectionRef added = RefOf(*shown->Item(shown->Count() - 1));
        const TShownName section{std::string(added.name), added.occurrence};
        document_->SetPlaceAfter(TViewPlace{false, section, {}});
    }
}

void TForm1::mtreekillClick(TComponent*) {
    TTreeNode* node = tree1->Selected();
    if (!node || node == RootNode() || RefusedAsReadOnly()) return;
    TCommandScope command(*this);
    const std::string question = Ansi("确定要删除吗？") + "\n" + Ansi("小节：[") + ForMessage(node->Text()) + "]";
    if (ShowMessageDialog(question, MsgWarning, ButtonYes | ButtonNo, 0) != ResultYes) return;
    // That occurrence alone: a section of the same name elsewhere in the file stays.
    const std::string name = node->Text();
    if (!Written(document_->RemoveSectionAt(RefOf(*node), Place()))) return;
    ShowSaved(Ansi("删除了小节 [") + ForMessage(name) + "]");
    // No section is selected afterwards, and the list stays empty until one is.
    ShowView(TViewPlace{}, false);
    NoteEditPlace();
}

void TForm1::EnableTreeMenu() {
    TTreeNode* selected = tree1->Selected();
    mtreeadd->SetEnabled(selected != nullptr);
    mtreekill->SetEnabled(selected != nullptr && selected != RootNode());
    mtreecmp->SetEnabled(RootNode() != nullptr);
}

// A right press selects and lists the node under the pointer, as a click does: the menu that
// opens then acts on the node the user pointed at and sees highlighted.
void TForm1::tree1MouseDown(TComponent*, TMouseButton button, TShiftState, int x, int y) {
    if (button != TMouseButton::mbRight) return;
    if (TTreeNode* node = tree1->GetNodeAt(x, y)) {
        tree1->SetSelected(node);
        tree1Click(nullptr);
    }
    EnableTreeMenu();
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

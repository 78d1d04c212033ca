#include "app/frm_add.h"

#include "dialogs/message_dialog.h"
#include "encoding/code_page_conversion.h"
#include "ui/button.h"
#include "ui/edit.h"

Tfnodeadd* fnodeadd = nullptr;

Tfnodeadd::Tfnodeadd(TComponent* owner) : TForm(owner) {
    Bind("BtnokClick", &Tfnodeadd::BtnokClick);
    LoadLayoutOf("Tfnodeadd");
    ledtname = Find<TLabeledEdit>("ledtname");
    ledtvalue = Find<TLabeledEdit>("ledtvalue");
    Btnok = Find<TBitBtn>("Btnok");
    BitBtn1 = Find<TBitBtn>("BitBtn1");
}

void Tfnodeadd::BtnokClick(TComponent*) {
    if (ledtname->Text().empty() || ledtvalue->Text().empty()) {
        ShowMessageDialog(Ansi("关键字名或关键字值不能为空"), MsgWarning, ButtonOK, 0);
        return;
    }
    if (OnAccept && !OnAccept()) return;
    SetTag(1);
    RequestClose();
}

void Tfnodeadd::SetFileCodePage(TCodePage codePage) {
    ledtname->SetTextCodePage(codePage);
    ledtvalue->SetTextCodePage(codePage);
}

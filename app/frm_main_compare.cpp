// Comparing the loaded file with another: the command that asks for the other file and opens
// the compare view in place of the ordinary one, which comes back when it closes.
#include "app/compare_view.h"
#include "app/frm_main.h"
#include "dialogs/open_dialog.h"
#include "encoding/code_page_conversion.h"
#include "platform/beep.h"
#include "ui/panel.h"
#include "ui/splitter.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

// Made when first wanted, so that a window that never compares holds no hidden controls.
TCompareView& TForm1::CompareView() {
    if (!compare_) {
        compare_ = std::make_unique<TCompareView>(
            *this, std::initializer_list<TControl*>{tree1, Splitter1, ListView1, StatusLine}, document_);
        compare_->OnClosed = [this] {
            if (tree1->CanFocus()) tree1->SetFocus();
        };
    }
    return *compare_;
}

bool TForm1::Comparing() const { return compare_ && compare_->Showing(); }

void TForm1::CompareWithFile() {
    if (CurrentIniPath.empty() || Loading()) {
        SoundDefaultBeep();
        return;
    }
    if (FindBarShowing()) CloseFindBar();
    PrepareOpenDialog();
    const std::string title = dlgopen->Title();
    dlgopen->SetTitle(Ansi("选择要比较的文件"));
    const bool chosen = dlgopen->RunOpenDialog();
    dlgopen->SetTitle(title);
    if (!chosen) return;
    RememberOpenFolder();
    CompareView().Open(CurrentIniPath, dlgopen->FileName());
}

void TForm1::BtncmpClick(TComponent*) { CompareWithFile(); }

void TForm1::mtreecmpClick(TComponent*) { CompareWithFile(); }

// Copying the selection: a row as its key line reads, a section node as its name.
#include "app/frm_main.h"
#include "platform/clipboard.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

void TForm1::CopySelectedRow() {
    TListItem* row = ListView1->Selected();
    if (!row) return;
    PutClipboardText(row->Caption() + "=" + ValueInFile(*row), row->CodePage());
}

void TForm1::CopySelectedNode() {
    if (TTreeNode* node = tree1->Selected()) PutClipboardText(node->Text(), node->CodePage());
}

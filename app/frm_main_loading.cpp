// Loading a file into the section tree, and listing the selected section's keys.
#include "app/frm_main.h"
#include "app/update_bracket.h"
#include "dialogs/message_dialog.h"
#include "dialogs/open_dialog.h"
#include "inifile/ini_file.h"
#include "platform/code_page_conversion.h"
#include "text/byte_text.h"
#include "text/file_names.h"
#include "text/string_list.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

namespace {
const std::string kByteOrderMark = "\xEF\xBB\xBF";
}

TTreeNode* TForm1::RootNode() const { return tree1->Items().GetFirstNode(); }

void TForm1::LoadIniFile() {
    std::string path = ledtfname->Text();
    if (path.empty()) return;
    if (!FilePresent(path)) {
        ShowMessageDialog(Ansi("不存在这个文件！"), MsgWarning, ButtonOK, 0);
        ledtfname->SetFocus();
        return;
    }
    std::string previousPath = CurrentIniPath;
    CurrentIniPath = path;
    TStringList lines;
    try {
        lines.LoadLinesFromFile(CurrentIniPath);
    } catch (...) {
        // The tree still shows the previous file, so the commands stay on it.
        CurrentIniPath = previousPath;
        throw;
    }
    TTreeNode* root;
    {
        UpdateBracket<TTreeNodes> bracket(tree1->Items());
        tree1->Items().Clear();
        root = tree1->Items().AddChild(nullptr, FileNameOfPath(CurrentIniPath));
        root->SetImageIndex(0);
        const std::string close = "]";
        for (int i = 0; i < lines.LineCount(); ++i) {
            std::string_view view = lines.LineView(i);
            // A byte-order mark is no part of the first line's text: the INI service skips it
            // too, and a header behind it must not go missing from the tree.
            if (i == 0 && view.substr(0, kByteOrderMark.size()) == kByteOrderMark)
                view.remove_prefix(kByteOrderMark.size());
            // A header is a line whose first byte is "["; only those are worth a copy.
            if (view.empty() || view.front() != '[') continue;
            std::string line(view);
            int p = TextFind(close, line);
            TTreeNode* node = tree1->Items().AddChild(root, TextSlice(line, 2, p - 2));
            node->SetImageIndex(1);
            node->SetSelectedIndex(1);
        }
    }
    ListView1->Items().Clear();
    ShowLoadedFile(*root);
    root->Expand(true);
    if (root->Count() > 0) {
        tree1->SetSelected(root->Item(0));
        tree1Click(nullptr);
    }
}

void TForm1::BtnliuClick(TComponent*) {
    PrepareOpenDialog();
    if (!dlgopen->RunOpenDialog()) return;
    RememberOpenFolder();
    ledtfname->SetText(dlgopen->FileName());
    LoadIniFile();
}

void TForm1::ledtfnameKeyDown(TComponent*, uint16_t& key, TShiftState) {
    if (key == vk::Return) LoadIniFile();
}

void TForm1::tree1Click(TComponent*) {
    TTreeNode* node = tree1->Selected();
    if (!node) return;
    if (node == RootNode()) {
        ListView1->Items().Clear();
        return;
    }
    const std::string section = node->Text();
    TIniFile ini(CurrentIniPath);
    TStringList keys;
    ini.ReadKeyNames(section, keys);
    UpdateBracket<TListItems> bracket(ListView1->Items());
    ListView1->Items().Clear();
    for (int i = 0; i < keys.LineCount(); ++i) {
        std::string key = keys.LineAt(i);
        TListItem* row = ListView1->Items().Add();
        row->SetCaption(key);
        row->SubItems().Add(ini.ReadValue(section, key, ""));
        row->SetImageIndex(2);
    }
}

// Loading a file into the section tree, and listing the selected section's keys.
#include <optional>

#include "app/frm_main.h"
#include "app/update_bracket.h"
#include "dialogs/message_dialog.h"
#include "dialogs/open_dialog.h"
#include "inifile/ini_file.h"
#include "inifile/ini_text.h"
#include "platform/code_page.h"
#include "platform/code_page_conversion.h"
#include "platform/encoding_memory.h"
#include "platform/encodings.h"
#include "platform/profile/profile_service.h"
#include "text/byte_text.h"
#include "text/file_names.h"
#include "text/string_list.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

// Why a file read in encoding can only be read; empty when it can be written.
std::string ReadOnlyReason(std::string_view bytes, const TFileEncoding& verdict, const TFileEncoding& encoding) {
    if (IsUtf16(encoding.codePage)) return Ansi("UTF-16 编码的文件只能查看，不能修改。");
    if (!encoding.SameAs(verdict) && !ReadsInCodePage(bytes, encoding.codePage))
        return Ansi("文件内容不是所选的 ") + EncodingDisplayName(encoding.codePage, encoding.bomLength) +
               Ansi(" 编码，写入会混用两种编码：只能查看，不能修改。");
    return {};
}

}  // namespace

TTreeNode* TForm1::RootNode() const { return tree1->Items().GetFirstNode(); }

int TForm1::FileCodePage() const {
    if (readOnlyText_) return CodePageUtf8;
    return encoding_.codePage != 0 ? encoding_.codePage : AnsiCodePage();
}

void TForm1::LoadIniFile() {
    std::string path = ledtfname->Text();
    if (path.empty()) return;
    if (!FilePresent(path)) {
        ShowMessageDialog(Ansi("不存在这个文件！"), MsgWarning, ButtonOK, 0);
        ledtfname->SetFocus();
        return;
    }
    // A file that cannot be read changes nothing: the commands stay on the file shown.
    std::string bytes = LoadFileText(path);
    CurrentIniPath = path;
    // Decided once per load: the remembered choice holds while the bytes give the same verdict.
    const TFileEncoding verdict = DetectEncoding(bytes, UserEncodingHints());
    const std::optional<int> chosen = TEncodingMemory::OfUser().Recall(path, verdict);
    const TFileEncoding encoding = chosen ? ChosenEncoding(bytes, *chosen) : verdict;
    ShowFile(std::move(bytes), verdict, encoding, 0);
}

void TForm1::ShowFile(std::string bytes, const TFileEncoding& verdict, const TFileEncoding& encoding, int sectionIndex) {
    encoding_ = encoding;
    lineEnds_ = DetectLineEnds(bytes, encoding.codePage);
    readOnlyText_.reset();
    readOnlyReason_ = ReadOnlyReason(bytes, verdict, encoding);
    TStringList lines;
    if (IsUtf16(encoding.codePage)) {
        // The profile-file service reads 8-bit code pages only: the file is shown from its
        // text in UTF-8 and never written.
        std::string text = CodePageToUtf8(std::string_view(bytes).substr(size_t(encoding.bomLength)), encoding.codePage);
        readOnlyText_ = std::make_unique<TIniText>(CurrentIniPath, text, CodePageUtf8);
        lines.TakeLines(std::move(text));
    } else {
        lines.TakeLines(std::move(bytes));
    }
    tree1->SetReadOnly(!readOnlyReason_.empty());
    ListView1->SetReadOnly(!readOnlyReason_.empty());
    ShowSections(lines);
    ShowEncoding();
    ListView1->Items().Clear();
    TTreeNode* root = RootNode();
    ShowLoadedFile(*root);
    root->Expand(true);
    if (root->Count() > 0) {
        tree1->SetSelected(root->Item(sectionIndex < root->Count() ? sectionIndex : 0));
        tree1Click(nullptr);
    }
}

void TForm1::ShowSections(const TStringList& lines) {
    const int codePage = FileCodePage();
    UpdateBracket<TTreeNodes> bracket(tree1->Items());
    tree1->Items().Clear();
    // The file name is a path: in the locale's code page, not the file's.
    TTreeNode* root = tree1->Items().AddChild(nullptr, FileNameOfPath(CurrentIniPath));
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
        // The trail byte of a double-byte character may be "]": it does not end the name.
        int p = TextFind(close, line, codePage);
        TTreeNode* node = tree1->Items().AddChild(root, TextSlice(line, 2, p - 2), codePage);
        node->SetImageIndex(1);
        node->SetSelectedIndex(1);
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
    // The file is checked against the disk once for the whole list, not once per value.
    ProfileBatch action;
    std::optional<TIniFile> file;
    TCustomIniFile& ini = readOnlyText_ ? static_cast<TCustomIniFile&>(*readOnlyText_)
                                        : file.emplace(CurrentIniPath, FileCodePage());
    TStringList keys;
    ini.ReadKeyNames(section, keys);
    UpdateBracket<TListItems> bracket(ListView1->Items());
    ListView1->Items().Clear();
    for (int i = 0; i < keys.LineCount(); ++i) {
        std::string key = keys.LineAt(i);
        TListItem* row = ListView1->Items().Add(FileCodePage());
        row->SetCaption(key);
        row->SubItems().Add(ini.ReadValue(section, key, ""));
        row->SetImageIndex(2);
    }
}

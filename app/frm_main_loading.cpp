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
#include "platform/file_watch.h"
#include "text/byte_text.h"
#include "text/file_names.h"
#include "text/string_list.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/screen.h"
#include "ui/tree_view.h"

namespace {

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
    ReadAndShow(path, {});
}

void TForm1::ReadAndShow(const std::string& path, const TViewPlace& place) {
    // A file of millions of lines takes a moment to read and index.
    TBusyCursor busy;
    // Taken before the read: a change while reading shows as a change still to follow.
    const FileStamp before = TIniFile(path, FileCodePage()).StampNow();
    // A file that cannot be read changes nothing: the commands stay on the file shown.
    std::string bytes = LoadFileText(path);
    CurrentIniPath = path;
    shownStamp_ = before;
    fileGone_ = false;
    if (watch_->Path() != path) watch_->Watch(path);
    // Decided once per load: the remembered choice holds while the bytes give the same verdict.
    const TFileEncoding verdict = DetectEncoding(bytes, UserEncodingHints());
    const std::optional<int> chosen = TEncodingMemory::OfUser().Recall(path, verdict);
    const TFileEncoding encoding = chosen ? ChosenEncoding(bytes, *chosen) : verdict;
    ShowFile(std::move(bytes), verdict, encoding, place);
}

void TForm1::ShowFile(std::string bytes, const TFileEncoding& verdict, const TFileEncoding& encoding,
                      const TViewPlace& place) {
    encoding_ = encoding;
    lineEnds_ = DetectLineEnds(bytes, encoding.codePage);
    readOnlyText_.reset();
    readOnlyReason_ = ReadOnlyReason(bytes, verdict, encoding);
    if (IsUtf16(encoding.codePage)) {
        // The profile-file service reads 8-bit code pages only: the file is shown from its
        // text in UTF-8 and never written.
        std::string text = CodePageToUtf8(std::string_view(bytes).substr(size_t(encoding.bomLength)), encoding.codePage);
        readOnlyText_ = std::make_unique<TIniText>(CurrentIniPath, std::move(text), CodePageUtf8);
    }
    // The service reads the file for itself: this copy would only double the memory the view needs.
    std::string().swap(bytes);
    tree1->SetReadOnly(!readOnlyReason_.empty());
    ListView1->SetReadOnly(!readOnlyReason_.empty());
    ShowEncoding();
    // The tree and the list show the file as a reader of it sees it: every section the reader
    // finds, by the name it finds, and every key line.
    ShowView(place);
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

void TForm1::tree1Click(TComponent*) { ListSection(std::nullopt); }

// The status line: the shown file's encoding and line ends, and another encoding chosen for it.
#include "app/frm_main.h"
#include "dialogs/message_dialog.h"
#include "platform/code_page.h"
#include "platform/code_page_conversion.h"
#include "platform/encoding_memory.h"
#include "platform/encodings.h"
#include "text/string_list.h"
#include "ui/combo_box.h"
#include "ui/label.h"
#include "ui/tree_view.h"

void TForm1::ShowEncoding() {
    std::vector<std::string> names;
    encodingChoices_.clear();
    bool listed = false;
    for (const TEncoding& encoding : Encodings()) {
        const bool current = encoding.codePage == encoding_.codePage;
        if (!encoding.choosable && !current) continue;
        listed = listed || current;
        encodingChoices_.push_back(encoding.codePage);
        names.push_back(EncodingDisplayName(encoding.codePage, current ? encoding_.bomLength : 0));
    }
    if (!listed) {
        encodingChoices_.push_back(encoding_.codePage);
        names.push_back(EncodingDisplayName(encoding_.codePage, encoding_.bomLength));
    }
    EncodingBox->SetItems(std::move(names));
    for (size_t i = 0; i < encodingChoices_.size(); ++i)
        if (encodingChoices_[i] == encoding_.codePage) EncodingBox->SetItemIndex(int(i));
    EncodingBox->SetEnabled(true);
    // A file shown anew, or gone: what was saved before is old news.
    savedNote_.clear();
    ShowFileStatus();
}

void TForm1::EncodingBoxChange(TComponent*) {
    const int index = EncodingBox->ItemIndex();
    // A listing under way is replaced by the reload; a load, which leaves the box disabled, is not.
    if (index < 0 || size_t(index) >= encodingChoices_.size() || CurrentIniPath.empty() || load_) return;
    try {
        // Read again, nothing written: the same bytes under the chosen code page, kept for the
        // next load of the file.
        ReadAndShow(CurrentIniPath, Place(), encodingChoices_[size_t(index)]);
    } catch (...) {
        // The view stays as it was, and so does the status line.
        ShowEncoding();
        throw;
    }
}

bool TForm1::RefusedAsReadOnly() {
    if (load_) {
        ShowMessageDialog(Ansi("文件还在读取中，读完后再试。"), MsgInformation, ButtonOK, 0);
        return true;
    }
    if (Loading()) {
        ShowMessageDialog(Ansi("关键字还在列出中，列完后再试。"), MsgInformation, ButtonOK, 0);
        return true;
    }
    if (fileGone_) {
        ShowMessageDialog(Ansi("文件已被删除或移走，不能修改。它回来后按 F5 重新载入。"), MsgWarning, ButtonOK, 0);
        return true;
    }
    if (readOnlyReason_.empty()) return false;
    ShowMessageDialog(readOnlyReason_, MsgInformation, ButtonOK, 0);
    return true;
}

std::string TForm1::ForMessage(const std::string& text) const {
    return ShownInCodePage(text, FileCodePage(), AnsiCodePage());
}

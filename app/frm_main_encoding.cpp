// The status line: the shown file's encoding and line ends, and another encoding chosen for it.
#include "app/frm_main.h"
#include "dialogs/message_dialog.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encoding_memory.h"
#include "encoding/encodings.h"
#include "engine/write_access.h"
#include "text/string_list.h"
#include "ui/combo_box.h"
#include "ui/label.h"
#include "ui/tree_view.h"

namespace {

// Why a command writes nothing to a file whose bytes must not be written.
std::string RefusalMessage(TContentRefusal refusal, const TFileEncoding& encoding) {
    switch (refusal) {
        case TContentRefusal::OtherEncoding:
            return Ansi("文件内容不是所选的 ") + EncodingDisplayName(encoding.codePage, encoding.bomLength) +
                   Ansi(" 编码，写入会混用两种编码：只能查看，不能修改。");
        case TContentRefusal::Binary:
            return Ansi("文件开头含有 NUL 字节，不是文本文件：只能查看，不能修改。");
        case TContentRefusal::None: break;
    }
    return {};
}

}  // namespace

void TForm1::ShowEncoding() {
    std::vector<std::string> names;
    encodingChoices_.clear();
    bool listed = false;
    for (const TEncoding& encoding : Encodings()) {
        const bool current = encoding.codePage == document_->Encoding().codePage;
        if (!encoding.choosable && !current) continue;
        listed = listed || current;
        encodingChoices_.push_back(encoding.codePage);
        names.push_back(EncodingDisplayName(encoding.codePage, current ? document_->Encoding().bomLength : 0));
    }
    if (!listed) {
        encodingChoices_.push_back(document_->Encoding().codePage);
        names.push_back(EncodingDisplayName(document_->Encoding().codePage, document_->Encoding().bomLength));
    }
    EncodingBox->SetItems(std::move(names));
    for (size_t i = 0; i < encodingChoices_.size(); ++i)
        if (encodingChoices_[i] == document_->Encoding().codePage) EncodingBox->SetItemIndex(int(i));
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
    if (document_->Gone()) {
        ShowMessageDialog(Ansi("文件已被删除或移走，不能修改。它回来后按 F5 重新载入。"), MsgWarning, ButtonOK, 0);
        return true;
    }
    if (document_->ContentRefusal() == TContentRefusal::None) return false;
    ShowMessageDialog(RefusalMessage(document_->ContentRefusal(), document_->Encoding()), MsgInformation, ButtonOK, 0);
    return true;
}

void TForm1::FollowWriteAccess() {
    if (document_->FollowWriteAccess() && !Loading()) ShowFileStatus();
}

std::string TForm1::ForMessage(const std::string& text) const {
    return ShownInCodePage(text, FileCodePage(), AnsiCodePage());
}

// The status line under the views: the shown file's line ends and state, and for a moment after
// each write what was saved, so that every change to the file is seen to happen.
#include "app/frm_main.h"
#include "encoding/code_page_conversion.h"
#include "encoding/line_ends.h"
#include "ui/label.h"
#include "ui/tree_view.h"
#include "ui/timer.h"

namespace {

constexpr int kSavedShownMilliseconds = 4000;

std::string LineEndsName(TLineEnds ends) {
    switch (ends) {
        case TLineEnds::CrLf: return "CRLF";
        case TLineEnds::Lf: return "LF";
        case TLineEnds::Cr: return "CR";
        case TLineEnds::Mixed: return Ansi("混合");
        case TLineEnds::None: break;
    }
    return Ansi("无");
}

// What the status line says after "只读".
std::string ReadOnlyNote(TContentRefusal content, IniFailure write) {
    switch (content) {
        case TContentRefusal::OtherEncoding: return Ansi("内容不是所选编码");
        case TContentRefusal::Binary: return Ansi("含 NUL 字节，不是文本文件");
        case TContentRefusal::None: break;
    }
    switch (write) {
        case IniFailure::PermissionDenied: return Ansi("没有写入权限");
        case IniFailure::ReadOnlyFileSystem: return Ansi("文件系统只读");
        case IniFailure::ReadOnlyFile: return Ansi("文件没有可写属性");
        default: return {};
    }
}

}  // namespace

void TForm1::ShowFileStatus() {
    std::string status = Ansi("换行符 ") + LineEndsName(document_->LineEnds());
    if (const std::string why = ReadOnlyNote(document_->ContentRefusal(), document_->WriteRefusal()); !why.empty())
        status += Ansi("　只读：") + why;
    if (document_->Gone()) status += Ansi("　文件已被删除或移走");
    else if (document_->ReloadOwed()) status += Ansi("　文件有改动，等它可读后重新载入…");
    if (!savedNote_.empty()) status += Ansi("　") + savedNote_;
    LineEndLabel->SetCaption(status);
}

void TForm1::ShowSaved(const std::string& what) {
    savedNote_ = Ansi("已保存：") + what;
    ShowFileStatus();
    if (!savedNoteTimer_) savedNoteTimer_ = std::make_unique<TTimer>(this);
    savedNoteTimer_->Start(kSavedShownMilliseconds, [this] {
        savedNoteTimer_->Stop();
        savedNote_.clear();
        if (!Loading()) ShowFileStatus();
    });
}

std::string TForm1::SavedKey(const TTreeNode& node, const std::string& key) const {
    return "[" + ForMessage(node.Text()) + "] " + ForMessage(key);
}

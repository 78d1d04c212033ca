// The status line under the views: the shown file's line ends and state, and for a moment after
// each write what was saved, so that every change to the file is seen to happen.
#include "app/frm_main.h"
#include "platform/code_page_conversion.h"
#include "platform/line_ends.h"
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

}  // namespace

void TForm1::ShowFileStatus() {
    std::string status = Ansi("换行符 ") + LineEndsName(lineEnds_);
    if (!readOnlyReason_.empty()) status += Ansi("　只读");
    if (fileGone_) status += Ansi("　文件已被删除或移走");
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

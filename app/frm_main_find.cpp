// Finding in the whole file from the find bar: the file is read and searched in steps, with
// the window's events served between them, so that a very large file never freezes the window.
#include <algorithm>
#include <fstream>

#include "app/find_bar.h"
#include "engine/ini_find.h"
#include "app/frm_main.h"
#include "platform/beep.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "shell/application.h"
#include "text/byte_text.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/panel.h"
#include "ui/splitter.h"
#include "ui/timer.h"
#include "ui/tree_view.h"

namespace {

// About what one step reads or searches: a few milliseconds of work.
constexpr std::size_t StepBytes = 4u << 20;
// How long typing in the find bar pauses before the text is searched for.
constexpr int kTypingPauseMilliseconds = 300;

}  // namespace

// Made when first wanted, so that a window never searched in holds no hidden controls.
TFindBar& TForm1::FindBar() {
    if (!findBar_) {
        findBar_ = std::make_unique<TFindBar>(*this, *StatusLine, std::initializer_list<TControl*>{tree1, Splitter1, ListView1});
        findBar_->FilterOption().OnClick = [this](TComponent*) { FilterSections(); };
        findBar_->PreviousButton().OnClick = [this](TComponent*) { FindPrevious(); };
        findBar_->NextButton().OnClick = [this](TComponent*) { FindNext(); };
        findBar_->CloseButton().OnClick = [this](TComponent*) { CloseFindBar(); };
        findBar_->Edit().OnChange = [this](TComponent*) { FindTextTyped(); };
    }
    return *findBar_;
}

bool TForm1::FindBarShowing() const { return findBar_ && findBar_->Showing(); }

void TForm1::OpenFindBar() {
    if (!FindBar().HasFocus(ActiveControl())) focusBeforeFind_ = ActiveControl();
    KeepFindTextInFileCodePage();
    findBar_->Show();
}

// The text to find is bytes in the shown file's code page: another file's keeps its characters.
void TForm1::KeepFindTextInFileCodePage() {
    TEdit& edit = FindBar().Edit();
    if (edit.TextCodePage() == FileCodePage()) return;
    const std::optional<std::string> text = Utf8ToCodePage(CodePageToUtf8(edit.Text(), edit.TextCodePage()), FileCodePage());
    edit.SetTextCodePage(FileCodePage());
    edit.SetText(text.value_or(std::string()));
}

void TForm1::CloseFindBar() {
    FindBar().Hide();
    ShowAllSections();
    TWinControl* back = focusBeforeFind_ ? focusBeforeFind_ : tree1;
    if (back->CanFocus()) back->SetFocus();
}

// Typing searches once it pauses, so that each keystroke does not start a search of its own.
void TForm1::FindTextTyped() {
    if (!findTyped_) findTyped_ = std::make_unique<TTimer>(this);
    findTyped_->Start(kTypingPauseMilliseconds, [this] {
        findTyped_->Stop();
        SearchTypedText();
    });
}

void TForm1::SearchTypedText() {
    if (!FindBarShowing() || !RootNode()) return;
    const std::string& needle = findBar_->Edit().Text();
    if (needle.empty()) {
        ShowAllSections();
        ForgetFind();
        return;
    }
    if (!search_ || search_->Needle() != needle) RunSearch(needle);
}

void TForm1::FindNext() { StepThroughMatches(+1); }

void TForm1::FindPrevious() { StepThroughMatches(-1); }

// A new text is searched for first; the same text moves on through its matches, round the
// end of the file once the search is whole.
void TForm1::StepThroughMatches(int direction) {
    if (!FindBarShowing() && !search_) {
        OpenFindBar();
        return;
    }
    // A search the typing pause still holds back runs now.
    if (findTyped_) findTyped_->Stop();
    const std::string& needle = FindBar().Edit().Text();
    if (needle.empty() || !RootNode()) return;
    if (!search_ || search_->Needle() != needle) {
        RunSearch(needle);
        return;
    }
    const int count = int(search_->MatchCount());
    int next = currentMatch_ + direction;
    if (next < 0 || next >= count) {
        if (!search_->Done() || count == 0) {
            SoundDefaultBeep();
            return;
        }
        next = (next + count) % count;
    }
    GoToMatch(next);
}

// Serves the window's events; false when the search is no longer wanted afterwards.
bool TForm1::ServeEventsDuringSearch(const std::shared_ptr<IniFind>& search) {
    Application->DispatchNextMessage();
    return search_ == search && !Application->QuitRequested();
}

std::optional<std::string> TForm1::ReadFileForSearch(const std::shared_ptr<IniFind>& placeholder) {
    std::ifstream in(CurrentIniPath, std::ios::binary | std::ios::ate);
    std::string bytes;
    bytes.reserve(std::size_t(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    for (std::size_t got = StepBytes; in && got == StepBytes;) {
        const std::size_t at = bytes.size();
        bytes.resize(at + StepBytes);
        in.read(bytes.data() + at, std::streamsize(StepBytes));
        got = std::size_t(in.gcount());
        bytes.resize(at + got);
        if (!ServeEventsDuringSearch(placeholder)) return std::nullopt;
    }
    // A file the service cannot read is searched as the views show it.
    if (IsUtf16(document_->Encoding().codePage))
        bytes = CodePageToUtf8(std::string_view(bytes).substr(size_t(document_->Encoding().bomLength)), document_->Encoding().codePage);
    return bytes;
}

void TForm1::RunSearch(const std::string& needle) {
    ShowAllSections();
    currentMatch_ = -1;
    FindBar().ShowState(Ansi("正在查找…"));
    // Whoever starts another search, edits or loads meanwhile replaces this one.
    auto reading = std::make_shared<IniFind>(std::string(), needle, FileCodePage());
    search_ = reading;
    std::optional<std::string> bytes = ReadFileForSearch(reading);
    if (!bytes) return;
    auto search = std::make_shared<IniFind>(std::move(*bytes), needle, FileCodePage());
    search_ = search;
    while (!search->Step(StepBytes)) {
        if (currentMatch_ < 0 && search->MatchCount() > 0) GoToMatch(0);
        else ShowFindState();
        if (!ServeEventsDuringSearch(search)) return;
    }
    if (currentMatch_ < 0 && search->MatchCount() > 0) GoToMatch(0);
    ShowFindState();
    FilterSections();
}

void TForm1::ShowFindState() {
    if (!findBar_) return;
    if (!search_) {
        findBar_->ShowState("");
        return;
    }
    const std::size_t count = search_->MatchCount();
    std::string state;
    if (count == 0) state = search_->Done() ? Ansi("找不到") : Ansi("正在查找…");
    else state = std::to_string(currentMatch_ + 1) + "/" + std::to_string(count) + (search_->Done() ? "" : "…");
    findBar_->ShowState(state);
}

// The match's section selected and listed, and its row when a key line matched.
void TForm1::GoToMatch(int index) {
    const IniFindMatch match = search_->Match(size_t(index));
    currentMatch_ = index;
    ShowFindState();
    TTreeNode* root = RootNode();
    if (!root || match.section >= root->Count()) return;
    TTreeNode* node = root->Item(match.section);
    node->SetHidden(false);
    tree1->SetSelected(node);
    if (match.isHeader) {
        tree1Click(nullptr);
        return;
    }
    const IniFind::KeyPlace place = search_->KeyPlaceOf(match);
    // A big section may be listed on a thread of its own: its row is selected once it is shown,
    // unless another match or search has been asked for meanwhile.
    ListSection(std::nullopt, nullptr, [this, place, search = search_, index] {
        if (search != search_ || currentMatch_ != index) return;
        const TCodePage codePage = FileCodePage();
        const std::string wanted = AsciiLower(place.name, codePage);
        int first = -1;
        int seen = 0;
        TListItems& rows = ListView1->Items();
        for (int i = 0; i < rows.Count(); ++i) {
            if (TextCompare(AsciiLower(rows.CaptionOf(i), codePage), wanted) != 0) continue;
            if (first < 0) first = i;
            if (seen++ == place.occurrence) {
                first = i;
                break;
            }
        }
        if (first >= 0) ListView1->SetSelected(rows.Item(first));
    });
}

void TForm1::FilterSections() {
    TTreeNode* root = RootNode();
    if (!root || !search_ || !search_->Done() || !findBar_ || !findBar_->FilterOption().Checked()) {
        ShowAllSections();
        return;
    }
    const std::vector<bool> matched = search_->SectionsMatched();
    for (int i = 0; i < root->Count(); ++i) root->Item(i)->SetHidden(size_t(i) >= matched.size() || !matched[size_t(i)]);
    // A hidden section's keys are not shown either: with no match, the list is empty.
    if (TTreeNode* selected = tree1->Selected(); selected && selected->Hidden()) {
        tree1->SetSelected(nullptr);
        StopListing();
        ListView1->Items().Clear();
        listedKeys_.reset();
    }
}

void TForm1::ShowAllSections() {
    if (TTreeNode* root = RootNode())
        for (int i = 0; i < root->Count(); ++i) root->Item(i)->SetHidden(false);
}

void TForm1::ForgetFind() {
    if (findBar_) KeepFindTextInFileCodePage();
    search_.reset();
    currentMatch_ = -1;
    ShowFindState();
}

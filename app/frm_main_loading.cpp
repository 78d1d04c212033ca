// Loading a file into the section tree, and listing the selected section's keys.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "app/compare_view.h"
#include "app/file_load.h"
#include "app/frm_main.h"
#include "app/section_listing.h"
#include "dialogs/message_dialog.h"
#include "dialogs/open_dialog.h"
#include "inifile/ini_file.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encoding_memory.h"
#include "encoding/encodings.h"
#include "platform/file_watch.h"
#include "text/byte_text.h"
#include "text/file_names.h"
#include "text/string_list.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/list_view.h"
#include "ui/screen.h"
#include "ui/timer.h"
#include "ui/tree_view.h"

namespace {

// How often a load under way is looked at, and how long it runs before it says how far it is.
constexpr int kProgressMilliseconds = 100;
constexpr auto kQuietLoad = std::chrono::seconds(1);
// How long a click waits for a listing on its own thread before it lets the window go on:
// most listings end within it and show at once, as if listed between two events.
constexpr auto kListingWait = std::chrono::milliseconds(40);

}  // namespace

TTreeNode* TForm1::RootNode() const { return tree1->Items().GetFirstNode(); }

TCodePage TForm1::FileCodePage() const {
    return document_->TextCodePage();
}

void TForm1::LoadIniFile() {
    std::string path = ledtfname->Text();
    if (path.empty()) return;
    if (!FilePresent(path)) {
        ShowMessageDialog(Ansi("不存在这个文件！"), MsgWarning, ButtonOK, 0);
        ledtfname->SetFocus();
        return;
    }
    // Another file is loaded into the ordinary view.
    if (compare_) compare_->Close();
    ReadAndShow(path, {});
}

void TForm1::ReadAndShow(const std::string& path, const TViewPlace& place, std::optional<TCodePage> chosenCodePage,
                         bool quiet) {
    TFileLoad::TRequest request{path, {UserEncodingHints(), TEncodingMemory::OfUser(), chosenCodePage, true},
                                [place](const IniListing& sections) { return SectionToShow(sections, place, true); }};
    // A file that cannot be opened changes nothing: the view, the commands and a load under
    // way stay on what they were.
    auto load = std::make_unique<TFileLoad>(std::move(request));
    StopLoad();
    StopListing();
    // A small file is read at once. So is none while a replaced load or listing still holds the service.
    if (load->Size() < TFileLoad::BackgroundBytes && replacedLoads_.empty() && listings_.empty()) {
        TBusyCursor busy;
        ShowLoaded(load->RunHere(), place);
        return;
    }
    // Nothing of the file shown before stays to be acted on meanwhile.
    ForgetFind();
    ListView1->Items().Clear();
    listedKeys_.reset();
    tree1->Items().Clear();
    EncodingBox->SetEnabled(false);
    LineEndLabel->SetCaption("");
    load_ = std::move(load);
    loadPlace_ = place;
    loadQuiet_ = quiet;
    loadStarted_ = std::chrono::steady_clock::now();
    loadCursor_ = std::make_unique<TBusyCursor>();
    loadProgress_->Start(kProgressMilliseconds, [this] { ShowLoadProgress(); });
    TFileLoad* started = load_.get();
    load_->Start([this, started] { PostCall([this, started] { LoadEnded(started); }); });
}

void TForm1::StopLoad() {
    if (!load_) return;
    load_->Cancel();
    replacedLoads_.push_back(std::move(load_));
    StopWaitSigns();
}

void TForm1::StopWaitSigns() {
    loadProgress_->Stop();
    loadCursor_.reset();
    if (!progressShown_) return;
    progressShown_ = false;
    if (!CurrentIniPath.empty()) ShowEncoding();
}

void TForm1::LoadEnded(TFileLoad* load) {
    if (load != load_.get()) {
        // A replaced load: its thread is over.
        std::erase_if(replacedLoads_, [load](const std::unique_ptr<TFileLoad>& replaced) { return replaced.get() == load; });
        return;
    }
    const std::unique_ptr<TFileLoad> ended = std::move(load_);
    loadProgress_->Stop();
    loadCursor_.reset();
    progressShown_ = false;
    TLoadedFile file;
    try {
        file = ended->TakeResult();
    } catch (const Exception&) {
        if (!loadQuiet_) throw;
        AwaitReadableFile();
        return;
    } catch (...) {
        // The view is empty: no file is shown, and the status line says nothing of one.
        CurrentIniPath.clear();
        SetCaption(titleAlone_);
        LineEndLabel->SetCaption("");
        throw;
    }
    ShowLoaded(std::move(file), loadPlace_);
}

void TForm1::ShowLoadProgress() {
    if (!Loading() || std::chrono::steady_clock::now() - loadStarted_ < kQuietLoad) return;
    const int seconds = int(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - loadStarted_).count());
    const std::string name = load_ ? FileNameOfPath(load_->Path()) : std::string();
    std::string status;
    switch (load_ ? load_->Phase() : TLoadPhase::Listing) {
        case TLoadPhase::Reading: status = Ansi("正在读取 ") + name + Ansi("… ") + std::to_string(load_->PercentRead()) + "%"; break;
        case TLoadPhase::Parsing: status = Ansi("正在分析 ") + name + Ansi("…"); break;
        case TLoadPhase::Listing:
        case TLoadPhase::Done: status = Ansi("正在列出关键字…"); break;
    }
    LineEndLabel->SetCaption(status + Ansi("（已用 ") + std::to_string(seconds) + Ansi(" 秒）"));
    progressShown_ = true;
}

bool TForm1::ListingMayTakeLong() const {
    // A replaced listing or load still holds the service: waiting for it here would freeze the window.
    if (!listings_.empty() || !replacedLoads_.empty()) return true;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(CurrentIniPath, error);
    return !error && size >= TFileLoad::BackgroundBytes;
}

void TForm1::StartListing(const TTreeNode& node, const std::optional<TShownName>& row, std::function<void()> shown) {
    const SectionRef section = RefOf(node);
    const std::uint64_t id = ++lastListingId_;
    auto listing = std::make_unique<TSectionListing>(CurrentIniPath, document_->EngineCodePage(), std::string(section.name),
                                                     section.occurrence,
                                                     [this, id] { PostCall([this, id] { ListingEnded(id); }); });
    TSectionListing& started = *listing;
    listings_.emplace(id, std::move(listing));
    if (started.WaitFor(kListingWait)) {
        // Its posted end finds it no longer awaited.
        ShowKeys(started.TakeResult(), row);
        if (shown) shown();
        return;
    }
    listingId_ = id;
    listingRow_ = row;
    listingShown_ = std::move(shown);
    loadStarted_ = std::chrono::steady_clock::now();
    loadCursor_ = std::make_unique<TBusyCursor>();
    loadProgress_->Start(kProgressMilliseconds, [this] { ShowLoadProgress(); });
}

void TForm1::StopListing() {
    if (listingId_ == 0) return;
    if (const auto awaited = listings_.find(listingId_); awaited != listings_.end()) awaited->second->Cancel();
    listingId_ = 0;
    listingShown_ = nullptr;
    StopWaitSigns();
}

void TForm1::ListingEnded(std::uint64_t id) {
    const auto ended = listings_.find(id);
    if (ended == listings_.end()) return;
    const std::unique_ptr<TSectionListing> listing = std::move(ended->second);
    listings_.erase(ended);
    if (id != listingId_) return;
    const std::function<void()> shown = std::move(listingShown_);
    StopListing();
    ShowKeys(listing->TakeResult(), listingRow_);
    if (shown) shown();
}

void TForm1::ShowLoaded(TLoadedFile file, const TViewPlace& place) {
    file.document->ContinueHistoryOf(*document_);
    document_ = std::move(file.document);
    // A reload of the shown file is no new use of it.
    const bool anotherFile = CurrentIniPath != document_->Path();
    CurrentIniPath = document_->Path();
    if (watch_->Path() != CurrentIniPath) watch_->Watch(CurrentIniPath);
    const bool readOnly = document_->ContentRefusal() != TContentRefusal::None;
    tree1->SetReadOnly(readOnly);
    ListView1->SetReadOnly(readOnly);
    ShowEncoding();
    if (anotherFile) RememberRecentFile();
    // The tree and the list show the file as a reader of it sees it: every section the reader
    // finds, by the name it finds, and every key line.
    ShowLists(file.sections, place, true, std::move(file.keys));
}

void TForm1::BtnliuClick(TComponent*) {
    PrepareOpenDialog();
    if (!dlgopen->RunOpenDialog()) return;
    RememberOpenFolder();
    ledtfname->SetText(dlgopen->FileName());
    // As if the path had been typed: the focus where a typed path leaves it.
    ledtfname->SetFocus();
    LoadIniFile();
}

void TForm1::ledtfnameKeyDown(TComponent*, uint16_t& key, TShiftState) {
    if (key == vk::Return) LoadIniFile();
    if (key == vk::Down) DropDownRecentFiles();
}

void TForm1::tree1Click(TComponent*) { ListSection(std::nullopt); }

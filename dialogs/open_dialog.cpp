#include "dialogs/open_dialog.h"

#include <algorithm>
#include <vector>

#include "dialogs/dialog_placement.h"
#include "dialogs/filter_buffer.h"
#include "text/file_names.h"
#include "text/lead_bytes.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"

namespace {

// The platform's '/' counts as a separator beside '\'.
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool EndsWithSeparator(const std::string& text) {
    return !text.empty() && IsSeparator(text.back()) && ByteKind(text, int(text.size())) != ByteKindTrail;
}

// An item that names its own folder: rooted, or with a drive.
bool IsRooted(const std::string& item) {
    return (!item.empty() && IsSeparator(item[0])) || (item.size() >= 4 && item[1] == ':' && IsSeparator(item[2]));
}

// The items of a file buffer up to its end: the first zero byte of a space-separated list,
// the empty item of a zero-separated one.
std::vector<std::string> ChosenItems(const std::string& buffer, char separator) {
    std::vector<std::string> items;
    for (size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
        const size_t end = std::min({FindSeparator(buffer, separator, at), buffer.find('\0', at), buffer.size()});
        if (end > at) items.push_back(buffer.substr(at, end - at));
        if (end >= buffer.size() || (buffer[end] == '\0' && separator != '\0')) break;
        at = end + 1;
    }
    return items;
}

// The extension of a file name without its dot; empty when it has none.
std::string ExtensionWithoutDot(const std::string& path) {
    const int at = FindLastSeparator("\\:/.", path);
    return at > 0 && path[size_t(at - 1)] == '.' ? path.substr(size_t(at)) : std::string();
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}

std::string TOpenDialog::FileName() const {
    if (!Handle() || !NewStyleShell) return fileName_;
    std::string path = Handle()->CurrentPath();
    // Asked through a buffer of SingleFileBufferSize + 1 bytes.
    return path.size() <= size_t(SingleFileBufferSize) ? path : std::string();
}

int32_t TOpenDialog::FilterIndex() const { return Handle() ? currentFilterIndex_ : filterIndex_; }

void TOpenDialog::SetInitialDir(const std::string& dir) {
    const size_t n = dir.size();
    const bool dropLast = n > 1 && EndsWithSeparator(dir) && dir[n - 2] != ':';
    initialDir_ = dropLast ? dir.substr(0, n - 1) : dir;
}

bool TOpenDialog::RunOpenDialog() {
    chosenFiles_.RemoveAll();
    TFileChooserRequest record;
    record.Filter = BuildFilterBuffer(filter_);
    record.FilterIndex = filterIndex_;
    currentFilterIndex_ = filterIndex_;
    record.MaxFile = options_.Has(ofAllowMultiSelect) ? MultiFileBufferSize : SingleFileBufferSize;
    record.File.assign(size_t(record.MaxFile) + 2, '\0');
    std::copy_n(fileName_.begin(), std::min(fileName_.size(), size_t(record.MaxFile)), record.File.begin());
    record.InitialDir = initialDir_;
    record.Title = title_;
    record.Flags = ChooserFlagsOf(options_);
    if (NewStyleShell)
        record.FlagsEx = ChooserFlagsExOf(optionsEx_);
    else
        record.Flags &= ~ChooserNewStyle;
    record.DefaultExt = defaultExt_;
    if (record.DefaultExt.empty() && !(record.Flags & ChooserNewStyle))
        record.DefaultExt = ExtensionWithoutDot(fileName_);
    record.Observer = this;

    if (!RunTaskModal(chooser_, record)) return false;
    CollectFileNames(record);
    options_.Set(ofExtensionDifferent, record.Flags & ChooserExtensionDifferent);
    options_.Set(ofReadOnly, record.Flags & ChooserReadOnly);
    filterIndex_ = record.FilterIndex;
    return true;
}

void TOpenDialog::CollectFileNames(const TFileChooserRequest& record) {
    const bool multi = options_.Has(ofAllowMultiSelect);
    const char separator = multi && (options_.Has(ofOldStyleDialog) || !NewStyleShell) ? ' ' : '\0';
    const std::vector<std::string> items = ChosenItems(std::string(record.File.begin(), record.File.end()), separator);
    const std::string first = items.empty() ? std::string() : items.front();
    if (!multi || items.size() < 2) {
        fileName_ = first;
        chosenFiles_.AppendLine(first);
        return;
    }
    const std::string folder = EndsWithSeparator(first) ? first : first + '/';
    for (size_t i = 1; i < items.size(); ++i)
        chosenFiles_.AppendLine(IsRooted(items[i]) ? items[i] : folder + items[i]);
    fileName_ = chosenFiles_.LineAt(0);
}

TRect TOpenDialog::StaticAreaRect() const {
    if (!Handle()) return TRect{};
    // Our chooser reserves no area of its own, so all of it is free.
    const TChooserRect client = Handle()->ClientRect();
    return TRect{0, 0, client.Width, client.Height};
}

// ---------------------------------------------------------------- notifications

bool TOpenDialog::DoCanClose() {
    bool canClose = true;
    if (OnCanClose) OnCanClose(this, canClose);
    return canClose;
}

void TOpenDialog::DoSelectionChange() {
    if (OnSelectionChange) OnSelectionChange(this);
}

void TOpenDialog::DoFolderChange() {
    if (OnFolderChange) OnFolderChange(this);
}

void TOpenDialog::DoTypeChange() {
    if (OnTypeChange) OnTypeChange(this);
}

bool TOpenDialog::DoIncludeItem(const TChooserItem& item) {
    bool include = true;
    if (OnIncludeItem) OnIncludeItem(this, item, include);
    return include;
}

void TOpenDialog::ChooserInitDone(TChooserWindow& window) noexcept {
    TakeOver(window);
    CatchErrors(this, [&] {
        PlaceDialogOnMonitor(window, ActiveAtStart());
        DoShow();
    });
}

void TOpenDialog::ChooserSelectionChanged() noexcept {
    CatchErrors(this, [&] { DoSelectionChange(); });
}

void TOpenDialog::ChooserFolderChanged() noexcept {
    CatchErrors(this, [&] { DoFolderChange(); });
}

void TOpenDialog::ChooserTypeChanged(const TFileChooserRequest& record) noexcept {
    if (record.FilterIndex == currentFilterIndex_) return;
    currentFilterIndex_ = record.FilterIndex;
    CatchErrors(this, [&] { DoTypeChange(); });
}

bool TOpenDialog::ChooserFileOk(const TFileChooserRequest& record) noexcept {
    // The names are there for the can-close handler only; a successful run collects them
    // again, and a refusal leaves nothing behind.
    bool canClose = true;
    const std::string kept = fileName_;
    CatchErrors(this, [&] {
        CollectFileNames(record);
        canClose = DoCanClose();
    });
    chosenFiles_.RemoveAll();
    fileName_ = kept;
    return canClose;
}

bool TOpenDialog::ChooserIncludeItem(const TChooserItem& item) noexcept {
    bool include = true;
    CatchErrors(this, [&] { include = DoIncludeItem(item); });
    return include;
}

void TOpenDialog::ChooserClosing() noexcept {
    CatchErrors(this, [&] { DoClose(); });
    Release();
}

// ---------------------------------------------------------------- layouts

bool TOpenDialog::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "DefaultExt") SetDefaultExt(value.AsText());
    else if (name == "FileName") SetFileName(value.AsText());
    else if (name == "Filter") SetFilter(value.AsText());
    else if (name == "FilterIndex") SetFilterIndex(value.AsInt());
    else if (name == "InitialDir") SetInitialDir(value.AsText());
    else if (name == "Title") SetTitle(value.AsText());
    else if (name == "Options") SetOptions(OpenOptionsOfLayout(value));
    else if (name == "OptionsEx") SetOptionsEx(OpenOptionsExOfLayout(value));
    else if (name == "OnFolderChange") OnFolderChange = reader.Handler<TNotifyEvent>(value);
    else if (name == "OnSelectionChange") OnSelectionChange = reader.Handler<TNotifyEvent>(value);
    else if (name == "OnTypeChange") OnTypeChange = reader.Handler<TNotifyEvent>(value);
    else return TCommonDialog::ApplyProperty(name, value, reader);
    return true;
}

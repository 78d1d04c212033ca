#include "platform/file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/display_text.h"
#include "platform/file_chooser_seam.h"

namespace {

std::function<void(QFileDialog&)>& ShownHook() {
    static std::function<void(QFileDialog&)> hook;
    return hook;
}

// The zero-separated items of a buffer, up to the empty item that ends it.
std::vector<std::string> ZeroSeparatedItems(const std::string& buffer) {
    std::vector<std::string> items;
    for (size_t at = 0; at < buffer.size();) {
        size_t end = buffer.find('\0', at);
        if (end == std::string::npos) end = buffer.size();
        if (end == at) break;
        items.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    return items;
}

// One entry per description and pattern pair, in the toolkit's "description (patterns)" form.
QStringList NameFiltersOf(const std::string& buffer) {
    const std::vector<std::string> items = ZeroSeparatedItems(buffer);
    QStringList filters;
    for (size_t i = 0; i + 1 < items.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : ToDisplay(items[i + 1]).split(u';', Qt::SkipEmptyParts))
            if (!p.trimmed().isEmpty()) patterns << p.trimmed();
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        filters << ToDisplay(items[i]) + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

bool HasFlag(const TFileChooserRequest& request, uint32_t flag) { return (request.Flags & flag) != 0; }

std::string SuffixOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot + 1);
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

// Lists only what the observer lets through.
class IncludeFilter : public QSortFilterProxyModel {
public:
    IncludeFilter(TChooserObserver& observer, QObject* parent) : QSortFilterProxyModel(parent), observer_(observer) {}

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QModelIndex index = files->index(row, 0, parent);
        const std::optional<std::string> path = FromDisplay(files->filePath(index));
        if (!path) return true;
        return observer_.ChooserIncludeItem(TChooserItem{*path, files->isDir(index)});
    }

private:
    TChooserObserver& observer_;
};

class ChooserDialog final : public QFileDialog, public TChooserWindow {
public:
    ChooserDialog(QWidget* parent, TFileChooserRequest& request) : QFileDialog(parent), request_(request) {
        connect(this, &QDialog::finished, this, [this] { NotifyClosing(); });
    }
    // Also when the owner window takes the chooser down with it while it is open.
    ~ChooserDialog() override { NotifyClosing(); }

    TChooserRect WindowRect() const override {
        const QRect r = frameGeometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    TChooserRect ClientRect() const override { return {0, 0, width(), height()}; }
    void MoveWindow(int left, int top) override {
        if (UsesWidgets()) move(left, top);
    }
    std::string CurrentPath() const override {
        const QStringList files = selectedFiles();
        return files.isEmpty() ? std::string() : FromDisplay(files.first()).value_or(std::string());
    }

    bool ResultStored() const { return stored_; }
    bool UsesWidgets() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) != nullptr; }

protected:
    // The toolkit's own checks have passed when this runs with Accepted.
    void done(int result) override {
        if (result == Accepted) {
            const QStringList files = selectedFiles();
            if (HasFlag(request_, ChooserPathMustExist) && !files.isEmpty() &&
                !QFileInfo(files.first()).absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     tr("%1\nPath does not exist.\nCheck the path and try again.")
                                         .arg(QFileInfo(files.first()).absolutePath()));
                return;
            }
            stored_ = StoreResult(files);
            if (stored_ && request_.Observer && !request_.Observer->ChooserFileOk(request_)) {
                stored_ = false;
                // The desktop's own chooser has already gone when it reports the choice.
                if (!UsesWidgets()) {
                    hide();
                    show();
                }
                return;
            }
        }
        QFileDialog::done(result);
    }

private:
    void NotifyClosing() {
        if (closingNotified_ || !request_.Observer) return;
        closingNotified_ = true;
        request_.Observer->ChooserClosing();
    }

    // Writes the choice in the layout that the record promises. A path that the code page
    // cannot hold can't be returned at all, so the run fails like a cancel; so does a choice
    // longer than the buffer.
    bool StoreResult(const QStringList& files) {
        if (files.isEmpty()) return false;
        QStringList items;
        if (HasFlag(request_, ChooserAllowMultiSelect) && files.size() > 1) {
            items << QFileInfo(files.first()).absolutePath();
            for (const QString& file : files) items << QFileInfo(file).fileName();
        } else {
            items << files.first();
        }
        std::string bytes;
        const char separator = HasFlag(request_, ChooserAllowMultiSelect) && !HasFlag(request_, ChooserNewStyle) ? ' ' : '\0';
        for (qsizetype i = 0; i < items.size(); ++i) {
            std::optional<std::string> item = FromDisplay(items[i]);
            if (!item) {
                request_.Error = TChooserError::Unrepresentable;
                return false;
            }
            if (i > 0) bytes += separator;
            bytes += *item;
        }
        // The buffer also holds the ending zero byte, and a list a second one.
        const size_t needed = bytes.size() + (items.size() > 1 && separator == '\0' ? 2 : 1);
        if (needed > size_t(request_.MaxFile) || request_.File.size() < needed) {
            request_.Error = TChooserError::BufferTooSmall;
            return false;
        }
        std::fill(request_.File.begin(), request_.File.end(), '\0');
        std::copy(bytes.begin(), bytes.end(), request_.File.begin());
        request_.Error = TChooserError::None;

        const bool different = !request_.DefaultExt.empty() && !SameIgnoringAsciiCase(SuffixOf(bytes), request_.DefaultExt);
        request_.Flags = different ? request_.Flags | ChooserExtensionDifferent : request_.Flags & ~ChooserExtensionDifferent;
        return true;
    }

    TFileChooserRequest& request_;
    bool stored_ = false;
    bool closingNotified_ = false;
};

void Configure(ChooserDialog& dialog, const TFileChooserRequest& request) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (HasFlag(request, ChooserAllowMultiSelect)) dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (HasFlag(request, ChooserFileMustExist)) dialog.setFileMode(QFileDialog::ExistingFile);
    else dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontResolveSymlinks, HasFlag(request, ChooserNoDereferenceLinks));
    if (HasFlag(request, ChooserForceShowHidden)) dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (request.FlagsEx & ChooserExNoPlacesBar) dialog.setSidebarUrls({});
    if (!request.Title.empty()) dialog.setWindowTitle(ToDisplay(request.Title));
    if (!request.DefaultExt.empty()) dialog.setDefaultSuffix(ToDisplay(request.DefaultExt));
    dialog.setSizeGripEnabled(HasFlag(request, ChooserEnableSizing));

    // Without filters the toolkit would offer one of its own.
    const QStringList filters = NameFiltersOf(request.Filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        const int index = request.FilterIndex >= 1 && request.FilterIndex <= filters.size() ? request.FilterIndex : 1;
        dialog.selectNameFilter(filters.at(index - 1));
    }

    // A name with a folder opens in that folder; otherwise in the initial folder.
    const std::vector<char>& file = request.File;
    QString name = ToDisplay(std::string(file.data(), strnlen(file.data(), file.size())));
    QString folder = request.InitialDir.empty() ? QString() : ToDisplay(request.InitialDir);
    if (name.contains(u'/')) {
        const QFileInfo info(QDir(folder.isEmpty() ? QDir::currentPath() : folder), name);
        folder = info.absolutePath();
        name = info.fileName();
    }
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!name.isEmpty()) dialog.selectFile(name);

    if (request.Observer && HasFlag(request, ChooserEnableIncludeNotify))
        dialog.setProxyModel(new IncludeFilter(*request.Observer, &dialog));
}

// Settings that need the chooser's widgets, which exist once it is shown.
void ConfigureShown(ChooserDialog& dialog, const TFileChooserRequest& request) {
    if (!dialog.UsesWidgets()) return;
    if (!HasFlag(request, ChooserEnableSizing)) dialog.setFixedSize(dialog.size());
    if (dialog.nameFilters().isEmpty())
        for (const char* name : {"fileTypeCombo", "fileTypeLabel"})
            if (auto* widget = dialog.findChild<QWidget*>(QLatin1String(name))) widget->hide();
}

void Connect(ChooserDialog& dialog, TFileChooserRequest& request) {
    TChooserObserver* observer = request.Observer;
    if (!observer) return;
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [observer] { observer->ChooserSelectionChanged(); });
    // The toolkit's own chooser reports only folders entered by a double click; its model
    // also sees folders that were typed or reached with the back button.
    auto folderChanged = [observer, last = std::make_shared<QString>()](const QString& folder) {
        if (folder == *last) return;
        *last = folder;
        observer->ChooserFolderChanged();
    };
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, folderChanged);
    if (auto* files = dialog.findChild<QFileSystemModel*>())
        QObject::connect(files, &QFileSystemModel::rootPathChanged, &dialog, folderChanged);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request, observer](const QString& filter) {
        const int index = int(dialog.nameFilters().indexOf(filter));
        if (index < 0) return;
        request.FilterIndex = index + 1;
        observer->ChooserTypeChanged(request);
    });
}

}  // namespace

void SetFileChooserShownHook(std::function<void(QFileDialog&)> hook) { ShownHook() = std::move(hook); }

bool RunFileChooser(TFileChooserRequest& request) {
    request.Error = TChooserError::None;
    // Transient for the active window; our other windows are blocked by the caller, not here.
    QPointer<ChooserDialog> dialog = new ChooserDialog(QApplication::activeWindow(), request);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setWindowModality(Qt::NonModal);
    Configure(*dialog, request);

    bool finished = false;
    QEventLoop loop;
    auto stop = [&finished, &loop] {
        finished = true;
        loop.quit();
    };
    QObject::connect(dialog, &QDialog::finished, &loop, stop);
    QObject::connect(dialog, &QObject::destroyed, &loop, stop);

    dialog->show();
    if (dialog) {
        ConfigureShown(*dialog, request);
        Connect(*dialog, request);
    }
    if (dialog && request.Observer) request.Observer->ChooserInitDone(*dialog);
    if (dialog && ShownHook()) ShownHook()(*dialog);
    if (!finished) loop.exec(QEventLoop::DialogExec);

    bool chosen = false;
    if (dialog) {
        chosen = dialog->result() == QDialog::Accepted && dialog->ResultStored();
        if (chosen) {
            const int index = int(dialog->nameFilters().indexOf(dialog->selectedNameFilter()));
            if (index >= 0) request.FilterIndex = index + 1;
        }
        delete dialog.data();
    }
    if (!chosen && request.Error == TChooserError::None) request.Error = TChooserError::Cancelled;
    return chosen;
}

#include "platform/file_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "encoding/code_page.h"
#include "platform/display_text.h"
#include "platform/file_chooser_seam.h"
#include "platform/folder_listing.h"

namespace {

std::function<void(QDialog&)>& ShownHook() {
    static std::function<void(QDialog&)> hook;
    return hook;
}

constexpr int NameRole = Qt::UserRole + 1;      // an entry's name, as its bytes
constexpr int IsFolderRole = Qt::UserRole + 2;

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

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One entry of the type list: "description (patterns)", and its patterns as bytes.
struct TFilterEntry {
    QString shown;
    std::vector<std::string> patterns;
};

std::vector<TFilterEntry> FiltersOf(const std::string& buffer) {
    const std::vector<std::string> items = ZeroSeparatedItems(buffer);
    std::vector<TFilterEntry> filters;
    for (size_t i = 0; i + 1 < items.size(); i += 2) {
        TFilterEntry filter;
        for (size_t at = 0; at <= items[i + 1].size();) {
            size_t end = items[i + 1].find(';', at);
            if (end == std::string::npos) end = items[i + 1].size();
            const std::string pattern = Trimmed(items[i + 1].substr(at, end - at));
            if (!pattern.empty()) filter.patterns.push_back(pattern);
            at = end + 1;
        }
        if (filter.patterns.empty()) filter.patterns.push_back("*");
        QStringList shownPatterns;
        for (const std::string& pattern : filter.patterns) shownPatterns << ToDisplay(pattern);
        filter.shown = ToDisplay(items[i]) + QStringLiteral(" (") + shownPatterns.join(u' ') + u')';
        filters.push_back(std::move(filter));
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
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// An absolute path without "." and ".." and without a trailing "/", its bytes as they are.
std::string NormalPath(const std::string& path) {
    std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    std::string text = normal.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

std::string CurrentFolder() {
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    return error ? std::string("/") : folder;
}

// The names in the name field: one name, or several each in double quotes.
QStringList NamesInField(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(u'"')) return trimmed.isEmpty() ? QStringList() : QStringList{trimmed};
    QStringList names;
    for (const QString& part : trimmed.split(u'"', Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty()) names << part;
    return names;
}

// The chooser's texts are those of the toolkit's own file dialog, so that the toolkit's
// translation shows them in the user's language. A label keeps its access key: the English
// marks it in place, a translation without one gets it as "(&X)" before its colon.
QString ChooserText(const char* source, QChar accessKey = {}) {
    QString text = QCoreApplication::translate("QFileDialog", source);
    if (accessKey.isNull() || text.contains(u'&')) return text;
    if (text == QLatin1String(source)) return text.insert(text.indexOf(accessKey, 0, Qt::CaseInsensitive), u'&');
    const bool colon = text.endsWith(u':') || text.endsWith(QChar(0xFF1A));
    return text.insert(colon ? text.size() - 1 : text.size(), QStringLiteral("(&") + accessKey.toUpper() + u')');
}

// The chooser: a folder, its entries listed by the bytes of their names (shown in the
// locale's code page), a name field and the type list. An entry picked in the list is
// returned with its own bytes, so that a name the locale's code page cannot show still opens.
class ChooserDialog final : public QDialog, public TChooserWindow {
public:
    ChooserDialog(QWidget* parent, TFileChooserRequest& request)
        : QDialog(parent), request_(request), filters_(FiltersOf(request.Filter)) {
        setObjectName(QStringLiteral("fileChooser"));
        setWindowTitle(request.Title.empty() ? ChooserText("Open") : ToDisplay(request.Title));
        setSizeGripEnabled(HasFlag(request, ChooserEnableSizing));
        const int index = request.FilterIndex;
        filterIndex_ = index >= 1 && index <= int(filters_.size()) ? index - 1 : 0;
        Build();
        StartIn(request);
        connect(this, &QDialog::finished, this, [this] { NotifyClosing(); });
    }
    // Also when the owner window takes the chooser down with it while it is open.
    ~ChooserDialog() override { NotifyClosing(); }

    TChooserRect WindowRect() const override {
        const QRect r = frameGeometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    TChooserRect ClientRect() const override { return {0, 0, width(), height()}; }
    void MoveWindow(int left, int top) override { move(left, top); }
    std::string CurrentPath() const override {
        const std::optional<std::vector<std::string>> paths = ChosenPaths();
        return paths && !paths->empty() ? paths->front() : std::string();
    }

    bool ResultStored() const { return stored_; }
    // 1-based; 0 when there are no filters.
    int FilterIndex() const { return filters_.empty() ? 0 : filterIndex_ + 1; }
    // The chooser is on the screen: from now on observers hear of the folders entered.
    void NoteShown() { shown_ = true; }

private:
    void Build();
    void StartIn(const TFileChooserRequest& request);
    // Lists folder; observers hear of it when it is another folder than before.
    void EnterFolder(const std::string& folder);
    void ListEntries();
    void ShowFolderChoices();
    void PickedInList();
    void Activated(const QModelIndex& index);
    void TypeChosen(int index);
    // The Open button, or Enter.
    void Accept();
    // The paths the name field (or the entries picked in the list) stand for; nullopt when a
    // typed name holds a character the locale's code page cannot hold.
    std::optional<std::vector<std::string>> ChosenPaths() const;
    bool Refused(const std::vector<std::string>& paths);
    bool StoreResult(const std::vector<std::string>& paths);
    void NotifyClosing() {
        if (closingNotified_ || !request_.Observer) return;
        closingNotified_ = true;
        request_.Observer->ChooserClosing();
    }

    TFileChooserRequest& request_;
    std::vector<TFilterEntry> filters_;
    int filterIndex_ = 0;
    std::string folder_;
    bool shown_ = false;
    // The names picked in the list as the field shows them, with their bytes.
    std::vector<std::pair<QString, std::string>> picked_;
    bool stored_ = false;
    bool closingNotified_ = false;

    QComboBox* lookIn_ = nullptr;
    QListView* list_ = nullptr;
    QStandardItemModel* entries_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* types_ = nullptr;
};

void ChooserDialog::Build() {
    auto* grid = new QGridLayout(this);
    lookIn_ = new QComboBox;
    lookIn_->setObjectName(QStringLiteral("lookInCombo"));
    auto* up = new QToolButton;
    up->setObjectName(QStringLiteral("toParentButton"));
    up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    up->setToolTip(ChooserText("Parent Directory"));
    auto* lookInLabel = new QLabel(ChooserText("Look in:", u'i'));
    lookInLabel->setBuddy(lookIn_);
    auto* top = new QHBoxLayout;
    top->addWidget(lookIn_, 1);
    top->addWidget(up);
    grid->addWidget(lookInLabel, 0, 0);
    grid->addLayout(top, 0, 1, 1, 2);

    list_ = new QListView;
    list_->setObjectName(QStringLiteral("listView"));
    list_->setAccessibleName(ChooserText("Files"));
    entries_ = new QStandardItemModel(list_);
    list_->setModel(entries_);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(HasFlag(request_, ChooserAllowMultiSelect) ? QAbstractItemView::ExtendedSelection
                                                                       : QAbstractItemView::SingleSelection);
    grid->addWidget(list_, 1, 0, 1, 3);

    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("fileNameEdit"));
    auto* nameLabel = new QLabel(ChooserText("File &name:"));
    nameLabel->setBuddy(name_);
    types_ = new QComboBox;
    types_->setObjectName(QStringLiteral("fileTypeCombo"));
    for (const TFilterEntry& filter : filters_) types_->addItem(filter.shown);
    types_->setCurrentIndex(filters_.empty() ? -1 : filterIndex_);
    auto* typesLabel = new QLabel(ChooserText("Files of type:", u't'));
    typesLabel->setObjectName(QStringLiteral("fileTypeLabel"));
    typesLabel->setBuddy(types_);
    // Without filters there is nothing to choose: every file is listed.
    types_->setVisible(!filters_.empty());
    typesLabel->setVisible(!filters_.empty());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Open)->setDefault(true);
    grid->addWidget(nameLabel, 2, 0);
    grid->addWidget(name_, 2, 1);
    grid->addWidget(typesLabel, 3, 0);
    grid->addWidget(types_, 3, 1);
    grid->addWidget(buttons, 2, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    resize(560, 360);

    connect(up, &QToolButton::clicked, this, [this] { EnterFolder(ParentFolder(folder_)); });
    connect(lookIn_, &QComboBox::activated, this,
            [this](int index) { EnterFolder(lookIn_->itemData(index).toByteArray().toStdString()); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { PickedInList(); });
    connect(list_, &QListView::doubleClicked, this, [this](const QModelIndex& index) { Activated(index); });
    connect(types_, &QComboBox::activated, this, [this](int index) { TypeChosen(index); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setTabOrder(name_, types_);
    name_->setFocus();
}

// A name with a folder opens in that folder; otherwise in the initial folder, or the current.
void ChooserDialog::StartIn(const TFileChooserRequest& request) {
    const std::vector<char>& file = request.File;
    std::string name(file.data(), strnlen(file.data(), file.size()));
    std::string folder = request.InitialDir.empty() ? CurrentFolder() : request.InitialDir;
    if (!folder.empty() && folder.front() != '/') folder = JoinPath(CurrentFolder(), folder);
    if (const size_t slash = name.rfind('/'); slash != std::string::npos) {
        folder = name.front() == '/' ? name.substr(0, slash + 1) : JoinPath(folder, name.substr(0, slash + 1));
        name = name.substr(slash + 1);
    }
    folder = NormalPath(folder);
    if (!IsFolder(folder)) folder = CurrentFolder();
    folder_ = folder;
    ListEntries();
    ShowFolderChoices();
    name_->setText(ToDisplay(name));
}

void ChooserDialog::EnterFolder(const std::string& folder) {
    const std::string normal = NormalPath(folder);
    if (normal == folder_ || !IsFolder(normal)) return;
    folder_ = normal;
    picked_.clear();
    ListEntries();
    ShowFolderChoices();
    if (shown_ && request_.Observer) request_.Observer->ChooserFolderChanged();
}

void ChooserDialog::ListEntries() {
    const bool includeNotify = request_.Observer && HasFlag(request_, ChooserEnableIncludeNotify);
    std::vector<std::pair<QString, TFolderEntry>> shown;
    for (TFolderEntry& entry : ListFolder(folder_, HasFlag(request_, ChooserForceShowHidden))) {
        if (!entry.isFolder && !filters_.empty() && !MatchesAnyPattern(entry.name, filters_[size_t(filterIndex_)].patterns))
            continue;
        if (includeNotify && !request_.Observer->ChooserIncludeItem(TChooserItem{JoinPath(folder_, entry.name), entry.isFolder}))
            continue;
        shown.emplace_back(ToDisplay(entry.name), std::move(entry));
    }
    // Folders first, each group by name.
    std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
        if (a.second.isFolder != b.second.isFolder) return a.second.isFolder;
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    entries_->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const auto& [text, entry] : shown) {
        auto* item = new QStandardItem(entry.isFolder ? folderIcon : fileIcon, text);
        item->setData(QByteArray::fromStdString(entry.name), NameRole);
        item->setData(entry.isFolder, IsFolderRole);
        entries_->appendRow(item);
    }
}

// The folder and each folder above it, the folder itself first.
void ChooserDialog::ShowFolderChoices() {
    lookIn_->clear();
    for (std::string folder = folder_;; folder = ParentFolder(folder)) {
        lookIn_->addItem(ToDisplay(folder), QByteArray::fromStdString(folder));
        if (folder == "/" || folder == ".") break;
    }
    lookIn_->setCurrentIndex(0);
}

void ChooserDialog::PickedInList() {
    picked_.clear();
    QStringList names;
    for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) {
        if (index.data(IsFolderRole).toBool()) continue;
        picked_.emplace_back(index.data().toString(), index.data(NameRole).toByteArray().toStdString());
        names << index.data().toString();
    }
    if (names.size() == 1) name_->setText(names.front());
    else if (names.size() > 1) name_->setText(u'"' + names.join(QStringLiteral("\" \"")) + u'"');
    if (request_.Observer) request_.Observer->ChooserSelectionChanged();
}

void ChooserDialog::Activated(const QModelIndex& index) {
    if (!index.isValid()) return;
    if (index.data(IsFolderRole).toBool()) EnterFolder(JoinPath(folder_, index.data(NameRole).toByteArray().toStdString()));
    else Accept();
}

void ChooserDialog::TypeChosen(int index) {
    if (index < 0 || index == filterIndex_) return;
    filterIndex_ = index;
    request_.FilterIndex = index + 1;
    ListEntries();
    if (request_.Observer) request_.Observer->ChooserTypeChanged(request_);
}

std::optional<std::vector<std::string>> ChooserDialog::ChosenPaths() const {
    std::vector<std::string> paths;
    for (const QString& name : NamesInField(name_->text())) {
        std::optional<std::string> bytes;
        for (const auto& [shown, entry] : picked_)
            if (shown == name) bytes = entry;
        if (!bytes) {
            bytes = FromDisplay(name);
            if (!bytes) return std::nullopt;
            if (!request_.DefaultExt.empty() && SuffixOf(*bytes).empty() && !IsFolder(JoinPath(folder_, *bytes)))
                *bytes += "." + request_.DefaultExt;
        }
        paths.push_back(NormalPath(bytes->front() == '/' ? *bytes : JoinPath(folder_, *bytes)));
    }
    return paths;
}

void ChooserDialog::Accept() {
    // Enter on a folder in the list opens it.
    const QModelIndex current = list_->currentIndex();
    if (list_->hasFocus() && current.isValid() && current.data(IsFolderRole).toBool()) {
        Activated(current);
        return;
    }
    const std::optional<std::vector<std::string>> paths = ChosenPaths();
    if (!paths) {
        // A name the locale's code page cannot hold can't be returned: the run fails.
        request_.Error = TChooserError::Unrepresentable;
        QDialog::done(Accepted);
        return;
    }
    if (paths->empty()) return;
    // A typed folder is entered.
    if (paths->size() == 1 && IsFolder(paths->front())) {
        EnterFolder(paths->front());
        name_->clear();
        return;
    }
    if (Refused(*paths)) return;
    stored_ = StoreResult(*paths);
    if (stored_ && request_.Observer && !request_.Observer->ChooserFileOk(request_)) {
        stored_ = false;
        return;
    }
    QDialog::done(Accepted);
}

// The checks the request asks for, each answered with a message; true keeps the chooser open.
bool ChooserDialog::Refused(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (HasFlag(request_, ChooserPathMustExist) && !IsFolder(ParentFolder(path))) {
            QMessageBox::warning(this, windowTitle(),
                                 ChooserText("%1\nDirectory not found.\nPlease verify the correct directory name was given.").arg(ToDisplay(ParentFolder(path))));
            return true;
        }
        if (HasFlag(request_, ChooserFileMustExist) && !std::filesystem::is_regular_file(path)) {
            QMessageBox::warning(this, windowTitle(),
                                 ChooserText("%1\nFile not found.\nPlease verify the correct file name was given.").arg(ToDisplay(path)));
            return true;
        }
    }
    return false;
}

// Writes the choice in the layout that the record promises. A choice longer than the buffer
// can't be returned at all, so the run fails like a cancel.
bool ChooserDialog::StoreResult(const std::vector<std::string>& paths) {
    std::vector<std::string> items;
    if (HasFlag(request_, ChooserAllowMultiSelect) && paths.size() > 1) {
        items.push_back(ParentFolder(paths.front()));
        for (const std::string& path : paths) items.push_back(path.substr(path.rfind('/') + 1));
    } else {
        items.push_back(paths.front());
    }
    std::string bytes;
    const char separator = HasFlag(request_, ChooserAllowMultiSelect) && !HasFlag(request_, ChooserNewStyle) ? ' ' : '\0';
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) bytes += separator;
        bytes += items[i];
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

}  // namespace

void SetFileChooserShownHook(std::function<void(QDialog&)> hook) { ShownHook() = std::move(hook); }

bool RunFileChooser(TFileChooserRequest& request) {
    request.Error = TChooserError::None;
    // Transient for the active window; our other windows are blocked by the caller, not here.
    QPointer<ChooserDialog> dialog = new ChooserDialog(QApplication::activeWindow(), request);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setWindowModality(Qt::NonModal);

    bool finished = false;
    QEventLoop loop;
    auto stop = [&finished, &loop] {
        finished = true;
        loop.quit();
    };
    QObject::connect(dialog, &QDialog::finished, &loop, stop);
    QObject::connect(dialog, &QObject::destroyed, &loop, stop);

    dialog->show();
    if (dialog) dialog->NoteShown();
    if (dialog && request.Observer) request.Observer->ChooserInitDone(*dialog);
    if (dialog && ShownHook()) ShownHook()(*dialog);
    if (!finished) loop.exec(QEventLoop::DialogExec);

    bool chosen = false;
    if (dialog) {
        chosen = dialog->result() == QDialog::Accepted && dialog->ResultStored();
        if (chosen && dialog->FilterIndex() > 0) request.FilterIndex = dialog->FilterIndex();
        delete dialog.data();
    }
    if (!chosen && request.Error == TChooserError::None) request.Error = TChooserError::Cancelled;
    return chosen;
}

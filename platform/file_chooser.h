#pragma once
// Our open-file chooser. The request record holds byte strings in the locale's code page; the
// chooser converts them at this boundary and runs in a nested loop of its own. Folders are
// listed by the bytes of their entries' names, so that every file in them is listed and opens,
// whatever its name's bytes. It blocks none of our windows: the caller disables them.
#include <cstdint>
#include <string>
#include <vector>

// Request flags.
constexpr uint32_t ChooserReadOnly = 0x1, ChooserOverwritePrompt = 0x2, ChooserHideReadOnly = 0x4,
                   ChooserNoChangeDir = 0x8, ChooserShowHelp = 0x10, ChooserEnableHook = 0x20,
                   ChooserEnableTemplate = 0x40, ChooserNoValidate = 0x100,
                   ChooserAllowMultiSelect = 0x200, ChooserExtensionDifferent = 0x400,
                   ChooserPathMustExist = 0x800, ChooserFileMustExist = 0x1000,
                   ChooserCreatePrompt = 0x2000, ChooserShareAware = 0x4000,
                   ChooserNoReadOnlyReturn = 0x8000, ChooserNoTestFileCreate = 0x10000,
                   ChooserNoNetworkButton = 0x20000, ChooserNoLongNames = 0x40000,
                   ChooserNewStyle = 0x80000, ChooserNoDereferenceLinks = 0x100000,
                   ChooserEnableIncludeNotify = 0x400000, ChooserEnableSizing = 0x800000,
                   ChooserDontAddToRecent = 0x2000000, ChooserForceShowHidden = 0x10000000;
// Extended request flags.
constexpr uint32_t ChooserExNoPlacesBar = 0x1;

// Sent to the application's window when the chooser's help is asked for.
constexpr int ChooserHelpMessageId = 0xC0F1;

enum class TChooserError { None, Cancelled, BufferTooSmall, Unrepresentable };

// A window rectangle on the screen, frame included.
struct TChooserRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

// The open chooser as its observer sees it.
class TChooserWindow {
public:
    virtual ~TChooserWindow() = default;
    virtual TChooserRect WindowRect() const = 0;
    virtual TChooserRect ClientRect() const = 0;
    // Moves without resizing, without changing the stacking order and without activating.
    // The desktop's own chooser places itself, so there it does nothing.
    virtual void MoveWindow(int left, int top) = 0;
    // The path that the chooser would return now; empty when the code page cannot hold it.
    virtual std::string CurrentPath() const = 0;
};

// An entry that the chooser is about to list.
struct TChooserItem {
    std::string Path;
    bool IsFolder = false;
};

struct TFileChooserRequest;

// Notifications from the chooser. They are called from toolkit frames and must not throw.
class TChooserObserver {
public:
    virtual ~TChooserObserver() = default;
    // The chooser is on the screen.
    virtual void ChooserInitDone(TChooserWindow& window) noexcept = 0;
    virtual void ChooserSelectionChanged() noexcept = 0;
    virtual void ChooserFolderChanged() noexcept = 0;
    // The user picked another filter; the record's FilterIndex already says which.
    virtual void ChooserTypeChanged(const TFileChooserRequest& record) noexcept = 0;
    // The user chose; the record's File holds the result. False keeps the chooser open.
    virtual bool ChooserFileOk(const TFileChooserRequest& record) noexcept = 0;
    // Asked for each entry when ChooserEnableIncludeNotify is set; false hides it.
    virtual bool ChooserIncludeItem(const TChooserItem& item) noexcept = 0;
    // The chooser is closing.
    virtual void ChooserClosing() noexcept = 0;
};

struct TFileChooserRequest {
    // Pairs of description and patterns (patterns separated by ';'), each ended by a zero
    // byte, and one more zero byte at the end. Empty: no filter entries.
    std::string Filter;
    // 1-based entry of Filter; on success the entry that the user chose.
    int FilterIndex = 0;
    // MaxFile + 2 bytes. In: the name to start with, zero-terminated. Out: the chosen path;
    // with ChooserAllowMultiSelect the folder and then each name (separated by zero bytes,
    // or by spaces without ChooserNewStyle), ended by an extra zero byte.
    std::vector<char> File;
    int MaxFile = 0;
    std::string InitialDir;  // empty: the chooser decides
    std::string Title;       // empty: the chooser's own
    uint32_t Flags = 0;      // on success ChooserReadOnly and ChooserExtensionDifferent tell
    uint32_t FlagsEx = 0;
    std::string DefaultExt;  // without the dot; empty: none
    TChooserObserver* Observer = nullptr;
    TChooserError Error = TChooserError::None;
};

// Runs the chooser until the user chooses or cancels. True when a result is in the record;
// false on cancel or failure, with the reason in Error.
bool RunFileChooser(TFileChooserRequest& request);

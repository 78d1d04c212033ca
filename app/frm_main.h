#pragma once
// The main window: the file-name field, the section tree, the key list and their menus, and
// the status line with the shown file's encoding.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/view_place.h"
#include "encoding/code_page.h"
#include "engine/ini_address.h"
#include "engine/ini_failure.h"
#include "ui/form.h"

class TTreeView;
class TTreeNode;
class TListView;
class TBitBtn;
class TLabeledEdit;
class TOpenDialog;
class TPopupMenu;
class TMenuItem;
class TImageList;
class TPanel;
class TLabel;
class TComboBox;
class TStringList;
class TSplitter;
class TFindBar;
class IniFind;
class TListItem;
class TFileWatch;
class IniListing;
class TFileLoad;
class TSectionListing;
struct TLoadedFile;
class TTimer;
class TBusyCursor;
class TCompareView;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }

    TTreeView* tree1;
    TListView* ListView1;
    TBitBtn* Btnliu;
    TBitBtn* Btncmp;
    TLabeledEdit* ledtfname;
    TBitBtn* BitBtn1;
    TOpenDialog* dlgopen;
    TPopupMenu* PopupMenu1;
    TMenuItem* mchang;
    TMenuItem* N1;
    TMenuItem* mkill;
    TMenuItem* madd;
    TPopupMenu* Poptree;
    TMenuItem* mtreeadd;
    TMenuItem* mtreekill;
    TMenuItem* mtreecmp;
    TImageList* ImageList1;
    TPanel* StatusLine;
    TLabel* EncodingLabel;
    TComboBox* EncodingBox;
    TLabel* LineEndLabel;
    TSplitter* Splitter1;

    void BtnliuClick(TComponent* sender);
    void tree1Click(TComponent* sender);
    void mchangClick(TComponent* sender);
    void mkillClick(TComponent* sender);
    void maddClick(TComponent* sender);
    void mtreeaddClick(TComponent* sender);
    void mtreekillClick(TComponent* sender);
    void BtncmpClick(TComponent* sender);
    void mtreecmpClick(TComponent* sender);
    void tree1MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ListView1MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ledtfnameKeyDown(TComponent* sender, uint16_t& key, TShiftState shift);
    void BitBtn1Click(TComponent* sender);
    void EncodingBoxChange(TComponent* sender);
    void Splitter1Moved(TComponent* sender);
    void ListView1DblClick(TComponent* sender);
    // In-place edits of a caption rename the section or key in the file; false keeps the old caption.
    bool tree1Edited(TTreeNode& node, const std::string& text);
    bool ListView1Edited(TListItem& row, const std::string& text);

    // Loads the file once the window is on the screen, as if its path had been typed.
    void OpenAtStart(const std::string& path);
    // The code page of the shown file's text, as the tree, the list and the commands hold it:
    // the file's own, or UTF-8 for a UTF-16 file, whose text is converted on loading.
    TCodePage FileCodePage() const;
    // A file is being read, or a section listed, on a thread of its own: the view (or the
    // list) is empty meanwhile, and the commands wait for it.
    bool Loading() const { return load_ != nullptr || listingId_ != 0; }

private:
    // A key command: the key, the modifiers held, where the focus must be, what runs.
    // Ordinary: anywhere while the ordinary view shows, not the compare view.
    enum class TKeyPlace { Anywhere, Ordinary, Tree, List, Views, FindBar };
    struct TKeyCommand {
        uint16_t key;
        TShiftState shift;
        TKeyPlace place;
        void (TForm1::*run)();
    };
    static std::span<const TKeyCommand> KeyCommands();
    void FormKeyDown(TComponent* sender, uint16_t& key, TShiftState shift);
    bool FocusIsIn(TKeyPlace place) const;
    // The commands that only keys reach.
    void BrowseForFile();
    void GoToFileName();
    void KeyMenuAtSelection();
    void SectionMenuAtSelection();
    void ModifySelectedKey();
    void DeleteSelectedKey();
    void DeleteSelectedSection();
    void UndoEdit();
    void CopySelectedRow();
    void CopySelectedNode();
    void RedoEdit();

    // Comparing with another file (frm_main_compare.cpp).
    TCompareView& CompareView();
    bool Comparing() const;
    void CompareWithFile();

    // Finding (frm_main_find.cpp).
    TFindBar& FindBar();
    bool FindBarShowing() const;
    void OpenFindBar();
    void KeepFindTextInFileCodePage();
    void CloseFindBar();
    void FindTextTyped();
    void SearchTypedText();
    void FindNext();
    void FindPrevious();
    void StepThroughMatches(int direction);
    void RunSearch(const std::string& needle);
    bool ServeEventsDuringSearch(const std::shared_ptr<IniFind>& search);
    void GoToMatch(int index);
    void ShowFindState();
    // Only the sections that match, when the option asks for it and the search is whole.
    void FilterSections();
    void ShowAllSections();
    // The file changed or another was loaded: the matches no longer stand.
    void ForgetFind();

    void ReplayEdit(ReplayDirection direction);
    void ReloadFile();

    using TShownName = ::TShownName;
    using TViewPlace = ::TViewPlace;
    // The selected section (or the root) and row.
    TViewPlace Place() const;
    // The file's section or key line that a node or row shows, as it was listed.
    SectionRef RefOf(const TTreeNode& node) const;
    KeyRef RefOf(const TTreeNode& node, const TListItem& row) const;
    // A row's value as the file holds it: with the quotes the list leaves off.
    std::string ValueInFile(const TListItem& row) const;
    // Which of sections the view selects for place: none for the root or a place gone; with no
    // place at all, the first when asked.
    static std::optional<std::size_t> SectionToShow(const IniListing& sections, const TViewPlace& place,
                                                    bool firstWhenNoPlace);
    // Rebuilds the tree and the list from the file as the service holds it, at place; a place
    // that no longer exists selects nothing; no place at all, the first section when asked.
    void ShowView(const TViewPlace& place, bool firstWhenNoPlace = true);
    // The same from lists already read; keys, when given, are those of the section selected.
    void ShowLists(IniListing sections, const TViewPlace& place, bool firstWhenNoPlace,
                   std::shared_ptr<const IniListing> keys);
    void ShowSectionNodes(std::shared_ptr<const IniListing> sections);
    // Lists the selected node's section (keys, when they have been read already), keeping row
    // selected when it still exists; then runs shown. A big file's section may be listed on a
    // thread of its own: the list is empty until its keys come.
    void ListSection(const std::optional<TShownName>& row, std::shared_ptr<const IniListing> keys = nullptr,
                     std::function<void()> shown = nullptr);
    void ShowKeys(std::shared_ptr<const IniListing> keys, const std::optional<TShownName>& row);
    // Whether listing a section could take longer than an event should.
    bool ListingMayTakeLong() const;
    void StartListing(const TTreeNode& node, const std::optional<TShownName>& row, std::function<void()> shown);
    // Run on the window's thread once a listing started on its own thread has ended.
    void ListingEnded(std::uint64_t id);
    // The listing under way ends unseen.
    void StopListing();
    // The end of the wait for a load or a listing.
    void StopWaitSigns();
    // The comments above a section's header or a key line, as a tooltip in the locale's code page.
    std::string CommentsOf(const TTreeNode& node, const TListItem* row);
    // What a command of the shown file's document did: true when it wrote. A failure wrote
    // nothing; one whose target no longer reads as shown rebuilds the view from the file and
    // tells the user; any other is reported.
    bool Written(const IniResult& result);
    // After a refused write whose target changed: the view follows the file.
    void FollowChangedFile();
    // Renames come from an in-place edit, inside the view's commit: messages come afterwards.
    // Whether the file may take one now, and what the rename did.
    bool MayRename();
    bool Renamed(const IniResult& result, const std::string& name, bool section);
    // Notes from the file watch.
    void FileChangedOutside();
    bool Busy() const;

    void LoadIniFile();
    // Reads the shown file again (its encoding decided as on a load), keeping the place.
    void ShowFileAgain();
    // The same for a change another program made: a file that cannot be read yet (its writer
    // holds its lock) is read again a moment later, the status line saying so, never a box.
    void FollowFileQuietly();
    void AwaitReadableFile();
    // Reads the file at path and shows it at place, watching it from then on; in the code page
    // the user has just chosen for it, when given. A big file is read on a thread of its own,
    // the window serving events meanwhile; a load under way is replaced.
    void ReadAndShow(const std::string& path, const TViewPlace& place,
                     std::optional<TCodePage> chosenCodePage = std::nullopt, bool quiet = false);
    // Run on the window's thread once a load started on its own thread has ended.
    void LoadEnded(TFileLoad* load);
    // The load under way stops; it ends unseen.
    void StopLoad();
    // Past a second of loading, what the load is doing and how far it is.
    void ShowLoadProgress();
    // Shows a whole load at place.
    void ShowLoaded(TLoadedFile file, const TViewPlace& place);
    // The status line for the shown file.
    void ShowEncoding();
    // Its text: the line ends, whether the file can be written, and what was just saved.
    void ShowFileStatus();
    // For a moment, what a write saved (in the locale's code page).
    void ShowSaved(const std::string& what);
    // "[section] key", as the status line names a key.
    std::string SavedKey(const TTreeNode& node, const std::string& key) const;
    // Where the view stands once a command's change is shown: where a redo comes back to.
    void NoteEditPlace();
    // True, after saying why, when the shown file can only be read or is gone.
    bool RefusedAsReadOnly();
    // The status line follows a change of the shown file's write permission.
    void FollowWriteAccess();
    // A text of the file as a message in the locale's code page shows it.
    std::string ForMessage(const std::string& text) const;
    // The loaded file named in the title, its full path in the root's tooltip.
    void ShowLoadedFile(TTreeNode& root);
    void OpenDroppedFile(const std::string& path);
    // Every loaded file goes into the desktop's recent list; the file-name field drops down
    // the ones this program loaded, newest first.
    void RememberRecentFile();
    void DropDownRecentFiles();
    // The open-file dialog starts in the loaded file's folder, else in the last one used.
    void PrepareOpenDialog();
    void RememberOpenFolder();
    // The width the user last gave the tree.
    void RestoreTreeWidth();
    // The root of the tree (node 0), or nullptr when no file is shown.
    TTreeNode* RootNode() const;
    // The tree's menu items enabled for the selection, as a right press leaves them.
    void EnableTreeMenu();
    // The key menu, enabled for the selections, opened at a screen position.
    void OpenKeyMenu(int screenX, int screenY);

    // The window's own title, which a loaded file's name goes in front of.
    std::string titleAlone_;
    // The shown file: its encoding, line ends, read-only reasons (marked in the status line)
    // and shown state, and what the commands changed in it (each document shown goes on with
    // the history of the one before). Before any load, a document of no file.
    std::unique_ptr<TDocument> document_;
    // The code page of each item of EncodingBox.
    std::vector<TCodePage> encodingChoices_;
    std::unique_ptr<TFindBar> findBar_;
    std::unique_ptr<TCompareView> compare_;
    // The search the bar shows (still running, or whole) and its match shown; null for none.
    std::shared_ptr<IniFind> search_;
    int currentMatch_ = -1;
    TWinControl* focusBeforeFind_ = nullptr;
    // The headers the tree shows and the key lines the list shows, as listed; each node and
    // row holds its index in them. A rename in place lists them again at once.
    std::shared_ptr<const IniListing> listedSections_;
    std::shared_ptr<const IniListing> listedKeys_;
    // Commands under way: a refresh waits for them.
    int commands_ = 0;
    std::unique_ptr<TFileWatch> watch_;
    // The load under way on its own thread, and where its view is to stand; null when none.
    std::unique_ptr<TFileLoad> load_;
    TViewPlace loadPlace_;
    bool loadQuiet_ = false;  // the load under way follows another program's change
    std::chrono::steady_clock::time_point loadStarted_;
    std::unique_ptr<TBusyCursor> loadCursor_;
    std::unique_ptr<TTimer> loadProgress_;
    // Loads replaced while running, until their threads have ended.
    std::vector<std::unique_ptr<TFileLoad>> replacedLoads_;
    // Listings on their own threads by number, until their ends have been seen; the one whose
    // keys are awaited (0 for none), the row it keeps and what runs once its rows are shown.
    std::map<std::uint64_t, std::unique_ptr<TSectionListing>> listings_;
    std::uint64_t listingId_ = 0;
    std::uint64_t lastListingId_ = 0;
    std::optional<TShownName> listingRow_;
    std::function<void()> listingShown_;
    // The status line tells how far a load or a listing is.
    bool progressShown_ = false;
    // What the last write saved, while the status line says so.
    std::string savedNote_;
    std::unique_ptr<TTimer> savedNoteTimer_;
    // Find as the user types, once typing pauses.
    std::unique_ptr<TTimer> findTyped_;
    // Counts a command from start to end.
    class TCommandScope {
    public:
        explicit TCommandScope(TForm1& form) : form_(form) { ++form_.commands_; }
        ~TCommandScope() { --form_.commands_; }
        TCommandScope(const TCommandScope&) = delete;
        TCommandScope& operator=(const TCommandScope&) = delete;

    private:
        TForm1& form_;
    };
};

extern TForm1* Form1;
// The path of the file whose sections the tree shows, exactly as it stood in the field.
extern std::string CurrentIniPath;

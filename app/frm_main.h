#pragma once
// The main window: the file-name field, the section tree, the key list and their menus, and
// the status line with the shown file's encoding.
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/edit_history.h"
#include "platform/encoding_detection.h"
#include "platform/line_ends.h"
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
class TIniText;
class TSplitter;
class TIniFile;
class TFindBar;
class TFindSearch;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }

    TTreeView* tree1;
    TListView* ListView1;
    TBitBtn* Btnliu;
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
    void tree1MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ListView1MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ledtfnameKeyDown(TComponent* sender, uint16_t& key, TShiftState shift);
    void BitBtn1Click(TComponent* sender);
    void EncodingBoxChange(TComponent* sender);
    void Splitter1Moved(TComponent* sender);

    // Loads the file once the window is on the screen, as if its path had been typed.
    void OpenAtStart(const std::string& path);
    // The code page of the shown file's text, as the tree, the list and the commands hold it:
    // the file's own, or UTF-8 for a UTF-16 file, whose text is converted on loading.
    int FileCodePage() const;

private:
    // A key command: the key, the modifiers held, where the focus must be, what runs.
    enum class TKeyPlace { Anywhere, Tree, List, Views, FindBar };
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

    // Finding (frm_main_find.cpp).
    TFindBar& FindBar();
    bool FindBarShowing() const;
    void OpenFindBar();
    void CloseFindBar();
    void FindNext();
    void FindPrevious();
    void StepThroughMatches(int direction);
    void RunSearch(const std::string& needle);
    std::optional<std::string> ReadFileForSearch(const std::shared_ptr<TFindSearch>& placeholder);
    bool ServeEventsDuringSearch(const std::shared_ptr<TFindSearch>& search);
    void GoToMatch(int index);
    void ShowFindState();
    // Only the sections that match, when the option asks for it and the search is whole.
    void FilterSections();
    void ShowAllSections();
    // The file changed or another was loaded: the matches no longer stand.
    void ForgetFind();

    // Keeps what a command's write changed, for undo.
    void RememberEdit(const TIniFile& ini);
    void ReplayEdit(ReplayDirection direction);
    // Reads the file again, keeping the selected section and row where they still are.
    void ShowFileAgain();

    void LoadIniFile();
    // Shows a file's bytes read in encoding; verdict is the detector's. The section at
    // sectionIndex is selected and listed, else the first.
    void ShowFile(std::string bytes, const TFileEncoding& verdict, const TFileEncoding& encoding, int sectionIndex);
    // Rebuilds the tree from the file's lines: a node for each header.
    void ShowSections(const TStringList& lines);
    // The status line for the shown file.
    void ShowEncoding();
    // True, after saying why, when the shown file can only be read.
    bool RefusedAsReadOnly();
    // A text of the file as a message in the locale's code page shows it.
    std::string ForMessage(const std::string& text) const;
    // The loaded file named in the title, its full path in the root's tooltip.
    void ShowLoadedFile(TTreeNode& root);
    void OpenDroppedFile(const std::string& path);
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
    TFileEncoding encoding_;  // what the shown bytes are read as: the detector's verdict or the user's choice
    TLineEnds lineEnds_ = TLineEnds::None;
    // The converted text of a file the profile-file service cannot read; null otherwise.
    std::unique_ptr<TIniText> readOnlyText_;
    // Why the shown file can only be read (UTF-16, or bytes that do not read in the code page
    // the user chose, where a write would mix two encodings); empty when it can be written.
    std::string readOnlyReason_;
    // The code page of each item of EncodingBox.
    std::vector<int> encodingChoices_;
    // What the commands changed, per file.
    TEditHistory history_;
    std::unique_ptr<TFindBar> findBar_;
    // The search the bar shows (still running, or whole) and its match shown; null for none.
    std::shared_ptr<TFindSearch> search_;
    int currentMatch_ = -1;
    TWinControl* focusBeforeFind_ = nullptr;
};

extern TForm1* Form1;
// The path of the file whose sections the tree shows, exactly as it stood in the field.
extern std::string CurrentIniPath;

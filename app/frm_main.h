#pragma once
// The main window: the file-name field, the section tree, the key list and their menus.
#include <span>
#include <string>

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
class TSplitter;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
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
    void Splitter1Moved(TComponent* sender);

    // Loads the file once the window is on the screen, as if its path had been typed.
    void OpenAtStart(const std::string& path);

private:
    // A key command: the key, the modifiers held, where the focus must be, what runs.
    enum class TKeyPlace { Anywhere, Tree, List };
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

    void LoadIniFile();
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
};

extern TForm1* Form1;
// The path of the file whose sections the tree shows, exactly as it stood in the field.
extern std::string CurrentIniPath;

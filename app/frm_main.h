#pragma once
// The main window: the file-name field, the section tree, the key list and their menus.
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

private:
    void LoadIniFile();
    // The root of the tree (node 0), or nullptr when no file is shown.
    TTreeNode* RootNode() const;
    // The tree's menu items enabled for the selection, as a right press leaves them.
    void EnableTreeMenu();
};

extern TForm1* Form1;
// The path of the file whose sections the tree shows, exactly as it stood in the field.
extern std::string CurrentIniPath;

#include "app/frm_main.h"

#include "app/compare_view.h"
#include "app/find_bar.h"
#include "app/file_load.h"
#include "app/section_listing.h"
#include "engine/ini_find.h"

#include "dialogs/open_dialog.h"
#include "encoding/code_page_conversion.h"
#include "platform/file_watch.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/image_list.h"
#include "ui/label.h"
#include "ui/list_view.h"
#include "ui/panel.h"
#include "ui/popup_menu.h"
#include "ui/screen.h"
#include "ui/splitter.h"
#include "ui/timer.h"
#include "ui/tree_view.h"

TForm1* Form1 = nullptr;
std::string CurrentIniPath;

TForm1::TForm1(TComponent* owner) : TForm(owner), document_(std::make_unique<TDocument>(std::string())) {
    Bind("BtnliuClick", &TForm1::BtnliuClick);
    Bind("tree1Click", &TForm1::tree1Click);
    Bind("mchangClick", &TForm1::mchangClick);
    Bind("mkillClick", &TForm1::mkillClick);
    Bind("maddClick", &TForm1::maddClick);
    Bind("mtreeaddClick", &TForm1::mtreeaddClick);
    Bind("mtreekillClick", &TForm1::mtreekillClick);
    Bind("BtncmpClick", &TForm1::BtncmpClick);
    Bind("mtreecmpClick", &TForm1::mtreecmpClick);
    Bind("tree1MouseDown", &TForm1::tree1MouseDown);
    Bind("ListView1MouseDown", &TForm1::ListView1MouseDown);
    Bind("ledtfnameKeyDown", &TForm1::ledtfnameKeyDown);
    Bind("BitBtn1Click", &TForm1::BitBtn1Click);
    Bind("EncodingBoxChange", &TForm1::EncodingBoxChange);
    Bind("Splitter1Moved", &TForm1::Splitter1Moved);
    Bind("ListView1DblClick", &TForm1::ListView1DblClick);
    LoadLayoutOf("TForm1");

    tree1 = Find<TTreeView>("tree1");
    ListView1 = Find<TListView>("ListView1");
    Btnliu = Find<TBitBtn>("Btnliu");
    Btncmp = Find<TBitBtn>("Btncmp");
    ledtfname = Find<TLabeledEdit>("ledtfname");
    BitBtn1 = Find<TBitBtn>("BitBtn1");
    dlgopen = Find<TOpenDialog>("dlgopen");
    PopupMenu1 = Find<TPopupMenu>("PopupMenu1");
    mchang = Find<TMenuItem>("mchang");
    N1 = Find<TMenuItem>("N1");
    mkill = Find<TMenuItem>("mkill");
    madd = Find<TMenuItem>("madd");
    Poptree = Find<TPopupMenu>("Poptree");
    mtreeadd = Find<TMenuItem>("mtreeadd");
    mtreekill = Find<TMenuItem>("mtreekill");
    mtreecmp = Find<TMenuItem>("mtreecmp");
    ImageList1 = Find<TImageList>("ImageList1");
    StatusLine = Find<TPanel>("StatusLine");
    EncodingLabel = Find<TLabel>("EncodingLabel");
    EncodingBox = Find<TComboBox>("EncodingBox");
    LineEndLabel = Find<TLabel>("LineEndLabel");
    Splitter1 = Find<TSplitter>("Splitter1");
    titleAlone_ = Caption();

    // The list and the commands stay on the same section when the keyboard moves the
    // selection, and the tree's menu is enabled the same way however it is opened.
    tree1->OnKeyboardSelect = [this](TComponent* sender) { tree1Click(sender); };
    Poptree->OnPopup = [this](TComponent*) { EnableTreeMenu(); };
    // A documented file explains itself: the comments above a line are its tooltip.
    tree1->OnGetHint = [this](TTreeNode& node) { return CommentsOf(node, nullptr); };
    ListView1->OnGetHint = [this](TListItem& row) {
        TTreeNode* node = tree1->Selected();
        return node ? CommentsOf(*node, &row) : std::string();
    };
    // The root shows the file's name, which is no section's: it has nothing to rename.
    tree1->OnEditing = [this](const TTreeNode& node) { return &node != RootNode(); };
    tree1->OnEdited = [this](TTreeNode& node, const std::string& text) { return tree1Edited(node, text); };
    ListView1->OnEdited = [this](TListItem& row, const std::string& text) { return ListView1Edited(row, text); };
    // A character the file's encoding cannot hold is refused where it is typed, and said.
    SetNotHeldText(Ansi("字符“%1”无法用 %2 编码保存，没有输入。"));
    // Told after the event that brought the news: the refresh is an event of its own.
    loadProgress_ = std::make_unique<TTimer>(this);
    watch_ = std::make_unique<TFileWatch>([this] { PostCall([this] { FileChangedOutside(); }); });

    SetKeyPreview(true);
    OnKeyDown = [this](TComponent* sender, uint16_t& key, TShiftState shift) { FormKeyDown(sender, key, shift); };
    AcceptFiles([this](TComponent*, const std::vector<std::string>& paths) { OpenDroppedFile(paths.front()); });
    // With no file loaded, the file name is what the user has to give first.
    SetActiveControl(ledtfname);
    RestoreTreeWidth();
}

TForm1::~TForm1() = default;

// After the double click has been answered: the input box is a window of its own.
void TForm1::ListView1DblClick(TComponent*) {
    PostCall([this] { mchangClick(nullptr); });
}

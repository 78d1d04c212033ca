// The recently loaded files: each load is told to the desktop's shared list, and the file-name
// field drops down the files this program loaded (Down in the field), newest first.
#include <string>

#include "app/frm_main.h"
#include "platform/recent_files.h"
#include "ui/edit.h"
#include "ui/popup_menu.h"

namespace {

// As many as a glance takes in.
constexpr std::size_t kRecentShown = 10;

// A menu caption shows "&&" as "&": a path's own '&' marks no access key.
std::string MenuCaptionOfPath(const std::string& path) {
    std::string caption;
    for (char byte : path) {
        if (byte == '&') caption += '&';
        caption += byte;
    }
    return caption;
}

}  // namespace

void TForm1::RememberRecentFile() {
    // The list is the desktop's: a list it cannot take changes nothing here.
    TRecentFiles::OfUser().Add(CurrentIniPath);
}

void TForm1::DropDownRecentFiles() {
    TPopupMenu menu(nullptr);
    for (const std::string& path : TRecentFiles::OfUser().Files(kRecentShown)) {
        auto* item = new TMenuItem(&menu);
        item->SetCaption(MenuCaptionOfPath(path));
        item->OnClick = [this, path](TComponent*) {
            ledtfname->SetText(path);
            LoadIniFile();
        };
        menu.Add(item);
    }
    if (menu.ItemCount() == 0) return;
    const TPoint at = ledtfname->DropDownPoint();
    menu.Popup(at.X, at.Y);
}

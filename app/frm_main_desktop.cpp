// The main window among the desktop's other programs: a file named on the command line or
// dropped on the window, the title naming the loaded file, where the open-file dialog starts,
// and what the window keeps between runs.
#include <string>

#include "app/frm_main.h"
#include "dialogs/open_dialog.h"
#include "encoding/code_page_conversion.h"
#include "platform/window_memory.h"
#include "text/file_names.h"
#include "ui/edit.h"
#include "ui/splitter.h"
#include "ui/tree_view.h"

namespace {
// What the window keeps under these names.
constexpr const char* kTreeWidth = "tree-width";
constexpr const char* kOpenFolder = "open-folder";
}  // namespace

void TForm1::OpenAtStart(const std::string& path) {
    ledtfname->SetText(path);
    // Once the window is on the screen: a missing file is reported over it.
    PostCall([this, path] {
        LoadIniFile();
        if (CurrentIniPath == path) tree1->SetFocus();
    });
}

void TForm1::OpenDroppedFile(const std::string& path) {
    // After the drop has been answered: the program that dragged the file need not wait for
    // a message the loading may show.
    PostCall([this, path] {
        ledtfname->SetText(path);
        LoadIniFile();
    });
}

void TForm1::ShowLoadedFile(TTreeNode& root) {
    SetCaption(FileNameOfPath(CurrentIniPath) + Ansi(" — ") + titleAlone_);
    root.SetHint(AbsolutePath(CurrentIniPath));
}

void TForm1::PrepareOpenDialog() {
    if (!CurrentIniPath.empty()) {
        // A name with a folder opens in that folder, with the file chosen.
        dlgopen->SetInitialDir("");
        dlgopen->SetFileName(CurrentIniPath);
    } else if (dlgopen->FileName().empty()) {
        dlgopen->SetInitialDir(TWindowMemory::OfUser().Recall(kOpenFolder).value_or(""));
    }
}

void TForm1::RememberOpenFolder() {
    const std::string folder = FolderOfPath(dlgopen->FileName());
    if (!folder.empty()) TWindowMemory::OfUser().Remember(kOpenFolder, folder);
}

void TForm1::RestoreTreeWidth() {
    if (auto width = TWindowMemory::OfUser().RecallNumber(kTreeWidth)) Splitter1->SetBeforeSize(*width);
}

void TForm1::Splitter1Moved(TComponent*) {
    TWindowMemory::OfUser().Remember(kTreeWidth, std::to_string(Splitter1->BeforeSize()));
}

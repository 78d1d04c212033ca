#include "ui/file_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <string>
#include <vector>

#include "platform/display_text.h"
#include "ui/form.h"

namespace {

// The local files among the dragged items, as paths in the ANSI code page; a path that the
// code page cannot hold could not be opened, and is left out.
std::vector<std::string> LocalPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        if (auto path = FromDisplay(url.toLocalFile())) paths.push_back(std::move(*path));
    }
    return paths;
}

}  // namespace

bool TakeFileDrop(const TControl& control, QEvent& event) {
    const bool drop = event.type() == QEvent::Drop;
    if (!drop && event.type() != QEvent::DragEnter && event.type() != QEvent::DragMove) return false;
    TCustomForm* form = control.ParentForm();
    if (!form || !form->TakesFiles()) return false;
    // Enter and move events are drop events too, with the same data.
    auto& drag = static_cast<QDropEvent&>(event);
    std::vector<std::string> paths = LocalPaths(drag.mimeData());
    if (paths.empty()) return false;
    drag.setDropAction(Qt::CopyAction);
    drag.accept();
    if (drop) form->DropFiles(paths);
    return true;
}

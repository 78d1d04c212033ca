#include "ui/file_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <string>
#include <vector>

#include "ui/form.h"

namespace {

// The local files among the dragged items, as their paths' bytes: the address carries them
// percent-encoded, so a name in any encoding arrives whole.
std::vector<std::string> LocalPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!path.isEmpty()) paths.push_back(path.toStdString());
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

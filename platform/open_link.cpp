#include "platform/open_link.h"

#include <QDesktopServices>
#include <QUrl>
#include <QtGlobal>

#include "platform/display_text.h"
#include "encoding/scope_exit.h"

namespace {

LinkOpener& Opener() {
    static LinkOpener opener;
    return opener;
}

}  // namespace

void SetLinkOpener(LinkOpener opener) { Opener() = std::move(opener); }

void OpenLinkInDesktop(const std::string& target) {
    if (Opener()) {
        Opener()(target);
        return;
    }
    // The desktop hands the link to a detached helper, so nothing here waits for the
    // mail program or the browser.
    // The toolkit warns on the terminal when no program takes the link; a failure stays silent.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const ScopeExit restore([previous] { qInstallMessageHandler(previous); });
    QDesktopServices::openUrl(QUrl(ToDisplay(target), QUrl::TolerantMode));
}

#include "platform/open_link.h"

#include <QDesktopServices>
#include <QUrl>
#include <QtGlobal>

#include "platform/display_text.h"

namespace {

LinkOpener& Opener() {
    static LinkOpener opener;
    return opener;
}

// The toolkit warns on the terminal when no program takes the link; a failure stays silent.
class QuietToolkit {
public:
    QuietToolkit() : previous_(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
    ~QuietToolkit() { qInstallMessageHandler(previous_); }
    QuietToolkit(const QuietToolkit&) = delete;
    QuietToolkit& operator=(const QuietToolkit&) = delete;

private:
    QtMessageHandler previous_;
};

}  // namespace

void SetLinkOpener(LinkOpener opener) { Opener() = std::move(opener); }

void OpenLinkInDesktop(const std::string& target) {
    if (Opener()) {
        Opener()(target);
        return;
    }
    // The desktop hands the link to a detached helper, so nothing here waits for the
    // mail program or the browser.
    QuietToolkit quiet;
    QDesktopServices::openUrl(QUrl(ToDisplay(target), QUrl::TolerantMode));
}

#include "platform/event_queue.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>

#include <memory>

#include "platform/font_config_preload.h"
#include "encoding/locale_info.h"
#include "platform/toolkit_translation.h"

namespace {

const QEvent::Type QuitMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

std::function<void()>& QuitHandler() {
    static std::function<void()> handler;
    return handler;
}

// The receiver of the quit message: taking it off the queue is what counts.
class QuitReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != QuitMessage) return QObject::event(e);
        if (QuitHandler()) QuitHandler()();
        return true;
    }
};

QuitReceiver& Receiver() {
    static QuitReceiver receiver;
    return receiver;
}

int g_argc = 1;
char g_arg0[] = "iniviewer";
char* g_argv[] = {g_arg0, nullptr};

QApplication* g_toolkit = nullptr;

}  // namespace

QApplication& StartToolkit() {
    QApplication*& app = g_toolkit;
    if (!app) {
        FontConfigPreload fontConfig;
        app = new QApplication(g_argc, g_argv);
        // We quit by our own quit message, never because the last window was hidden.
        QApplication::setQuitOnLastWindowClosed(false);
        // Lets the desktop (Wayland compositors above all) match windows to the launcher.
        QGuiApplication::setDesktopFileName(QStringLiteral("org.example.iniviewer"));
        // Before the first widget, which would otherwise hear of the change.
        InstallToolkitTranslation(MessagesLocaleName());
    }
    return *app;
}

void StopToolkit() {
    delete g_toolkit;
    g_toolkit = nullptr;
}

bool DispatchPendingEvents() {
    QCoreApplication::sendPostedEvents();
    auto* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->processEvents(QEventLoop::AllEvents);
}

void WaitAndDispatchEvents() {
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void PostQuitMessage() { QCoreApplication::postEvent(&Receiver(), new QEvent(QuitMessage)); }

void SetQuitMessageHandler(std::function<void()> handler) { QuitHandler() = std::move(handler); }

#include "platform/message_box.h"

#include <QMessageBox>
#include <QPointer>

#include "platform/display_text.h"
#include "platform/event_queue.h"

namespace {

MessageBoxInterceptor& Interceptor() {
    static MessageBoxInterceptor interceptor;
    return interceptor;
}

QMessageBox::Icon ToolkitIcon(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Error: return QMessageBox::Critical;
        case MessageBoxIcon::Warning: return QMessageBox::Warning;
        case MessageBoxIcon::Information: return QMessageBox::Information;
        case MessageBoxIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void SetMessageBoxInterceptor(MessageBoxInterceptor interceptor) { Interceptor() = std::move(interceptor); }

void ShowSystemMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                          QWidget* owner) {
    if (Interceptor()) {
        Interceptor()(text, caption, icon);
        return;
    }
    QPointer<QMessageBox> box = new QMessageBox(ToolkitIcon(icon), ToDisplay(caption), ToDisplay(text),
                                                QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->show();
    box->raise();
    box->activateWindow();
    while (box && box->isVisible()) WaitAndDispatchEvents();
    delete box.data();
}

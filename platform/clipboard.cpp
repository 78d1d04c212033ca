#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/display_text.h"
#include "platform/exception.h"

namespace {
bool blockedForTesting = false;
}

void BlockClipboardForTesting(bool blocked) { blockedForTesting = blocked; }

void PutClipboardText(const std::string& text, TCodePage codePage) {
    QClipboard* clipboard = qGuiApp && !blockedForTesting ? QGuiApplication::clipboard() : nullptr;
    if (!clipboard) throw Exception("Cannot open clipboard");
    clipboard->setText(ToDisplay(text, codePage));
}

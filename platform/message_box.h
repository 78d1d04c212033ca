#pragma once
// The system message box: text, caption, an icon and one OK button, blocking until closed.
#include <functional>
#include <string>

class QWidget;

enum class MessageBoxIcon { Error, Warning, Information, Question };

// Shows the box over owner (or over nothing) and waits; the box serves events itself.
void ShowSystemMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                          QWidget* owner);

// Test seam: when set, boxes are handed to it instead of being shown.
using MessageBoxInterceptor =
    std::function<void(const std::string& text, const std::string& caption, MessageBoxIcon icon)>;
void SetMessageBoxInterceptor(MessageBoxInterceptor interceptor);

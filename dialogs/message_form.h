#pragma once
// The window of a message dialog: an optional icon, the message and a row of buttons.
// Ctrl+C copies its title, message and button captions as plain text.
#include <cstdint>
#include <functional>
#include <string>

#include "encoding/code_page.h"
#include "ui/form.h"
#include "ui/label.h"

class TMessageForm : public TForm {
public:
    explicit TMessageForm(TComponent* owner);
    const char* ClassName() const override { return "TMessageForm"; }

    // The label named "Message", once the dialog has one.
    TLabel* MessageLabel() const { return message_; }
    void SetMessageLabel(TLabel* label) { message_ = label; }
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(const std::string& file) { helpFile_ = file; }

    // The form's key-down handler; it sees every key first (key preview).
    void MessageFormKeyDown(TComponent* sender, uint16_t& key, TShiftState shift);
    // Title, message and button line between dividers, each line ending in CR LF.
    std::string MessageFormText() const;
    void MessageFormHelpClick(TComponent* sender);

private:
    TLabel* message_ = nullptr;
    std::string helpFile_;
};

// Puts text (bytes in codePage) on the desktop clipboard; Exception "Cannot open clipboard"
// when that fails.
void CopyTextToClipboard(const std::string& text, TCodePage codePage);

// Where a message dialog's Help button sends its request (nowhere by default).
using THelpTopicRequest = std::function<void(int helpContext, const std::string& helpFile)>;
void SetHelpTopicRequest(THelpTopicRequest request);

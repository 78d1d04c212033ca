#include "dialogs/message_form.h"

#include <algorithm>

#include "platform/beep.h"
#include "platform/clipboard.h"
#include "ui/button.h"

namespace {

THelpTopicRequest& HelpTopicRequest() {
    static THelpTopicRequest request;
    return request;
}

const std::string kDivider = std::string(27, '-') + "\r\n";

}  // namespace

void SetHelpTopicRequest(THelpTopicRequest request) { HelpTopicRequest() = std::move(request); }

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {
    SetKeyPreview(true);
    OnKeyDown = [this](TComponent* sender, uint16_t& key, TShiftState shift) { MessageFormKeyDown(sender, key, shift); };
}

void TMessageForm::MessageFormKeyDown(TComponent*, uint16_t& key, TShiftState shift) {
    // The key goes on to the focused control afterwards.
    if (key == 'C' && shift.Keys() == TShiftState(ShiftFlag::Ctrl)) {
        SoundDefaultBeep();
        CopyTextToClipboard(MessageFormText(), TextCodePage());
    }
}

std::string TMessageForm::MessageFormText() const {
    std::string buttons;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* button = dynamic_cast<TButton*>(ComponentAt(i))) buttons += button->Caption() + "   ";
    buttons.erase(std::remove(buttons.begin(), buttons.end(), '&'), buttons.end());
    std::string message = message_ ? message_->Caption() : std::string();
    return kDivider + Caption() + "\r\n" + kDivider + message + "\r\n" + kDivider + buttons + "\r\n" + kDivider;
}

void TMessageForm::MessageFormHelpClick(TComponent*) {
    if (HelpTopicRequest()) HelpTopicRequest()(HelpContext(), helpFile_);
}

void CopyTextToClipboard(const std::string& text, TCodePage codePage) { PutClipboardText(text, codePage); }

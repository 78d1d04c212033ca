#include "dialogs/message_dialog.h"

#include "dialogs/message_layout.h"
#include "shell/application.h"
#include "shell/modal.h"
#include "ui/button.h"
#include "ui/image.h"
#include "ui/message_font.h"
#include "ui/screen.h"
#include "ui/text_metrics.h"

std::unique_ptr<TMessageForm> BuildMessageForm(const std::string& text, TMessageKind kind, TMessageButtons buttons) {
    auto form = std::make_unique<TMessageForm>(Application);
    form->SetFont(DesktopMessageFont().value_or(TFont{}));
    form->SetBorderStyle(TFormBorderStyle::bsDialog);

    TRect screen = TScreen::Instance().PrimaryScreenRect();
    TFontTextMetrics metrics(form->Font());
    TMessageLayout layout = LayOutMessageForm(metrics, text, kind, buttons, screen, ButtonCaptionWidths());

    form->SetClientSize(layout.ClientWidth, layout.ClientHeight);
    TPoint origin = MessageFormOrigin(screen, form->OuterWidth(), form->OuterHeight());
    form->SetLeft(origin.X);
    form->SetTop(origin.Y);
    form->SetCaption(MessageKindTitle(kind));

    if (auto icon = MessageKindIcon(kind)) {
        auto* image = new TImage(form.get(), form.get());
        image->SetName("Image");
        image->SetBounds(layout.HorzMargin, layout.VertMargin, MessageIconSize, MessageIconSize);
        image->ShowStandardIcon(*icon);
        image->SetAccessibleName(MessageKindTitle(kind));
    }

    auto* label = new TLabel(form.get(), form.get());
    label->SetName("Message");
    // The layout measured the text already, with the flags the label draws with.
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetCaption(text);
    label->SetBounds(layout.MessageLeft, layout.VertMargin, layout.TextRect.Width(), layout.TextRect.Height());
    form->SetMessageLabel(label);

    int defaultButton = DefaultMessageButton(buttons), cancelButton = CancelMessageButton(buttons);
    int x = layout.FirstButtonLeft;
    for (int i = 0; i < MessageButtonCount; ++i) {
        if (!HasMessageButton(buttons, i)) continue;
        const TMessageButtonInfo& info = MessageButtonInfo(i);
        auto* button = new TButton(form.get(), form.get());
        button->SetName(info.Name);
        button->SetCaption(info.Caption);
        button->SetAccessKey(info.AccessKey);
        button->SetModalResult(info.Result);
        if (i == defaultButton) button->SetDefault(true);
        if (i == cancelButton) button->SetCancel(true);
        if (TMessageButtons(1 << i) == ButtonHelp) {
            TMessageForm* owner = form.get();
            button->OnClick = [owner](TComponent* sender) { owner->MessageFormHelpClick(sender); };
        }
        button->SetBounds(x, layout.ButtonTop, layout.ButtonWidth, layout.ButtonHeight);
        x += layout.ButtonWidth + layout.ButtonSpacing;
    }
    return form;
}

TModalResult ShowMessageDialogAt(const std::string& text, TMessageKind kind, TMessageButtons buttons,
                                 int32_t helpContext, int32_t x, int32_t y, const std::string& helpFile) {
    std::unique_ptr<TMessageForm> form = BuildMessageForm(text, kind, buttons);
    form->SetHelpContext(helpContext);
    form->SetHelpFile(helpFile);
    if (x >= 0) form->SetLeft(x);
    if (y >= 0) form->SetTop(y);
    if (x < 0 && y < 0) form->SetPosition(TPosition::poScreenCenter);
    return RunModal(*form);
}

TModalResult ShowMessageDialog(const std::string& text, TMessageKind kind, TMessageButtons buttons,
                               int32_t helpContext) {
    return ShowMessageDialogAt(text, kind, buttons, helpContext, -1, -1, std::string());
}

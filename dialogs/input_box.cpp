#include "dialogs/input_box.h"

#include <memory>

#include "dialogs/dialog_units.h"
#include "shell/application.h"
#include "shell/modal.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/text_metrics.h"

namespace {

TButton* AddButton(TForm& form, const char* caption, char16_t accessKey, TModalResult result, int left, int top,
                   int width, int height) {
    auto* button = new TButton(&form, &form);
    button->SetCaption(caption);
    button->SetAccessKey(accessKey);
    button->SetModalResult(result);
    button->SetBounds(left, top, width, height);
    return button;
}

}  // namespace

bool AskTextQuery(const std::string& title, const std::string& prompt, std::string& value, TCodePage valueCodePage) {
    auto form = std::make_unique<TForm>(Application);
    // The default form font, not the desktop's message-box font.
    TPoint charSize = AverageCharSize(TFontTextMetrics(form->Font()));
    auto horz = [&](int units) { return HorzDialogUnits(units, charSize); };
    auto vert = [&](int units) { return VertDialogUnits(units, charSize); };

    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(title);
    form->SetClientSize(horz(180), form->ClientHeight());
    form->SetPosition(TPosition::poScreenCenter);

    auto* prompter = new TLabel(form.get(), form.get());
    prompter->SetCaption(prompt);
    prompter->SetBounds(horz(8), vert(8), prompter->Width(), prompter->Height());
    prompter->SetMaxWidth(horz(164));
    prompter->SetWordWrap(true);

    auto* edit = new TEdit(form.get(), form.get());
    edit->SetBounds(prompter->Left(), prompter->Top() + prompter->Height() + 5, horz(164), edit->NaturalHeight());
    edit->SetMaxLength(InputBoxMaxLength);
    edit->SetTextCodePage(valueCodePage);
    edit->SetText(value);
    edit->SelectAll();

    int buttonTop = edit->Top() + edit->Height() + 15;
    int buttonWidth = horz(50), buttonHeight = vert(14);
    AddButton(*form, "OK", u'O', ResultOk, horz(38), buttonTop, buttonWidth, buttonHeight)->SetDefault(true);
    TButton* cancel = AddButton(*form, "Cancel", u'C', ResultCancel, horz(92), buttonTop, buttonWidth, buttonHeight);
    cancel->SetCancel(true);
    form->SetClientSize(form->ClientWidth(), cancel->Top() + cancel->Height() + 13);

    if (RunModal(*form) != ResultOk) return false;
    value = edit->Text();
    return true;
}

std::string AskText(const std::string& title, const std::string& prompt, const std::string& defaultValue,
                    TCodePage valueCodePage) {
    std::string result = defaultValue;
    AskTextQuery(title, prompt, result, valueCodePage);
    return result;
}

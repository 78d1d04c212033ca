#pragma once
// Check boxes: an option on or off, its caption in the control's text code page. OnClick
// reports a change the user made (a click, Space, or its access key), never one made in code.
#include "ui/control.h"

class QCheckBox;

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TCheckBox"; }

    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    // An access key for a caption that marks none; the caption stays as it is.
    void SetAccessKey(char16_t key);

    bool OfferAccessKey(char16_t letter) override;

protected:
    void ShowCaption() override;

private:
    QCheckBox* Box() const;
    void UserToggled(bool checked);

    bool checked_ = false;
    bool showing_ = false;
    char16_t accessKey_ = 0;
};

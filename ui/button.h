#pragma once
// Push buttons and bitmap buttons: pressing one sets its window's modal result and runs its
// OnClick; Enter presses the active button and Esc the Cancel button.
#include "ui/control.h"
#include "ui/form.h"

class QPushButton;

class TButton : public TWinControl {
public:
    // Stands on parent from the start when one is given.
    explicit TButton(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TButton"; }

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    // An access key for a caption that marks none ("OK", "添加"); the caption stays as it is.
    char16_t AccessKey() const { return accessKey_; }
    void SetAccessKey(char16_t key);
    // Whether Enter presses this button now; drawn with the default-button frame.
    bool Active() const { return active_; }

    // What a click, Space on the focused button, Enter or Esc does.
    virtual void Press();

    bool OfferDialogKey(const KeyRecord& key) override;
    bool OfferAccessKey(char16_t letter) override;
    void FocusMovedInWindow(TWinControl* focused) override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    void ShowCaption() override;
    QPushButton* Button() const;
    void SetActive(bool active);

private:
    TModalResult modalResult_ = ResultNone;
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    char16_t accessKey_ = 0;
};

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TBitBtn"; }

    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);
    // One of our drawn glyphs; with two images the second is the disabled look.
    void SetGlyph(const std::string& drawnName, int numGlyphs);
    const std::string& Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetSpacing(int spacing) { spacing_ = spacing; }

    void Press() override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

private:
    void ShowGlyph();

    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
    std::string glyph_;
    int numGlyphs_ = 1;
    int spacing_ = 4;
};

// Where a press on a help button with a help context goes (nowhere by default).
using HelpRequestHandler = std::function<void(int helpContext)>;
void SetHelpRequestHandler(HelpRequestHandler handler);

#pragma once
// One-line edits. The edit keeps the bytes it was given and returns exactly those until the
// user edits; a character the user types or pastes that the edit's text code page cannot
// hold, or one that would cross the byte limit, is refused as it arrives. The field's text
// becomes bytes once, when the program asks for it, not at each key press.
#include "ui/control.h"
#include "ui/label.h"

#include <memory>

class QLineEdit;
class QString;

// What a field (an edit, or a caption edited in place) says in a tooltip when it refuses a
// character its code page cannot hold, in the locale's code page: %1 stands for the character,
// %2 for the encoding's name. Until a program sets it, the refusal is a beep alone.
void SetNotHeldText(const std::string& format);

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner, TWinControl* parent = nullptr);
    ~TEdit() override;
    const char* ClassName() const override { return "TEdit"; }

    // The text, in the edit's text code page.
    const std::string& Text();
    void SetText(const std::string& text) { SetCaption(text); }
    // Bytes of the text code page that typing and pasting may fill (0: no limit).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int bytes);
    void SelectAll();
    // The height that suits the font.
    int NaturalHeight() const;
    // Where a list dropping from the edit starts, on the screen: under its left edge.
    TPoint DropDownPoint() const;

    bool WantsKey(const KeyRecord& key) const override;
    bool WantsCharacters() const override { return true; }
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

    // The user changed the text (not the program).
    TNotifyEvent OnChange;

    // Takes text that the user put into the field; the seam that typing, pasting and input
    // methods all come through. Returns false when something had to be refused.
    bool AcceptUserEdit(const QString& after);

protected:
    void ShowCaption() override;
    QLineEdit* LineEdit() const;

private:
    struct Typing;

    int maxLength_ = 0;
    bool showing_ = false;
    std::unique_ptr<Typing> typing_;
};

enum class TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

// An edit with a label beside it, kept in place when the edit moves.
class TLabeledEdit : public TEdit {
public:
    explicit TLabeledEdit(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TLabeledEdit"; }

    TLabel& EditLabel() { return *label_; }
    void SetLabelPosition(TLabelPosition position);
    void SetLabelSpacing(int spacing);

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;
    void Loaded() override;

private:
    void PlaceLabel();

    TLabel* label_;
    TLabelPosition position_ = TLabelPosition::lpAbove;
    int spacing_ = 3;
};

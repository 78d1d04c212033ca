#pragma once
// The find bar under the views: the text to find, buttons to the previous and the next match,
// how many matches there are and which one is shown, the option to show only the sections
// that match, and a button that closes it. Shown, it takes its height from the views above
// it; hidden, it gives it back.
#include <initializer_list>
#include <string>
#include <vector>

class TForm;
class TWinControl;
class TControl;
class TPanel;
class TLabel;
class TEdit;
class TCheckBox;
class TButton;

class TFindBar {
public:
    // Stands on form, above the control `below`; `views` are the controls it takes its height from.
    TFindBar(TForm& form, TControl& below, std::initializer_list<TControl*> views);

    bool Showing() const;
    void Show();
    void Hide();

    TEdit& Edit() const { return *edit_; }
    TCheckBox& FilterOption() const { return *filter_; }
    // For the mouse: what Shift+Enter, Enter and Esc do from the keyboard.
    TButton& PreviousButton() const { return *previous_; }
    TButton& NextButton() const { return *next_; }
    TButton& CloseButton() const { return *close_; }
    // Whether the focus is on one of the bar's controls.
    bool HasFocus(const TWinControl* active) const;
    // "3/17", "找不到", and the like, in the locale's code page.
    void ShowState(const std::string& text);
    const std::string& State() const;

private:
    TPanel* panel_;
    TLabel* caption_;
    TEdit* edit_;
    TButton* previous_;
    TButton* next_;
    TLabel* state_;
    TCheckBox* filter_;
    TButton* close_;
    std::vector<TControl*> views_;
};

#include "app/find_bar.h"

#include "encoding/code_page_conversion.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/panel.h"

namespace {

constexpr int BarHeight = 26;

TButton* NewButton(TForm& form, TPanel& panel, const std::string& caption, int left, int width) {
    auto* button = new TButton(&form, &panel);
    button->SetCaption(caption);
    button->SetBounds(left, 2, width, 22);
    return button;
}

}  // namespace

TFindBar::TFindBar(TForm& form, TControl& below, std::initializer_list<TControl*> views) : views_(views) {
    panel_ = new TPanel(&form, &form);
    panel_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone);
    panel_->SetBounds(0, below.Top() - BarHeight, form.ClientWidth(), BarHeight);
    panel_->SetAnchors(akLeft | akRight | akBottom);
    panel_->SetVisible(false);

    caption_ = new TLabel(&form, panel_);
    caption_->SetCaption(Ansi("查找"));
    caption_->SetBounds(6, 7, 26, 12);

    edit_ = new TEdit(&form, panel_);
    edit_->SetBounds(34, 3, 110, 20);
    edit_->SetAnchors(akLeft | akTop);
    caption_->SetFocusControl(edit_);

    previous_ = NewButton(form, *panel_, Ansi("上一个"), 148, 48);
    next_ = NewButton(form, *panel_, Ansi("下一个"), 198, 48);

    state_ = new TLabel(&form, panel_);
    state_->SetBounds(252, 7, 50, 12);

    filter_ = new TCheckBox(&form, panel_);
    filter_->SetCaption(Ansi("只显示匹配的小节"));
    filter_->SetAccessKey(u'M');
    // Wide enough for its caption and access key in the Chinese faces the window may get.
    filter_->SetBounds(304, 3, 138, 20);

    close_ = NewButton(form, *panel_, Ansi("关闭"), form.ClientWidth() - 46, 42);
    close_->SetAnchors(akRight | akTop);
}

bool TFindBar::Showing() const { return panel_->Visible(); }

void TFindBar::Show() {
    if (!Showing()) {
        for (TControl* view : views_) view->SetHeight(view->Height() - BarHeight);
        panel_->SetVisible(true);
    }
    edit_->SetFocus();
    edit_->SelectAll();
}

void TFindBar::Hide() {
    if (!Showing()) return;
    panel_->SetVisible(false);
    for (TControl* view : views_) view->SetHeight(view->Height() + BarHeight);
}

// Every control of the bar stands on its panel.
bool TFindBar::HasFocus(const TWinControl* active) const { return Showing() && active && active->Parent() == panel_; }

void TFindBar::ShowState(const std::string& text) { state_->SetCaption(text); }

const std::string& TFindBar::State() const { return state_->Caption(); }

#include "app/find_bar.h"

#include "platform/code_page_conversion.h"
#include "ui/check_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/panel.h"

namespace {

constexpr int BarHeight = 26;

}  // namespace

TFindBar::TFindBar(TForm& form, TControl& below, std::initializer_list<TControl*> views) : views_(views) {
    panel_ = new TPanel(&form, &form);
    panel_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone);
    panel_->SetBounds(0, below.Top() - BarHeight, form.ClientWidth(), BarHeight);
    panel_->SetAnchors(akLeft | akRight | akBottom);
    panel_->SetVisible(false);

    caption_ = new TLabel(&form, panel_);
    caption_->SetCaption(Ansi("查找"));
    caption_->SetBounds(6, 7, 30, 12);

    edit_ = new TEdit(&form, panel_);
    edit_->SetBounds(40, 3, 200, 20);
    edit_->SetAnchors(akLeft | akTop);
    caption_->SetFocusControl(edit_);

    state_ = new TLabel(&form, panel_);
    state_->SetBounds(248, 7, 90, 12);

    filter_ = new TCheckBox(&form, panel_);
    filter_->SetCaption(Ansi("只显示匹配的小节"));
    filter_->SetAccessKey(u'M');
    filter_->SetBounds(340, 3, 150, 20);
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

bool TFindBar::HasFocus(const TWinControl* active) const {
    return Showing() && (active == edit_ || active == filter_);
}

void TFindBar::ShowState(const std::string& text) { state_->SetCaption(text); }

const std::string& TFindBar::State() const { return state_->Caption(); }

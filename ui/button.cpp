#include "ui/button.h"

#include <QIcon>
#include <QKeySequence>
#include <QPushButton>

#include <map>

#include "platform/display_text.h"
#include "platform/drawn_images.h"
#include "ui/access_key.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"

namespace {

HelpRequestHandler& HelpHandler() {
    static HelpRequestHandler handler;
    return handler;
}

struct KindInfo {
    const char* caption;
    TModalResult result;
    bool isDefault;
    bool isCancel;
    const char* glyph;
};

const KindInfo& InfoOf(TBitBtnKind kind) {
    static const KindInfo table[] = {
        {"", ResultNone, false, false, ""},
        {"OK", ResultOk, true, false, "ok"},
        {"Cancel", ResultCancel, false, true, "cancel"},
        {"&Help", ResultNone, false, false, "help"},
        {"&Yes", ResultYes, true, false, "yes"},
        {"&No", ResultNo, false, true, "no"},
        {"&Close", ResultNone, false, false, "close"},
        {"Abort", ResultAbort, false, false, "abort"},
        {"&Retry", ResultRetry, false, false, "retry"},
        {"&Ignore", ResultIgnore, false, false, "ignore"},
        {"&All", ResultAll, false, false, "all"},
    };
    return table[int(kind)];
}

constexpr NamedValue<TBitBtnKind> kKindNames[] = {
    {"bkCustom", TBitBtnKind::bkCustom}, {"bkOK", TBitBtnKind::bkOK},       {"bkCancel", TBitBtnKind::bkCancel},
    {"bkHelp", TBitBtnKind::bkHelp},     {"bkYes", TBitBtnKind::bkYes},     {"bkNo", TBitBtnKind::bkNo},
    {"bkClose", TBitBtnKind::bkClose},   {"bkAbort", TBitBtnKind::bkAbort}, {"bkRetry", TBitBtnKind::bkRetry},
    {"bkIgnore", TBitBtnKind::bkIgnore}, {"bkAll", TBitBtnKind::bkAll}};

constexpr NamedValue<TModalResult> kModalResultNames[] = {
    {"ResultNone", ResultNone},   {"ResultOk", ResultOk},       {"ResultCancel", ResultCancel},
    {"ResultAbort", ResultAbort}, {"ResultRetry", ResultRetry}, {"ResultIgnore", ResultIgnore},
    {"ResultYes", ResultYes},     {"ResultNo", ResultNo},       {"ResultAll", ResultAll}};

// One icon per glyph, shared by every later button; each draws itself when first painted.
const QIcon& GlyphIcon(const std::string& name, int numGlyphs) {
    static std::map<std::pair<std::string, int>, QIcon> cache;
    auto [it, added] = cache.try_emplace({name, numGlyphs});
    if (added) {
        it->second = numGlyphs >= 2 ? DrawnIcon(name, QSize(18, 18), DisabledLook::Embossed)
                                    : DrawnIcon(name, QSize(16, 16), DisabledLook::Styled);
    }
    return it->second;
}

}  // namespace

void SetHelpRequestHandler(HelpRequestHandler handler) { HelpHandler() = std::move(handler); }

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner, TWinControl* parent)
    : TWinControl(owner, new QPushButton(ParentWidgetOf(parent))) {
    Button()->setAutoDefault(false);
    QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { CatchErrors(this, [this] { Press(); }); });
    SetParent(parent);
}

QPushButton* TButton::Button() const { return static_cast<QPushButton*>(Widget()); }

void TButton::ShowCaption() {
    if (!Button()) return;
    ShowCaptionWithAccessKey(*Button(), ToDisplay(Caption(), TextCodePage()), accessKey_);
}

void TButton::SetAccessKey(char16_t key) {
    accessKey_ = key;
    ShowCaption();
}

void TButton::SetDefault(bool value) {
    default_ = value;
    SetActive(value);
}

void TButton::SetActive(bool active) {
    active_ = active;
    if (Button()) Button()->setDefault(active);
}

void TButton::FocusMovedInWindow(TWinControl* focused) {
    if (focused == this) SetActive(true);
    else if (dynamic_cast<TButton*>(focused)) SetActive(false);
    else SetActive(default_);
}

void TButton::Press() {
    if (TCustomForm* form = ParentForm()) form->SetModalResult(modalResult_);
    Click();
}

bool TButton::OfferDialogKey(const KeyRecord& key) {
    if (!key.shift.Keys().Empty()) return false;
    bool mine = (key.key == vk::Return && active_) || (key.key == vk::Escape && cancel_);
    if (!mine || !CanFocus()) return false;
    Press();
    return true;
}

bool TButton::OfferAccessKey(char16_t letter) {
    if (AccessKeyOf(ToDisplay(Caption(), TextCodePage()), accessKey_) != letter || !CanFocus()) return false;
    SetFocus();
    Press();
    return true;
}

bool TButton::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "ModalResult")
        modalResult_ = value.GetKind() == LayoutValue::Kind::Number ? value.AsInt()
                                                                    : value.AsEnum(kModalResultNames, "modal result");
    else if (name == "Default") SetDefault(value.AsBool());
    else if (name == "Cancel") cancel_ = value.AsBool();
    else if (name == "AccessKey") SetAccessKey(AccessKeyValue(value));
    else return TWinControl::ApplyProperty(name, value, reader);
    return true;
}

// ---------------------------------------------------------------- TBitBtn

TBitBtn::TBitBtn(TComponent* owner, TWinControl* parent) : TButton(owner, parent) {}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    if (kind == TBitBtnKind::bkCustom) return;
    const KindInfo& info = InfoOf(kind);
    SetDefault(info.isDefault);
    SetCancel(info.isCancel);
    // A caption that the layout stored before the kind stays.
    if (!IsLoading() || Caption().empty()) SetCaption(info.caption);
    SetModalResult(info.result);
    SetGlyph(info.glyph, 2);
}

void TBitBtn::SetGlyph(const std::string& drawnName, int numGlyphs) {
    glyph_ = drawnName;
    numGlyphs_ = numGlyphs;
    ShowGlyph();
}

void TBitBtn::ShowGlyph() {
    if (!Button() || glyph_.empty()) return;
    Button()->setIcon(GlyphIcon(glyph_, numGlyphs_));
    Button()->setIconSize(numGlyphs_ >= 2 ? QSize(18, 18) : QSize(16, 16));
}

void TBitBtn::Press() {
    if (kind_ == TBitBtnKind::bkHelp) {
        for (TControl* c = this; c; c = c->Parent())
            if (c->HelpContext() != 0) {
                if (HelpHandler()) HelpHandler()(c->HelpContext());
                return;
            }
    } else if (kind_ == TBitBtnKind::bkClose) {
        if (TCustomForm* form = ParentForm()) {
            form->RequestClose();
            return;
        }
    }
    TButton::Press();
}

bool TBitBtn::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Kind") SetKind(value.AsEnum(kKindNames, "button kind"));
    else if (name == "Glyph") SetGlyph(value.AsText(), numGlyphs_);
    else if (name == "NumGlyphs") SetGlyph(glyph_, value.AsInt());
    else if (name == "Spacing") SetSpacing(value.AsInt());
    else return TButton::ApplyProperty(name, value, reader);
    return true;
}

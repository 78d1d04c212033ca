#include "ui/control.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QResizeEvent>
#include <QWidget>

#include <algorithm>

#include "encoding/code_page.h"
#include "platform/display_text.h"
#include "platform/key_mapping.h"
#include "ui/accessibility.h"
#include "ui/error_sink.h"
#include "ui/file_drop.h"
#include "ui/form.h"
#include "ui/layout_reader.h"
#include "ui/popup_menu.h"
#include "ui/widget_access.h"

namespace {

constexpr const char* kControlProperty = "iniv.control";

TControl* ControlProperty(const QWidget* widget) {
    return static_cast<TControl*>(widget->property(kControlProperty).value<void*>());
}

}  // namespace

// Routes every event of a control's widget to the control, inside a catch point.
class ControlEventBridge : public QObject {
public:
    static ControlEventBridge& Instance() {
        static ControlEventBridge bridge;
        return bridge;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        TControl* control = widget ? ControlProperty(widget) : nullptr;
        if (!control || WidgetOf(*control) != widget || control->IsDestroying()) return false;
        if (event->type() == QEvent::ApplicationPaletteChange) {
            CatchErrors(control, [&] { FollowPaletteWithin(*control); });
            return false;
        }
        bool consumed = false;
        CatchErrors(control, [&] { consumed = control->WidgetEvent(*event); });
        return consumed;
    }

private:
    // The toolkit tells only windows of a new application palette; their controls hear of it
    // from here.
    static void FollowPaletteWithin(TControl& control) {
        control.FollowPalette();
        if (auto* parent = dynamic_cast<TWinControl*>(&control))
            for (TControl* child : parent->Controls()) FollowPaletteWithin(*child);
    }
};

struct TControl::WidgetWatch {
    QMetaObject::Connection gone;
};

QWidget* WidgetOf(const TControl& control) { return control.widget_; }

TControl* ControlOfWidget(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        TControl* control = ControlProperty(widget);
        if (control && WidgetOf(*control) == widget) return control;
        // A window of the toolkit's own (a message box, a menu) is not part of its owner.
        if (widget->isWindow()) return nullptr;
    }
    return nullptr;
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner, QWidget* widget)
    : TComponent(owner), widget_(widget), widgetWatch_(std::make_unique<WidgetWatch>()), textCodePage_(AnsiCodePage()) {
    InstallControlAccessibility();
    widget_->setProperty(kControlProperty, QVariant::fromValue<void*>(this));
    widget_->installEventFilter(&ControlEventBridge::Instance());
    widgetWatch_->gone = QObject::connect(widget_, &QObject::destroyed, [this] { widget_ = nullptr; });
}

QWidget* TControl::ParentWidgetOf(const TWinControl* parent) { return parent ? parent->widget_ : nullptr; }

TControl::~TControl() {
    MarkDestroying();
    DestroyComponents();
    if (parent_) parent_->RemoveControl(this);
    ReleaseWidget();
}

void TControl::ReleaseWidget() {
    if (!widget_) return;
    QWidget* widget = widget_;
    // Only our own connection: the toolkit's accessibility cache listens to the widget too.
    QObject::disconnect(widgetWatch_->gone);
    widget_ = nullptr;
    widget->removeEventFilter(&ControlEventBridge::Instance());
    delete widget;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (!widget_) return;
    if (QWidget* parentWidget = ParentWidgetOf(parent); widget_->parentWidget() != parentWidget)
        widget_->setParent(parentWidget);
    if (parent_) {
        parent_->InsertControl(this);
        if (parentFont_) font_ = parent_->Font();
        widget_->setFont(ToolkitFont(font_));
        RecordAnchorDistances();
    }
    ApplyBoundsToWidget();
    widget_->setVisible(visible_);
}

TCustomForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::StoreBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    StoreBounds(left, top, width, height);
    RecordAnchorDistances();
    ApplyBoundsToWidget();
}

void TControl::ApplyBoundsToWidget() {
    if (widget_) widget_->setGeometry(left_, top_, width_, height_);
}

void TControl::RecordAnchorDistances() {
    if (!parent_) return;
    rightDistance_ = parent_->ClientWidth() - (left_ + width_);
    bottomDistance_ = parent_->ClientHeight() - (top_ + height_);
}

void TControl::FollowParentResize(int parentWidth, int parentHeight) {
    int left = left_, top = top_, width = width_, height = height_;
    if (anchors_ & akRight) {
        if (anchors_ & akLeft)
            width = std::max(0, parentWidth - rightDistance_ - left);
        else
            left = parentWidth - rightDistance_ - width;
    }
    if (anchors_ & akBottom) {
        if (anchors_ & akTop)
            height = std::max(0, parentHeight - bottomDistance_ - top);
        else
            top = parentHeight - bottomDistance_ - height;
    }
    StoreBounds(left, top, width, height);
    ApplyBoundsToWidget();
}

void TControl::SetVisible(bool visible) {
    visible_ = visible;
    if (widget_) widget_->setVisible(visible);
}

void TControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (widget_) widget_->setEnabled(enabled);
}

bool TControl::IsReachable() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_ || !c->enabled_) return false;
    return true;
}

void TControl::SetCaption(const std::string& caption) {
    caption_ = caption;
    ShowCaption();
}

void TControl::SetTextCodePage(TCodePage codePage) {
    textCodePage_ = codePage;
    SetCaption(caption_);
}

void TControl::SetFont(const TFont& font) {
    font_ = font;
    if (!widget_) return;
    widget_->setFont(ToolkitFont(font));
    ApplyColours();
}

void TControl::SetColor(TColor color) {
    color_ = color;
    ownColor_ = true;
    if (!widget_) return;
    ApplyColours();
    widget_->setAutoFillBackground(true);
}

TColor TControl::GroundColor() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (c->ownColor_) return c->color_;
    return clBtnFace;
}

// System colours are looked up in the palette of the moment, and again when it changes; a
// system text colour on a fixed ground (the About box's) may then need the other brightness.
void TControl::ApplyColours() {
    if (!widget_) return;
    QPalette palette = widget_->palette();
    const QColor text = ReadableOn(ToolkitColor(font_.Color), ToolkitColor(GroundColor()));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, text);
    if (ownColor_) palette.setColor(QPalette::Window, ToolkitColor(color_));
    widget_->setPalette(palette);
}

void TControl::FollowPalette() { ApplyColours(); }

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    RecordAnchorDistances();
}

void TControl::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    if (!widget_) return;
    switch (cursor) {
        case TCursor::crHandPoint: widget_->setCursor(Qt::PointingHandCursor); break;
        case TCursor::crHourGlass: widget_->setCursor(Qt::WaitCursor); break;
        default: widget_->unsetCursor(); break;
    }
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::SetAccessibleName(const std::string& name) {
    if (widget_) widget_->setAccessibleName(ToDisplay(name));
}

TPoint TControl::KeyboardMenuPoint() const {
    if (!widget_) return {};
    QPoint at = widget_->mapToGlobal(QPoint(widget_->width() / 2, widget_->height() / 2));
    return {at.x(), at.y()};
}

bool TControl::HandleMousePress(QEvent& event) {
    auto& mouse = static_cast<QMouseEvent&>(event);
    auto button = MouseButtonOf(mouse);
    if (!button || !OnMouseDown) return false;
    QPoint at = mouse.position().toPoint();
    OnMouseDown(this, *button, ShiftStateOf(mouse), at.x(), at.y());
    return false;
}

bool TControl::WidgetEvent(QEvent& event) {
    if (TakeFileDrop(*this, event)) return true;
    switch (event.type()) {
        case QEvent::MouseButtonPress: return HandleMousePress(event);
        case QEvent::ContextMenu: {
            if (!popupMenu_) return false;
            auto& menuEvent = static_cast<QContextMenuEvent&>(event);
            if (menuEvent.reason() == QContextMenuEvent::Mouse) {
                popupMenu_->Popup(menuEvent.globalPos().x(), menuEvent.globalPos().y());
            } else {
                TPoint at = KeyboardMenuPoint();
                popupMenu_->Popup(at.X, at.Y);
            }
            return true;
        }
        default: return false;
    }
}

namespace {

constexpr NamedValue<TAnchors> kAnchorNames[] = {
    {"left", akLeft}, {"top", akTop}, {"right", akRight}, {"bottom", akBottom}};

constexpr NamedValue<TColor> kColorNames[] = {
    {"clBtnFace", clBtnFace}, {"clWindowText", clWindowText}, {"clWindow", clWindow},
    {"clBtnText", clBtnText}, {"clBlack", clBlack},           {"clWhite", clWhite},
    {"clRed", clRed},         {"clBlue", clBlue},             {"clMoneyGreen", clMoneyGreen},
    {"clCream", clCream},     {"clNone", clNone},
};

constexpr NamedValue<TFontStyle> kFontStyleNames[] = {
    {"bold", TFontStyle::Bold}, {"italic", TFontStyle::Italic},
    {"underline", TFontStyle::Underline}, {"strikeout", TFontStyle::StrikeOut}};

constexpr NamedValue<TCursor> kCursorNames[] = {{"crDefault", TCursor::crDefault},
                                                {"crArrow", TCursor::crArrow},
                                                {"crHourGlass", TCursor::crHourGlass},
                                                {"crHandPoint", TCursor::crHandPoint}};

TColor ColorValue(const LayoutValue& value) {
    if (value.GetKind() == LayoutValue::Kind::Number) return value.AsInt();
    return value.AsEnum(kColorNames, "colour");
}

TFont FontValue(const LayoutValue& value, TFont font) {
    for (const auto& [field, v] : value.AsRecord()) {
        if (field == "Name") font.Name = v.AsText();
        else if (field == "Height") font.Height = v.AsInt();
        else if (field == "Color") font.Color = ColorValue(v);
        else if (field == "Charset") font.Charset = v.GetKind() == LayoutValue::Kind::Number ? v.AsInt() : 134;
        else if (field == "Style") {
            font.Style = 0;
            for (TFontStyle style : v.AsEnumList(kFontStyleNames, "font style")) font.Style |= uint8_t(style);
        } else throw ELayoutError("Unknown font field " + field);
    }
    return font;
}

}  // namespace

bool TControl::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Left") SetLeft(value.AsInt());
    else if (name == "Top") SetTop(value.AsInt());
    else if (name == "Width") SetWidth(value.AsInt());
    else if (name == "Height") SetHeight(value.AsInt());
    else if (name == "Caption" || name == "Text") SetCaption(value.AsText());
    else if (name == "Visible") SetVisible(value.AsBool());
    else if (name == "Enabled") SetEnabled(value.AsBool());
    else if (name == "Anchors") {
        TAnchors anchors = 0;
        for (TAnchors anchor : value.AsEnumList(kAnchorNames, "anchor")) anchors |= anchor;
        SetAnchors(anchors);
    }
    else if (name == "Color") SetColor(ColorValue(value));
    else if (name == "ParentFont") parentFont_ = value.AsBool();
    else if (name == "Font") {
        parentFont_ = false;
        SetFont(FontValue(value, font_));
    } else if (name == "Cursor") SetCursor(value.AsEnum(kCursorNames, "cursor"));
    else if (name == "HelpContext") helpContext_ = value.AsInt();
    else if (name == "AccessibleName") SetAccessibleName(value.AsText());
    else if (name == "PopupMenu")
        reader.ResolveLater(value, [this](TComponent* c) { popupMenu_ = dynamic_cast<TPopupMenu*>(c); });
    else if (name == "OnClick") OnClick = reader.Handler<TNotifyEvent>(value);
    else if (name == "OnMouseDown") OnMouseDown = reader.Handler<TMouseEvent>(value);
    else return TComponent::ApplyProperty(name, value, reader);
    return true;
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget) {
    widget->setFocusPolicy(Qt::StrongFocus);
}

TWinControl::~TWinControl() {
    MarkDestroying();
    DestroyComponents();
    // Children owned elsewhere lose their parent, not their life.
    for (TControl* child : std::vector<TControl*>(controls_)) child->SetParent(nullptr);
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (auto* win = dynamic_cast<TWinControl*>(control)) tabList_.push_back(win);
}

void TWinControl::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    return int(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, int(list.size()));
    list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = ParentForm();
    return IsReachable() && form && form->Visible() && form->Enabled();
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = ParentForm(); form && form != this) form->FocusControl(this);
    else if (Widget()) Widget()->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetFont(const TFont& font) {
    TControl::SetFont(font);
    for (TControl* child : controls_)
        if (child->parentFont_) child->SetFont(font);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    AlignControls();
}

void TWinControl::AlignControls() {
    for (TControl* child : controls_) child->FollowParentResize(ClientWidth(), ClientHeight());
}

bool TWinControl::WantsKey(const KeyRecord&) const { return false; }

bool TWinControl::OfferDialogKey(const KeyRecord& key) {
    for (TControl* child : std::vector<TControl*>(controls_))
        if (auto* win = dynamic_cast<TWinControl*>(child); win && win->OfferDialogKey(key)) return true;
    return false;
}

void TWinControl::FocusMovedInWindow(TWinControl* focused) {
    for (TControl* child : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(child)) win->FocusMovedInWindow(focused);
}

bool TWinControl::OfferAccessKey(char16_t letter) {
    for (TControl* child : std::vector<TControl*>(controls_))
        if (auto* win = dynamic_cast<TWinControl*>(child); win && win->OfferAccessKey(letter)) return true;
    return false;
}

bool TWinControl::AdoptChild(TComponent& child) {
    auto* control = dynamic_cast<TControl*>(&child);
    if (!control) return false;
    control->SetParent(this);
    return true;
}

bool TWinControl::WidgetEvent(QEvent& event) {
    if (event.type() == QEvent::Resize && Parent()) {
        // A user-driven size change of a child window is rare; keep the stored size true.
        auto& resize = static_cast<QResizeEvent&>(event);
        if (resize.size() != QSize(Width(), Height())) {
            StoreBounds(Left(), Top(), resize.size().width(), resize.size().height());
            AlignControls();
        }
    }
    return TControl::WidgetEvent(event);
}

bool TWinControl::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "TabOrder") SetTabOrder(value.AsInt());
    else if (name == "TabStop") SetTabStop(value.AsBool());
    else if (name == "OnKeyDown") OnKeyDown = reader.Handler<TKeyEvent>(value);
    else return TControl::ApplyProperty(name, value, reader);
    return true;
}

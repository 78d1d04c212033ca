#pragma once
// Controls: our objects with a toolkit widget inside. The control keeps the truth (its
// bounds, texts as bytes, flags); the widget shows it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encoding/code_page.h"
#include "platform/keys.h"
#include "ui/component.h"
#include "ui/events.h"
#include "ui/graphics.h"
#include "ui/screen.h"

class QWidget;
class QEvent;
class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;

class TControl : public TComponent {
public:
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The window the control stands on (a form is its own window).
    TCustomForm* ParentForm() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    // A window's are its outer size, frame included (see TCustomForm).
    virtual int Width() const { return width_; }
    virtual int Height() const { return height_; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, Width(), Height()); }
    void SetTop(int v) { SetBounds(left_, v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(left_, top_, v, Height()); }
    void SetHeight(int v) { SetBounds(left_, top_, Width(), v); }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    // True when the control and all its parents are visible and enabled.
    bool IsReachable() const;

    // The caption or text, as bytes in the control's text code page.
    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(const std::string& caption);
    // The code page of the caption's bytes: the locale's, which a control takes at creation,
    // for the program's own texts and for paths; a file's for the file's content. Each
    // control keeps its own, so that loading a file of another code page reinterprets no
    // text that is already shown.
    TCodePage TextCodePage() const { return textCodePage_; }
    // The caption's bytes are read in codePage from now on.
    void SetTextCodePage(TCodePage codePage);

    const TFont& Font() const { return font_; }
    virtual void SetFont(const TFont& font);
    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;

    // Raises OnClick.
    virtual void Click();
    // Where a menu opened from the keyboard appears, in screen coordinates: the middle of the
    // control; item views put it at their selected item.
    virtual TPoint KeyboardMenuPoint() const;
    // What assistive technologies call the control, in the locale's code page; a control with
    // a caption or a label is called by that without it.
    void SetAccessibleName(const std::string& name);

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    TControl(TComponent* owner, QWidget* widget);
    // What a control's widget is made in: its parent's widget, or none. A widget made in its
    // parent takes the parent's font and style once; one moved there later is measured and
    // laid out again in them. The constructor that makes the widget then calls SetParent.
    static QWidget* ParentWidgetOf(const TWinControl* parent);

    QWidget* Widget() const { return widget_; }

    // Every event of the widget comes here before the widget sees it, inside a catch point;
    // true consumes it.
    virtual bool WidgetEvent(QEvent& event);
    // The text changed: show it.
    virtual void ShowCaption() {}
    // The desktop's palette changed: the colours taken from it are taken again.
    virtual void FollowPalette();
    // Bounds changed: move the widget. Forms place themselves differently.
    virtual void ApplyBoundsToWidget();
    void StoreBounds(int left, int top, int width, int height);
    // Re-takes the distances to the parent's edges that anchoring keeps.
    void RecordAnchorDistances();
    void FollowParentResize(int parentWidth, int parentHeight);
    // The mouse handling shared by all controls: OnMouseDown, then the pop-up menu.
    bool HandleMousePress(QEvent& event);

    void ReleaseWidget();

private:
    // The ground the control's text stands on: its own colour, else its nearest parent's.
    TColor GroundColor() const;
    void ApplyColours();

    friend class TWinControl;
    friend class ControlEventBridge;
    friend QWidget* WidgetOf(const TControl& control);
    struct WidgetWatch;

    QWidget* widget_;
    std::unique_ptr<WidgetWatch> widgetWatch_;  // forgets the widget when the toolkit destroys it
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int rightDistance_ = 0, bottomDistance_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    TCodePage textCodePage_;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clBtnFace;
    bool ownColor_ = false;
    TAnchors anchors_ = akLeft | akTop;
    TCursor cursor_ = TCursor::crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    int helpContext_ = 0;
};

class TWinControl : public TControl {
public:
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    // The window-controls among the children, in tab order.
    const std::vector<TWinControl*>& TabList() const { return tabList_; }
    // Every child control, in the order they were placed.
    const std::vector<TControl*>& Controls() const { return controls_; }

    virtual bool CanFocus() const;
    virtual void SetFocus();

    void SetFont(const TFont& font) override;
    void SetBounds(int left, int top, int width, int height) override;

    TKeyEvent OnKeyDown;

    // Whether the control handles Tab, an arrow, Enter, Esc, Cancel or Execute itself
    // rather than leaving it to its window as a dialog key.
    virtual bool WantsKey(const KeyRecord& key) const;
    // Whether typed letters are text for this control rather than access keys.
    virtual bool WantsCharacters() const { return false; }
    // Offers a dialog key to this control and then its children, depth-first; true when one
    // of them handled it.
    virtual bool OfferDialogKey(const KeyRecord& key);
    // The focus moved to another control of the same window (buttons track their active flag).
    virtual void FocusMovedInWindow(TWinControl* focused);
    // Typing an access key: true when a control took it.
    virtual bool OfferAccessKey(char16_t letter);

    bool AdoptChild(TComponent& child) override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    TWinControl(TComponent* owner, QWidget* widget);
    bool WidgetEvent(QEvent& event) override;
    // The client area changed size: anchored children follow.
    void AlignControls();
    virtual int ClientWidth() const { return Width(); }
    virtual int ClientHeight() const { return Height(); }

private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = true;
};

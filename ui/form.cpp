#include "ui/form.h"

#include <QApplication>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QMargins>
#include <QMoveEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QWidget>

#include <algorithm>

#include "platform/display_text.h"
#include "platform/drawn_images.h"
#include "ui/error_sink.h"
#include "ui/layout_reader.h"
#include "ui/screen.h"
#include "ui/widget_access.h"

namespace {

MainWindowCloser& Closer() {
    static MainWindowCloser closer;
    return closer;
}

const QEvent::Type PostedCallType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Runs the calls posted to windows when they come off the queue, while the window still exists.
class PostedCallReceiver : public QObject {
public:
    static PostedCallReceiver& Instance() {
        static PostedCallReceiver receiver;
        return receiver;
    }
    // Whichever thread posts first, the calls run on the program's thread.
    PostedCallReceiver() { moveToThread(QCoreApplication::instance()->thread()); }
    struct Request : QEvent {
        Request(TCustomForm* f, std::function<void()> c) : QEvent(PostedCallType), form(f), call(std::move(c)) {}
        TCustomForm* form;
        std::function<void()> call;
    };
    bool event(QEvent* e) override {
        if (e->type() != PostedCallType) return QObject::event(e);
        auto* request = static_cast<Request*>(e);
        if (TScreen::Instance().Contains(request->form)) CatchErrors(request->form, request->call);
        return true;
    }
};

constexpr NamedValue<TFormBorderStyle> kBorderStyleNames[] = {
    {"bsNone", TFormBorderStyle::bsNone},         {"bsSingle", TFormBorderStyle::bsSingle},
    {"bsSizeable", TFormBorderStyle::bsSizeable}, {"bsDialog", TFormBorderStyle::bsDialog},
    {"bsToolWindow", TFormBorderStyle::bsToolWindow}};

constexpr NamedValue<TPosition> kPositionNames[] = {{"poDesigned", TPosition::poDesigned},
                                                    {"poScreenCenter", TPosition::poScreenCenter}};

}  // namespace

void SetMainWindowCloser(MainWindowCloser closer) { Closer() = std::move(closer); }

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner, new QWidget(nullptr, Qt::Window)) {
    TControl::SetVisible(false);
    Widget()->setFont(ToolkitFont(Font()));
    TScreen::Instance().AddForm(this);
}

TCustomForm::~TCustomForm() {
    MarkDestroying();
    TScreen::Instance().RemoveForm(this);
    DestroyComponents();
}

void TCustomForm::LoadLayoutOf(const char* className) { LoadLayout(*this, className, handlers_); }

void TCustomForm::ThrowMissingComponent(const char* name) {
    throw ELayoutError(std::string("Layout has no component ") + name);
}

bool TCustomForm::AdoptChild(TComponent& child) {
    return TWinControl::AdoptChild(child) || !dynamic_cast<TControl*>(&child);
}

// ---------------------------------------------------------------- geometry

void TCustomForm::SetClientSize(int width, int height) { PlaceClient(Left(), Top(), width, height); }

void TCustomForm::PlaceClient(int left, int top, int clientWidth, int clientHeight) {
    clientWidth_ = std::max(minClientWidth_, clientWidth);
    clientHeight_ = std::max(minClientHeight_, clientHeight);
    StorePosition(left, top);
    ApplyBoundsToWidget();
    AlignControls();
}

// What the control keeps as its size is the client's; Width and Height add the frame.
void TCustomForm::StorePosition(int left, int top) { StoreBounds(left, top, clientWidth_, clientHeight_); }

namespace {
// The frame the desktop puts around a window: known for a shown window; for one not yet
// shown, taken from a window that is (their frames are alike), else none.
QMargins FrameOf(const QWidget* widget) {
    auto marginsOf = [](const QWidget* w) {
        QRect frame = w->frameGeometry(), client = w->geometry();
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    };
    if (widget && widget->isVisible()) return marginsOf(widget);
    for (TCustomForm* form : TScreen::Instance().Forms())
        if (QWidget* other = WidgetOf(*form); other && other != widget && other->isVisible()) return marginsOf(other);
    return QMargins();
}
}  // namespace

int TCustomForm::OuterWidth() const {
    QMargins frame = FrameOf(Widget());
    return clientWidth_ + frame.left() + frame.right();
}

int TCustomForm::OuterHeight() const {
    QMargins frame = FrameOf(Widget());
    return clientHeight_ + frame.top() + frame.bottom();
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    // Width and Height of a window are outer sizes: the frame is not part of the client.
    // Moving a window (SetLeft, SetTop) passes its outer size back, so its client stays.
    QMargins frame = FrameOf(Widget());
    PlaceClient(left, top, std::max(0, width - frame.left() - frame.right()),
                std::max(0, height - frame.top() - frame.bottom()));
}

void TCustomForm::ApplyBoundsToWidget() {
    if (!Widget()) return;
    Widget()->move(Left(), Top());
    Widget()->resize(clientWidth_, clientHeight_);
    if (borderStyle_ != TFormBorderStyle::bsSizeable) Widget()->setFixedSize(clientWidth_, clientHeight_);
    else Widget()->setMinimumSize(minClientWidth_, minClientHeight_);
}

void TCustomForm::SetMinClientSize(int width, int height) {
    minClientWidth_ = std::max(0, width);
    minClientHeight_ = std::max(0, height);
    SetClientSize(clientWidth_, clientHeight_);
}

void TCustomForm::ShowCaption() {
    if (Widget()) Widget()->setWindowTitle(ToDisplay(Caption(), TextCodePage()));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    ApplyWindowFlags();
    // Let go of a size that an earlier dialog frame fixed; a fixed frame takes it again.
    Widget()->setMinimumSize(0, 0);
    Widget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ApplyBoundsToWidget();
}

void TCustomForm::ApplyWindowFlags() {
    Qt::WindowFlags flags;
    switch (borderStyle_) {
        case TFormBorderStyle::bsSizeable:
        case TFormBorderStyle::bsSingle: flags = Qt::Window; break;
        case TFormBorderStyle::bsDialog:
            flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
            break;
        case TFormBorderStyle::bsToolWindow:
            flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
            break;
        case TFormBorderStyle::bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
    }
    bool shown = Widget()->isVisible();
    Widget()->setWindowFlags(flags);
    if (shown) Widget()->show();
}

void TCustomForm::ApplyPosition() {
    if (position_ != TPosition::poScreenCenter) return;
    position_ = TPosition::poDesigned;
    CentreOnScreen();
}

void TCustomForm::CentreOnScreen() {
    auto centreOn = [this](const TRect& area) {
        int left = area.Left + (area.Width() - OuterWidth()) / 2;
        int top = area.Top + (area.Height() - OuterHeight()) / 2;
        StorePosition(std::max(area.Left, left), std::max(area.Top, top));
    };
    TScreen& screen = TScreen::Instance();
    centreOn(screen.PrimaryScreenRect());
    // A dialog belongs on the monitor the user works on.
    if (TCustomForm* active = screen.ActiveForm(); active && active != this) {
        TRect activeMonitor = screen.MonitorRectOf(*active), ownMonitor = screen.MonitorRectOf(*this);
        if (activeMonitor.Left != ownMonitor.Left || activeMonitor.Top != ownMonitor.Top) centreOn(activeMonitor);
    }
    ApplyBoundsToWidget();
}

// A window the user cannot size grows to hold its controls: a face with a taller line than the
// one its layout was made for makes labels taller. It keeps the layout's own margin there, the
// smallest gap before the first control.
void TCustomForm::HoldControls() {
    if (borderStyle_ == TFormBorderStyle::bsSizeable) return;
    int right = 0, bottom = 0, marginLeft = clientWidth_, marginTop = clientHeight_;
    for (const TControl* control : Controls()) {
        if (!control->Visible()) continue;
        right = std::max(right, control->Left() + control->Width());
        bottom = std::max(bottom, control->Top() + control->Height());
        marginLeft = std::min(marginLeft, std::max(0, control->Left()));
        marginTop = std::min(marginTop, std::max(0, control->Top()));
    }
    const int width = right > clientWidth_ ? right + marginLeft : clientWidth_;
    const int height = bottom > clientHeight_ ? bottom + marginTop : clientHeight_;
    if (width != clientWidth_ || height != clientHeight_) SetClientSize(width, height);
}

// A window larger than its monitor's work area (a large scale factor makes a small screen)
// shrinks to it, as far as its smallest size allows, and moves inside it: the title bar and
// the buttons stay reachable.
void TCustomForm::KeepOnScreen() {
    const TRect area = TScreen::Instance().WorkAreaOf(*this);
    const QMargins frame = FrameOf(Widget());
    int width = clientWidth_, height = clientHeight_;
    if (borderStyle_ == TFormBorderStyle::bsSizeable) {
        width = std::min(width, area.Width() - frame.left() - frame.right());
        height = std::min(height, area.Height() - frame.top() - frame.bottom());
    }
    const int outerWidth = std::max(minClientWidth_, width) + frame.left() + frame.right();
    const int outerHeight = std::max(minClientHeight_, height) + frame.top() + frame.bottom();
    const int left = std::max(area.Left, std::min(Left(), area.Right - outerWidth));
    const int top = std::max(area.Top, std::min(Top(), area.Bottom - outerHeight));
    if (left != Left() || top != Top() || width != clientWidth_ || height != clientHeight_)
        PlaceClient(left, top, width, height);
}

// ---------------------------------------------------------------- showing

void TCustomForm::RunVisibilityHandler(const TNotifyEvent& handler) {
    if (!handler) return;
    inShowOrHide_ = true;
    try {
        handler(this);
    } catch (...) {
        inShowOrHide_ = false;
        throw;
    }
    inShowOrHide_ = false;
}

void TCustomForm::SetVisible(bool visible) {
    if (inShowOrHide_) throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
    if (visible == Visible()) return;
    TControl::SetVisible(false);  // keeps the widget hidden until the handlers have run
    if (visible) {
        // Dialogs stand over the window the user works in, and share its task-bar entry.
        if (TCustomForm* over = TransientOwner(); over && Widget()->parentWidget() != over->Widget()) {
            Widget()->setParent(over->Widget(), Widget()->windowFlags());
            ApplyBoundsToWidget();
        }
        CatchErrors(this, [&] { RunVisibilityHandler(OnShow); });
        HoldControls();
        bool centring = position_ == TPosition::poScreenCenter;
        ApplyPosition();
        KeepOnScreen();
        int estimatedWidth = OuterWidth(), estimatedHeight = OuterHeight();
        // The toolkit focuses a control of its own choice as the window appears.
        TWinControl* chosen = activeControl_;
        TControl::SetVisible(true);
        // The real frame is known only now; a centred window follows it once.
        if (centring && (OuterWidth() != estimatedWidth || OuterHeight() != estimatedHeight)) CentreOnScreen();
        KeepOnScreen();
        BringToFront();
        activeControl_ = chosen;
        FocusFirstControl();
    } else {
        CatchErrors(this, [&] { RunVisibilityHandler(OnHide); });
        if (Widget()) Widget()->hide();
    }
}

void TCustomForm::TakeOffScreen() {
    if (Widget()) Widget()->hide();
}

TCustomForm* TCustomForm::TransientOwner() const {
    TScreen& screen = TScreen::Instance();
    if (TCustomForm* active = screen.ActiveForm(); active && active != this) return active;
    for (TCustomForm* form : screen.Forms())
        if (form != this && form->Visible()) return form;
    return nullptr;
}

void TCustomForm::SetEnabled(bool enabled) {
    // Only the flag: input is refused by the input router, the look stays.
    if (enabled == Enabled()) return;
    // Toggling the widget would drop the focus inside it, and Enter would then reach nothing.
    QPointer<QWidget> focus = Widget() ? Widget()->focusWidget() : nullptr;
    TControl::SetEnabled(enabled);
    if (Widget()) Widget()->setEnabled(true);
    if (focus && focus != Widget()->focusWidget()) focus->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::BringToFront() {
    if (!Widget()) return;
    // The offscreen platform has no stacking order and complains about every raise.
    static const bool stacking = QGuiApplication::platformName() != QLatin1String("offscreen");
    if (stacking) Widget()->raise();
    Widget()->activateWindow();
    QApplication::setActiveWindow(Widget());
}

bool TCustomForm::IsActiveWindow() const { return Widget() && QApplication::activeWindow() == Widget(); }

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

// ---------------------------------------------------------------- focus

void TCustomForm::SetActiveControl(TWinControl* control) {
    activeControl_ = control;
    if (Visible() && control && control->CanFocus()) WidgetOf(*control)->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::FocusControl(TWinControl* control) { SetActiveControl(control); }

void TCustomForm::NoteFocusedControl(TWinControl* control) {
    activeControl_ = control;
    TScreen& screen = TScreen::Instance();
    screen.SetFocusCount(screen.FocusCount() + 1);
    FocusMovedInWindow(control);
}

TWinControl* TCustomForm::FirstTabStop(TWinControl* container) const {
    for (TWinControl* c : container->TabList()) {
        if (c->TabStop() && c->CanFocus()) return c;
        if (c->IsReachable())
            if (TWinControl* inner = FirstTabStop(c)) return inner;
    }
    return nullptr;
}

void TCustomForm::FocusFirstControl() {
    TWinControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_ : FirstTabStop(this);
    if (target) SetActiveControl(target);
}

namespace {
void CollectTabStops(TWinControl* container, std::vector<TWinControl*>& out) {
    for (TWinControl* c : container->TabList()) {
        if (c->TabStop() && c->CanFocus()) out.push_back(c);
        CollectTabStops(c, out);
    }
}
}  // namespace

void TCustomForm::SelectNext(TWinControl* current, bool forward) {
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    if (stops.empty()) return;
    auto it = std::find(stops.begin(), stops.end(), current);
    size_t index = it == stops.end() ? (forward ? stops.size() - 1 : 0) : size_t(it - stops.begin());
    index = forward ? (index + 1) % stops.size() : (index + stops.size() - 1) % stops.size();
    // Told as a move by Tab: an edit then selects its text, a list the row the focus rests on.
    activeControl_ = stops[index];
    WidgetOf(*stops[index])->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool TCustomForm::HandleDialogKey(const KeyRecord& key) {
    if (key.shift.Has(ShiftFlag::Alt)) return OfferDialogKey(key);
    switch (key.key) {
        case vk::Tab:
            if (key.shift.Has(ShiftFlag::Ctrl)) break;
            SelectNext(activeControl_, !key.shift.Has(ShiftFlag::Shift));
            return true;
        case vk::Left:
        case vk::Up:
        case vk::Right:
        case vk::Down: {
            if (!activeControl_ || !activeControl_->Parent()) return false;
            const auto& siblings = activeControl_->Parent()->TabList();
            auto it = std::find(siblings.begin(), siblings.end(), activeControl_);
            bool forward = key.key == vk::Right || key.key == vk::Down;
            size_t n = siblings.size(), index = size_t(it - siblings.begin());
            for (size_t step = 1; step < n; ++step) {
                TWinControl* next = siblings[forward ? (index + step) % n : (index + n - step) % n];
                if (next->CanFocus()) {
                    SetActiveControl(next);
                    break;
                }
            }
            return true;
        }
        default: break;
    }
    return OfferDialogKey(key);
}

// ---------------------------------------------------------------- closing

bool TCustomForm::QueryCanClose() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::RequestClose() {
    if (inModalLoop_) {
        modalResult_ = ResultCancel;
        return;
    }
    if (!QueryCanClose()) return;
    TCloseAction action = TCloseAction::CloseActionHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::CloseActionNone) return;
    if (Closer() && Closer()(*this)) return;
    if (action == TCloseAction::CloseActionHide) Hide();
    else if (action == TCloseAction::CloseActionMinimize && Widget()) Widget()->showMinimized();
    else if (action == TCloseAction::CloseActionFree) ReleaseLater();
}

void TCustomForm::ReleaseLater() {
    PostCall([this] { delete this; });
}

void TCustomForm::PostCall(std::function<void()> call) {
    QCoreApplication::postEvent(&PostedCallReceiver::Instance(), new PostedCallReceiver::Request(this, std::move(call)));
}

// ---------------------------------------------------------------- dropped files

void TCustomForm::AcceptFiles(TDropFilesEvent handler) {
    onDropFiles_ = std::move(handler);
    Widget()->setAcceptDrops(bool(onDropFiles_));
}

void TCustomForm::DropFiles(const std::vector<std::string>& paths) {
    if (onDropFiles_) onDropFiles_(this, paths);
}

bool TCustomForm::WidgetEvent(QEvent& event) {
    switch (event.type()) {
        case QEvent::Close:
            // The desktop's close (close box, Alt+F4, task-bar entry) is only a request.
            event.ignore();
            RequestClose();
            return true;
        case QEvent::Resize: {
            auto& resize = static_cast<QResizeEvent&>(event);
            if (resize.size() != QSize(clientWidth_, clientHeight_)) {
                clientWidth_ = resize.size().width();
                clientHeight_ = resize.size().height();
                StorePosition(Left(), Top());
                AlignControls();
            }
            return false;
        }
        case QEvent::Move:
            if (!Widget()->isVisible()) return false;
            StorePosition(Widget()->frameGeometry().x(), Widget()->frameGeometry().y());
            if (!placedWithFrame_ && !FrameOf(Widget()).isNull()) {
                placedWithFrame_ = true;
                KeepOnScreen();
            }
            return false;
        case QEvent::WindowStateChange:
            if (Widget()->isMinimized() && PartOfModalLoop()) PostCall([this] { ComeBackFromMinimized(); });
            return false;
        case QEvent::Paint:
            ShowIconOnceDrawn();
            return TControl::WidgetEvent(event);
        default: return TControl::WidgetEvent(event);
    }
}

// The modal window itself, or one of the windows its loop disabled.
bool TCustomForm::PartOfModalLoop() const { return inModalLoop_ || !Enabled(); }

// A desktop minimizes a dialog together with the windows it stands over (openbox does, and
// offers the button for it): with an answer awaited, that would leave the user before an empty
// desktop. The dialog and its owners come back; the dialog keeps the focus.
void TCustomForm::ComeBackFromMinimized() {
    if (!Widget()->isMinimized() || !PartOfModalLoop()) return;
    Widget()->showNormal();
    if (inModalLoop_) BringToFront();
}

// Drawing the icon in every size a desktop asks for takes longer than the window's first paint:
// the icon follows it, from the queue.
void TCustomForm::ShowIconOnceDrawn() {
    if (iconSet_) return;
    iconSet_ = true;
    PostCall([this] {
        Widget()->setWindowIcon(AppIcon());
        if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(AppIcon());
    });
}

bool TCustomForm::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "ClientWidth") SetClientSize(value.AsInt(), clientHeight_);
    else if (name == "ClientHeight") SetClientSize(clientWidth_, value.AsInt());
    else if (name == "BorderStyle") SetBorderStyle(value.AsEnum(kBorderStyleNames, "border style"));
    else if (name == "Position") position_ = value.AsEnum(kPositionNames, "position");
    else if (name == "KeyPreview") keyPreview_ = value.AsBool();
    else if (name == "ActiveControl")
        reader.ResolveLater(value, [this](TComponent* c) { activeControl_ = dynamic_cast<TWinControl*>(c); });
    else if (name == "OnShow") OnShow = reader.Handler<TNotifyEvent>(value);
    else if (name == "OnHide") OnHide = reader.Handler<TNotifyEvent>(value);
    else if (name == "Icon") {}  // every window has the program's icon: see ShowIconOnceDrawn
    else if (name == "Constraints") {
        int width = minClientWidth_, height = minClientHeight_;
        for (const auto& [field, v] : value.AsRecord()) {
            if (field == "MinClientWidth") width = v.AsInt();
            else if (field == "MinClientHeight") height = v.AsInt();
            else throw ELayoutError("Unknown constraint " + field);
        }
        SetMinClientSize(width, height);
    }
    else return TWinControl::ApplyProperty(name, value, reader);
    return true;
}

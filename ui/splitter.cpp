#include "ui/splitter.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

#include "ui/layout_reader.h"

TSplitter::TSplitter(TComponent* owner, TWinControl* parent) : TControl(owner, new QWidget(ParentWidgetOf(parent))) {
    Widget()->setCursor(Qt::SplitHCursor);
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetParent(parent);
}

void TSplitter::SetSides(TControl* before, TControl* after) {
    before_ = before;
    after_ = after;
}

int TSplitter::BeforeSize() const { return before_ ? before_->Width() : 0; }

void TSplitter::SetBeforeSize(int width) {
    if (!before_ || !after_) return;
    const int room = before_->Width() + after_->Width();
    width = std::max(std::min(width, room - minSize_), minSize_);
    const int shift = width - before_->Width();
    if (shift == 0 || room < 2 * minSize_) return;
    before_->SetBounds(before_->Left(), before_->Top(), width, before_->Height());
    SetBounds(Left() + shift, Top(), Width(), Height());
    after_->SetBounds(after_->Left() + shift, after_->Top(), after_->Width() - shift, after_->Height());
}

bool TSplitter::WidgetEvent(QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress: {
            auto& mouse = static_cast<QMouseEvent&>(event);
            if (mouse.button() == Qt::LeftButton) {
                dragging_ = true;
                dragStartX_ = int(mouse.globalPosition().x());
                dragStartSize_ = BeforeSize();
            }
            break;
        }
        case QEvent::MouseMove:
            if (dragging_)
                SetBeforeSize(dragStartSize_ + int(static_cast<QMouseEvent&>(event).globalPosition().x()) - dragStartX_);
            return true;
        case QEvent::MouseButtonRelease:
            if (dragging_ && static_cast<QMouseEvent&>(event).button() == Qt::LeftButton) {
                dragging_ = false;
                if (BeforeSize() != dragStartSize_ && OnMoved) OnMoved(this);
            }
            return true;
        default: break;
    }
    return TControl::WidgetEvent(event);
}

bool TSplitter::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    auto side = [&](TControl*& slot) {
        reader.ResolveLater(value, [&slot](TComponent* c) {
            slot = dynamic_cast<TControl*>(c);
            if (!slot) throw ELayoutError(c->Name() + " is no control");
        });
    };
    if (name == "Before") side(before_);
    else if (name == "After") side(after_);
    else if (name == "MinSize") SetMinSize(value.AsInt());
    else if (name == "OnMoved") OnMoved = reader.Handler<TNotifyEvent>(value);
    else return TControl::ApplyProperty(name, value, reader);
    return true;
}

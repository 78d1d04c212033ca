#include "ui/panel.h"

#include <QPainter>
#include <QWidget>

#include "ui/layout_reader.h"

namespace {

class PanelWidget : public QWidget {
public:
    PanelWidget(TPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        QRect r = rect();
        for (TBevelCut cut : {panel_.BevelOuter(), panel_.BevelInner()}) {
            if (cut == TBevelCut::bvNone) continue;
            for (int i = 0; i < panel_.BevelWidth(); ++i) {
                DrawBevel(painter, r, cut == TBevelCut::bvRaised);
                r.adjust(1, 1, -1, -1);
            }
        }
    }

private:
    // Light on the top and left, shadow on the bottom and right: raised; the other way: lowered.
    void DrawBevel(QPainter& painter, const QRect& r, bool raised) {
        QColor light = palette().color(QPalette::Light), shadow = palette().color(QPalette::Dark);
        painter.setPen(raised ? light : shadow);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(raised ? shadow : light);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }

    TPanel& panel_;
};

constexpr NamedValue<TBevelCut> kBevelNames[] = {
    {"bvNone", TBevelCut::bvNone}, {"bvLowered", TBevelCut::bvLowered}, {"bvRaised", TBevelCut::bvRaised}};

}  // namespace

TPanel::TPanel(TComponent* owner, TWinControl* parent)
    : TWinControl(owner, new PanelWidget(*this, ParentWidgetOf(parent))) {
    SetTabStop(false);
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetParent(parent);
}

void TPanel::SetBevels(TBevelCut outer, TBevelCut inner) {
    bevelOuter_ = outer;
    bevelInner_ = inner;
    Widget()->update();
}

bool TPanel::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "BevelOuter") SetBevels(value.AsEnum(kBevelNames, "bevel"), bevelInner_);
    else if (name == "BevelInner") SetBevels(bevelOuter_, value.AsEnum(kBevelNames, "bevel"));
    else if (name == "BevelWidth") bevelWidth_ = value.AsInt();
    else return TWinControl::ApplyProperty(name, value, reader);
    return true;
}

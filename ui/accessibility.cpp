#include "ui/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

#include "ui/control.h"
#include "ui/form.h"
#include "ui/panel.h"
#include "ui/splitter.h"
#include "ui/widget_access.h"

namespace {

TControl* ControlOwning(QWidget* widget) {
    TControl* control = ControlOfWidget(widget);
    return control && WidgetOf(*control) == widget && !control->IsDestroying() ? control : nullptr;
}

// The role is asked for each time: the toolkit may make (and cache) the interface while the
// control is still being built, before its own class is known.
class ControlAccessible : public QAccessibleWidget {
public:
    explicit ControlAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    QAccessible::Role role() const override {
        TControl* control = ControlOwning(widget());
        if (auto* form = dynamic_cast<TCustomForm*>(control)) {
            TFormBorderStyle style = form->BorderStyle();
            bool dialog = form->InModalLoop() || style == TFormBorderStyle::bsDialog ||
                          style == TFormBorderStyle::bsToolWindow;
            return dialog ? QAccessible::Dialog : QAccessible::Window;
        }
        if (dynamic_cast<TPanel*>(control)) return QAccessible::Grouping;
        if (dynamic_cast<TSplitter*>(control)) return QAccessible::Splitter;
        return QAccessibleWidget::role();
    }
};

// Forms, panels and splitters are plain widgets to the toolkit; everything else keeps its standard
// interface (buttons, edits, labels, item views).
QAccessibleInterface* ControlFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QWidget") || !object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    return ControlOwning(widget) ? new ControlAccessible(widget) : nullptr;
}

}  // namespace

void InstallControlAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ControlFactory);
        return true;
    }();
    (void)installed;
}

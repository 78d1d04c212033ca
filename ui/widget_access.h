#pragma once
// Between controls and the toolkit widgets inside them, for the code of ui/ and for tests
// that drive real widgets. Nothing above ui/ needs a widget.
class QWidget;
class TControl;

// The widget inside a control; nullptr once the widget is gone.
QWidget* WidgetOf(const TControl& control);
// The control that a widget belongs to (walking up its parents), or nullptr.
TControl* ControlOfWidget(const QWidget* widget);

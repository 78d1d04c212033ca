#pragma once
// Acting on a modal window from inside its loop: queue what to do, then make the call that
// shows the window.
#include <QString>
#include <Qt>

#include <functional>

class TCustomForm;

// Runs action on the next window that enters its modal loop (a window already modal when
// this is called does not count). Fails the test when none turns up, or when the window is
// still open ten seconds later, which it then closes so that the test goes on.
void WhenNextModalShown(std::function<void(TCustomForm&)> action);

// The most recently created window that is visible and in its modal loop, or nullptr.
TCustomForm* TopModalForm();

// A key press (or typed text) on the focused control of form, or on form when nothing in it
// has the focus.
void PressKey(TCustomForm& form, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void TypeText(TCustomForm& form, const QString& text);

#pragma once
// Files dragged from a file manager onto a window that takes them.
class QEvent;
class TControl;

// Takes a drag or a drop of local files over a control whose window accepts files: the drag
// is accepted, and the drop hands the paths to the window. False for every other event
// (text dragged onto an edit goes on to the edit as usual).
bool TakeFileDrop(const TControl& control, QEvent& event);

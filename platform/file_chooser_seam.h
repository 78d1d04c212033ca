#pragma once
// Test seam of the file chooser: tests drive the real toolkit chooser from here.
#include <functional>

class QDialog;

// Called with the chooser once it is on the screen, before its loop waits. Empty: none.
void SetFileChooserShownHook(std::function<void(QDialog&)> hook);

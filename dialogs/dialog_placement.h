#pragma once
// Placing the chooser on the monitor that the user works on.
#include "ui/screen.h"

class TChooserWindow;
class TCustomForm;

// The window moved, unsized, to the middle across the monitor and a third of the free height
// down (divisions truncate toward zero).
TRect PlacedOnMonitor(const TRect& window, const TRect& monitor);
// The monitor of the active form when there are a main form and an active form; of the main
// form when there is no active one; otherwise the first monitor.
TRect DialogMonitor(const TCustomForm* activeForm, const TCustomForm* mainForm);
void PlaceDialogOnMonitor(TChooserWindow& window, const TCustomForm* activeForm);

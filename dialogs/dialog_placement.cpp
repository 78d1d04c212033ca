#include "dialogs/dialog_placement.h"

#include "platform/file_chooser.h"
#include "shell/application.h"
#include "ui/form.h"

TRect PlacedOnMonitor(const TRect& window, const TRect& monitor) {
    const int left = monitor.Left + (monitor.Width() - window.Width()) / 2;
    const int top = monitor.Top + (monitor.Height() - window.Height()) / 3;
    return TRect{left, top, left + window.Width(), top + window.Height()};
}

TRect DialogMonitor(const TCustomForm* activeForm, const TCustomForm* mainForm) {
    TScreen& screen = TScreen::Instance();
    if (mainForm) return screen.MonitorRectOf(activeForm ? *activeForm : *mainForm);
    return screen.PrimaryScreenRect();
}

void PlaceDialogOnMonitor(TChooserWindow& window, const TCustomForm* activeForm) {
    const TChooserRect r = window.WindowRect();
    const TRect rect{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
    const TCustomForm* mainForm = Application ? Application->MainWindow() : nullptr;
    const TRect placed = PlacedOnMonitor(rect, DialogMonitor(activeForm, mainForm));
    window.MoveWindow(placed.Left, placed.Top);
}

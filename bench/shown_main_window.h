#pragma once
// The program's main window, made and shown as the program starts it, for the benchmarks that
// drive the window.
#include <QApplication>

#include <memory>

#include "app/frm_main.h"
#include "dialogs/dialog_components.h"
#include "shell/application.h"
#include "text/lead_bytes.h"

struct ShownMainWindow {
    TApplication application;
    std::unique_ptr<TForm1> form;

    ShownMainWindow() {
        InitLeadByteSet();
        RegisterDialogComponents();
        form.reset(new TForm1(Application));
        form->Show();
        QApplication::processEvents();
    }
    // The window goes before the application ends.
    ~ShownMainWindow() {
        form.reset();
        application.ShutdownApplication();
    }
};

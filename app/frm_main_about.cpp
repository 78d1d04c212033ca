// The About button: a fresh About dialog for every use.
#include <memory>

#include "app/Unit2.h"
#include "app/frm_main.h"
#include "encoding/scope_exit.h"
#include "shell/application.h"
#include "shell/modal.h"

void TForm1::BitBtn1Click(TComponent*) {
    std::unique_ptr<TForm2> dialog(new TForm2(Application));
    Form2 = dialog.get();
    // Declared after the dialog, so the reference is cleared before the dialog goes.
    const ScopeExit forget([] { Form2 = nullptr; });
    RunModal(*dialog);
}

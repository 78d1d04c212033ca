#pragma once
// The add-key dialog: a key name and a value; its Tag is 1 when the user accepted them.
#include <functional>

#include "encoding/code_page.h"
#include "ui/form.h"

class TLabeledEdit;
class TBitBtn;

class Tfnodeadd : public TForm {
public:
    explicit Tfnodeadd(TComponent* owner);
    const char* ClassName() const override { return "Tfnodeadd"; }

    TLabeledEdit* ledtname;
    TLabeledEdit* ledtvalue;
    TBitBtn* Btnok;
    TBitBtn* BitBtn1;

    void BtnokClick(TComponent* sender);
    // Asked once both texts are filled in: false keeps the dialog open with them (the caller
    // has told the user why).
    std::function<bool()> OnAccept;
    // The code page of the key name and value the user types: the file's.
    void SetFileCodePage(TCodePage codePage);
};

// The add-key dialog most recently created.
extern Tfnodeadd* fnodeadd;

#pragma once
// The About dialog: the author's credit, two e-mail addresses and three download links.
#include "ui/form.h"

class TPanel;
class TLabel;

class TForm2 : public TForm {
public:
    explicit TForm2(TComponent* owner);
    const char* ClassName() const override { return "TForm2"; }

    TPanel* Panel1;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* Label3;
    TLabel* Label4;
    TLabel* Label5;
    TLabel* Label6;

    void Label3Click(TComponent* sender);
    void Label4Click(TComponent* sender);
    void Label1Click(TComponent* sender);
    void Label5Click(TComponent* sender);
    void Label2Click(TComponent* sender);
};

// The About dialog most recently created.
extern TForm2* Form2;


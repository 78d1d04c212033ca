#include "app/Unit2.h"

#include "platform/open_link.h"
#include "ui/label.h"
#include "ui/panel.h"

TForm2* Form2 = nullptr;

namespace {

// Fixed targets: the mail addresses match what Label3 and Label4 show.
constexpr const char* FirstMail = "mailto:ini.project@example.com";
constexpr const char* SecondMail = "mailto:admin@example.org";
constexpr const char* FirstSite = "https://www.example.com/";
constexpr const char* SecondSite = "https://downloads.example.org/";

// A link that cannot be opened is not the user's concern here: nothing is shown.
void OpenQuietly(const char* target) {
    try {
        OpenLinkInDesktop(target);
    } catch (...) {
    }
}

}  // namespace

TForm2::TForm2(TComponent* owner) : TForm(owner) {
    Bind("Label3Click", &TForm2::Label3Click);
    Bind("Label4Click", &TForm2::Label4Click);
    Bind("Label1Click", &TForm2::Label1Click);
    Bind("Label5Click", &TForm2::Label5Click);
    Bind("Label2Click", &TForm2::Label2Click);
    LoadLayoutOf("TForm2");
    Panel1 = Find<TPanel>("Panel1");
    Label1 = Find<TLabel>("Label1");
    Label2 = Find<TLabel>("Label2");
    Label3 = Find<TLabel>("Label3");
    Label4 = Find<TLabel>("Label4");
    Label5 = Find<TLabel>("Label5");
    Label6 = Find<TLabel>("Label6");
}

void TForm2::Label3Click(TComponent*) { OpenQuietly(FirstMail); }

void TForm2::Label4Click(TComponent*) { OpenQuietly(SecondMail); }

void TForm2::Label1Click(TComponent*) { OpenQuietly(FirstSite); }

void TForm2::Label5Click(TComponent*) { OpenQuietly(FirstSite); }

void TForm2::Label2Click(TComponent*) { OpenQuietly(SecondSite); }

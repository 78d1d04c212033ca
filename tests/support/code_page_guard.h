#pragma once
// The process's code page set for one scope; the one before comes back at its end.
#include "encoding/code_page.h"

class ScopedCodePage {
public:
    explicit ScopedCodePage(TCodePage codePage) : saved_(AnsiCodePage()) { SetAnsiCodePage(codePage); }
    ~ScopedCodePage() { SetAnsiCodePage(saved_); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    TCodePage saved_;
};

#pragma once
// A locale for one scope, as the program takes it at start-up: the code page and the lead
// bytes that the locale's language uses. At the end the code page before it comes back, with
// the lead bytes of the process's own locale.
#include <string_view>

#include "platform/code_page.h"
#include "platform/locale_info.h"
#include "text/lead_bytes.h"

class ScopedLocale {
public:
    ScopedLocale(std::string_view localeName, int codePage) : saved_(AnsiCodePage()) {
        SetAnsiCodePage(codePage);
        InitLeadByteSet(LocaleIdOfName(localeName));
    }
    ~ScopedLocale() {
        SetAnsiCodePage(saved_);
        InitLeadByteSet();
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    int saved_;
};

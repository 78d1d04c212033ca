#pragma once
// A locale for one scope, as the program takes it at start-up: LC_ALL, the code page and the
// lead bytes that the locale's language uses. At the end LC_ALL and the code page before it
// come back, with the lead bytes of the process's own locale.
#include <optional>
#include <string>
#include <string_view>

#include "encoding/code_page.h"
#include "encoding/locale_info.h"
#include "support/environment_guard.h"
#include "text/lead_bytes.h"

class ScopedLocale {
public:
    ScopedLocale(std::string_view localeName, TCodePage codePage)
        : saved_(AnsiCodePage()) {
        environment_.emplace("LC_ALL", std::string(localeName));
        SetAnsiCodePage(codePage);
        InitLeadByteSet(LocaleIdOfName(localeName));
    }
    ~ScopedLocale() {
        environment_.reset();
        SetAnsiCodePage(saved_);
        InitLeadByteSet();
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::optional<ScopedEnvironment> environment_;
    TCodePage saved_;
};

#pragma once
// The user's locale as a locale id.
#include <cstdint>
#include <string>
#include <string_view>

// A locale id: the primary language in bits 0-9, the sub-language above. Only the primary
// language is derived here; the sub-language is always the default one (1).
using TLocaleId = std::uint32_t;

// The locale id of a locale name such as "zh_CN.GBK"; 0 when its language is not known.
TLocaleId LocaleIdOfName(std::string_view localeName);
// The calling thread's locale: that of the user's locale name (UserLocaleName).
TLocaleId ThreadLocaleId();
// The locale of the language messages are written in (LC_ALL, LC_MESSAGES, LANG, in that
// order; the locale need not be installed); the empty name when none is set.
std::string MessagesLocaleName();
constexpr int PrimaryLanguageOf(TLocaleId id) { return static_cast<int>(id & 0x3FF); }

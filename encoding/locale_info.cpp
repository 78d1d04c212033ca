#include "encoding/locale_info.h"

#include <cstdlib>
#include <utility>

#include "encoding/code_page.h"

namespace {

constexpr TLocaleId SubLanguageDefault = 1;

int PrimaryLanguageOfCode(std::string_view code) {
    static const std::pair<const char*, int> table[] = {
        {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
        {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
        {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
        {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
        {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
        {"th", 0x1E}, {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22}, {"sl", 0x24}, {"et", 0x25},
        {"lv", 0x26}, {"lt", 0x27}, {"vi", 0x2A},
    };
    for (const auto& [name, language] : table)
        if (code == name) return language;
    return 0;
}

}  // namespace

TLocaleId LocaleIdOfName(std::string_view localeName) {
    const std::string_view code = localeName.substr(0, localeName.find_first_of("_.@"));
    const int language = PrimaryLanguageOfCode(code);
    return language == 0 ? 0 : (SubLanguageDefault << 10) | static_cast<TLocaleId>(language);
}

TLocaleId ThreadLocaleId() { return LocaleIdOfName(UserLocaleName()); }

std::string MessagesLocaleName() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(var); value && *value) return value;
    return {};
}

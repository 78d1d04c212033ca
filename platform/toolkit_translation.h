#pragma once
// The toolkit's own texts (the file chooser's, the edit fields' context menu, its standard
// buttons) in the language of the messages locale, from the toolkit's installed translations.
#include <string_view>

class QTranslator;

// Installs the translation of the locale named (such as "zh_CN.GBK"; it need not be
// installed) and returns it, owned by the application: deleting it takes it back. nullptr for
// C, English and a language whose translation is not installed. Reads one file, no more.
QTranslator* InstallToolkitTranslation(std::string_view localeName);

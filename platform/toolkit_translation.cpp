#include "platform/toolkit_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

QTranslator* InstallToolkitTranslation(std::string_view localeName) {
    const QLocale locale(QString::fromUtf8(localeName.data(), qsizetype(localeName.size())));
    if (locale.language() == QLocale::C || locale.language() == QLocale::English) return nullptr;
    // The widgets' catalogue alone: the combined one would load every module's.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

#include "platform/program_file.h"

#include <QCoreApplication>
#include <QFileInfo>

std::optional<std::string> ProgramFileName() {
    if (!QCoreApplication::instance()) return std::nullopt;
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
}

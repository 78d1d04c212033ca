// Writes the program icon as PNG files into a hicolor icon theme folder:
//   iniv_icon_pngs <theme folder> <icon name> <size>...
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QString>

#include <cstdio>

#include "platform/drawn_images.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <theme folder> <icon name> <size>...\n", argv[0]);
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        const QPixmap icon = ok && size > 0 ? DrawnImage("app", QSize(size, size), 1.0) : QPixmap();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (icon.isNull() || !QDir().mkpath(folder) || !icon.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write the %s-pixel icon\n", argv[0], argv[i]);
            return 1;
        }
    }
    return 0;
}

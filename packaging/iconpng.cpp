// Writes the program's window icon as a 32 x 32 PNG, for the desktop menus.
// Usage: vevurid_iconpng <file.png>

#include "ui/appsetup.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QPixmap pixmap = appIcon().pixmap(32, 32);
    if (pixmap.size() != QSize(32, 32) || !pixmap.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

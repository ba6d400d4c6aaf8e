// The floor a Qt Widgets program pays at start-up: an empty main window of
// the sheet's size with the sheet's menus, and nothing else linked.

#include "sheet/sheetlayout.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    for (const char *menu : {"&File", "&Cerca", "&Aiuto"})
        window.menuBar()->addMenu(QString::fromLatin1(menu));
    window.resize(SheetLayout::ClientWidth, SheetLayout::ClientHeight + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}

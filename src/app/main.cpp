#include "app/program.h"
#include "sheet/sheetwindow.h"
#include "ui/appsetup.h"
#include "ui/messageboxes.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setupApplication(app);
    MessageBoxes messages;
    QtFileDialogs dialogs;
    UserSettings settings;
    SheetWindow sheet({messages, dialogs, settings,
                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)});
    Program::Modules modules = Program::modulesIn(Module::installedFolders());
    Program::bindCommands(sheet, modules);
    sheet.show();
    return app.exec();
}

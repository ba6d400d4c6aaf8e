#include "menus.h"

#include "sheet/printing.h"
#include "windows/dialog.h"
#include "windows/dialog1.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/frmabout.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>

namespace Menus {

namespace {

QAction *entry(QMainWindow &sheet, const char *name)
{
    auto *action = sheet.findChild<QAction *>(QLatin1String(name));
    Q_ASSERT_X(action, "Menus", name);
    return action;
}

// A new, independent copy each time; it deletes itself when closed, so the
// sheet keeps nothing.
template <typename Window>
void open()
{
    (new Window)->show();
}

} // namespace

void endProgram()
{
    // Not QApplication::closeAllWindows(): it stops at the first window that
    // refuses to close and leaves the others open.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows << window;
    for (const QPointer<QWidget> &window : windows)
        if (window && window->isVisible())
            window->close();
    // exit(), not quit(): a window could refuse a quit request.
    QCoreApplication::exit(0);
}

void bind(QMainWindow &sheet, Messages &messages)
{
    auto *esci = sheet.centralWidget()->findChild<QPushButton *>(QStringLiteral("Command8"));
    Q_ASSERT(esci);
    QObject::connect(esci, &QPushButton::clicked, &sheet, endProgram);
    QObject::connect(entry(sheet, "mnuesci"), &QAction::triggered, &sheet, endProgram);
    QObject::connect(entry(sheet, "mnuStampa"), &QAction::triggered, &sheet,
                     [&sheet, &messages] { printSheet(sheet.centralWidget(), messages); });
    QObject::connect(entry(sheet, "mnuimmagine"), &QAction::triggered, &sheet, open<Dialog1>);
    QObject::connect(entry(sheet, "mnuapri"), &QAction::triggered, &sheet, open<Form3>);
    QObject::connect(entry(sheet, "mnumanuale"), &QAction::triggered, &sheet, open<Dialog>);
    QObject::connect(entry(sheet, "mnuSuggerimento"), &QAction::triggered, &sheet, open<Form2>);
    QObject::connect(entry(sheet, "mnuinfo"), &QAction::triggered, &sheet, open<FrmAbout>);
}

} // namespace Menus

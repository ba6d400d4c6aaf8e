#include "program.h"

#include "calibration/commands.h"
#include "core/filters.h"
#include "files/commands.h"
#include "photometry/commands.h"
#include "sheet/form1.h"
#include "sheet/printing.h"
#include "windows/dialog.h"
#include "windows/dialog1.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/frmabout.h"
#include "windows/lightcurvewindow.h"

#include <QApplication>
#include <QPointer>

#include <type_traits>

namespace Program {

namespace {

// A new, independent copy each time; it deletes itself when closed, so the
// sheet keeps nothing. A window that reports to the user gets the program's
// Messages.
template <typename Window>
void open(const Context &c)
{
    if constexpr (std::is_constructible_v<Window, Messages &>)
        (new Window(c.messages))->show();
    else
        (new Window)->show();
}

void end(const Context &)
{
    endProgram();
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

CommandTable windowCommands(Form1 &sheet)
{
    return {
        {QStringLiteral("Command8"), end},
        {QStringLiteral("mnuesci"), end},
        {QStringLiteral("mnuStampa"),
         [&sheet](const Context &c) { printSheet(sheet.centralWidget(), c.messages); }},
        {QStringLiteral("mnuimmagine"), open<Dialog1>},
        {QStringLiteral("mnuapri"), open<Form3>},
        {QStringLiteral("mnuCurva"), open<LightCurveWindow>},
        {QStringLiteral("mnumanuale"), open<Dialog>},
        {QStringLiteral("mnuSuggerimento"), open<Form2>},
        {QStringLiteral("mnuinfo"), open<FrmAbout>},
    };
}

void bindCommands(Form1 &sheet)
{
    sheet.bind(Filters::commands() + Photometry::commands() + Calibration::commands()
               + Files::commands() + windowCommands(sheet));
}

} // namespace Program

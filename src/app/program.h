#pragma once
// What joins the main window, the commands and the other windows.

#include "app/module.h"
#include "core/commandtable.h"

class SheetWindow;

namespace Program {

// A module's window function that gives no window; see Module::LoadFailed.
inline const QString NoWindow = QStringLiteral("il modulo non ha creato la finestra");

// The program's modules: the measuring windows (WindowFactory) and printing
// (PrintModule).
struct Modules
{
    Module windows;
    Module printing;
};

// Both modules, looked for in `folders`.
Modules modulesIn(const QStringList &folders);

// "ESCI" and "&esci": every window of the program closes and it ends at once,
// without a question.
void endProgram();

// The commands that need the windows: printing the sheet, asking for the AAVSO
// log, opening the auxiliary windows, those of the modules too, and ending
// the program. The modules must outlive the sheet's commands.
CommandTable windowCommands(SheetWindow &sheet, Modules &modules);

// Every command of the program, bound to its button or menu entry on `sheet`.
void bindCommands(SheetWindow &sheet, Modules &modules);

} // namespace Program

#pragma once
// What joins the main window, the commands and the other windows.

#include "app/windowmodule.h"
#include "core/commandtable.h"

class SheetWindow;

namespace Program {

// "ESCI" and "&esci": every window of the program closes and it ends at once,
// without a question.
void endProgram();

// The commands that need the windows: printing the sheet, asking for the AAVSO
// log, opening the auxiliary windows, those of `module` too, and ending the
// program. The module must outlive the sheet's commands.
CommandTable windowCommands(SheetWindow &sheet, WindowModule &module);

// Every command of the program, bound to its button or menu entry on `sheet`.
void bindCommands(SheetWindow &sheet, WindowModule &module);

} // namespace Program

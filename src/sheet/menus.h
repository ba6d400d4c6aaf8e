#pragma once

class Messages;
class QMainWindow;

namespace Menus {

// "ESCI" and "&esci": every window of the program closes and it ends at once,
// without a question.
void endProgram();

// Connects the sheet's menu entries and its "ESCI" button.
void bind(QMainWindow &sheet, Messages &messages);

} // namespace Menus

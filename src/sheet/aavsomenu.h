#pragma once
// "Esporta AAVSO...": the File-menu entry that adds the measurement on the
// sheet to the observer's AAVSO log, a file chosen each time.

#include "core/commandtable.h"

namespace AavsoMenu {

// Asks for the log, starting at the last one written to (or "C:\aavso.txt"),
// and adds the measurement to it. Cancel changes nothing.
void exportMeasurement(const Context &c);

} // namespace AavsoMenu

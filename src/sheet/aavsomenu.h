#pragma once
// "Esporta AAVSO...": the File-menu entry that adds the measurement on the
// sheet to the observer's AAVSO log, a file chosen each time.

#include "core/commandtable.h"

#include <functional>

class QWidget;

namespace AavsoMenu {

// Asks for the log's path, starting at `start`; empty when the user cancels.
using AskPath = std::function<QString(QWidget *parent, const QString &start)>;

// The save dialog, in the program; a test answers in its place.
extern AskPath askPath;

// Asks for the log, starting at the last one written to (or "C:\aavso.txt"),
// and adds the measurement to it. Cancel changes nothing.
void exportMeasurement(QWidget *parent, const Context &c);

} // namespace AavsoMenu

#pragma once
// The dialogs and settings around the AAVSO log: which file to add to, and
// the one added to last, where the light curve and the next export start.

#include "core/commandtable.h"
#include "core/sheet.h"

#include <QString>

namespace AavsoLog {

// A file dialog's type of AAVSO files: "File AAVSO (*.txt *.csv *.tsv)".
QString logFilter();

// The log written to last, kept in the user's settings: the next export and
// the light curve start there. Empty before the first export.
QString lastLog(const Settings &settings);
void rememberLog(Settings &settings, const QString &path);

// Asks for the log to add to, from the last one, else from C:\aavso.txt.
QString askLog(const Services &services);

} // namespace AavsoLog

#pragma once
// The measurement report: the particulars and results now on the sheet, as
// one line of the file named in NomeFile.

#include "core/sheet.h"

namespace Files {

inline const QString ReportSaved = QStringLiteral("Salvataggio effettuato!");

// The 30 pieces of the report, label captions and field texts as the sheet
// shows them, run together without the line's terminator.
QString reportLine(const Sheet &sheet);

// "Salva Misura in C:\..... .txt": replaces the file named in NomeFile with
// the report line; drive letters lie in `dataFolder`.
void saveReport(const Sheet &sheet, Messages &messages, const QString &dataFolder);

} // namespace Files

#pragma once
// What a measured image puts on the sheet ("Al foglio" in "Misura su
// immagine"): the net counts of the three comparison stars and the
// variable, written by the rule every command writes a number with, the
// mid-exposure date and Julian date, and the filter's AAVSO code. The check
// star is measured beside them but is not the sheet's: its magnitude goes
// into the AAVSO record.

#include "core/sheet.h"
#include "imaging/roles.h"
#include "photometry/checkstar.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QStringList>

#include <array>
#include <optional>

namespace Measurement {


// What was left as it was, told beside what was written.
namespace EntryNote {
inline const char *const NoDate = "L'immagine non ha una data: data e JD lasciati com'erano.";
inline const char *const NoFilter = "L'immagine non dice il filtro: filtro lasciato com'era.";
// %1: the header's filter.
inline const char *const UnknownFilter =
    "Il filtro \"%1\" non ha un codice AAVSO: filtro lasciato com'era.";
} // namespace EntryNote

struct SheetEntry
{
    QString problem;                       // when not empty, nothing may be written
    QList<QPair<QString, QString>> fields; // field name and text, in the order written
    QStringList counts;                    // the texts for C1, C2, C3 and the variable
    QStringList notes;                     // EntryNote's texts that apply
};

// `filterCode`: the AAVSO code of the header's filter, empty when it has none.
// The variable and C1 to C3 must be placed, measured, unsaturated and
// brighter than the sky; the first that is not, in that order, is the problem.
SheetEntry sheetEntry(const Imaging::Measurements &stars, const Imaging::ImageHeader &header,
                      const QString &filterCode);

// The check star's magnitude from C1-C3 and the sheet's catalogue
// magnitudes, as the sheet's texts give it; nothing until the four stars are measured.
Photometry::CheckMagnitude checkMagnitude(const Imaging::Measurements &stars, const Sheet &sheet);

// The sheet's "Data:", "dd/mm/yyyy hh:mm:ss UT", to the nearest second.
QString sheetDate(const QDateTime &utc);

// The sheet's "JD:", 5 decimals with ".", which the reading rule reads everywhere.
QString sheetJulianDate(double julianDate);

} // namespace Measurement

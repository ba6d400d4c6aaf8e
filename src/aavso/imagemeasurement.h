#pragma once
// What "Misura su immagine" measured last, beyond what it wrote into the
// sheet: the AAVSO record may name the check star, its magnitude, the
// airmass and the chart. Kept in the user's settings after each "Al foglio".

#include "core/sheet.h"

#include <QStringList>

#include <optional>

namespace Aavso {

// The boxes of "Misura su immagine" whose texts reach a record.
inline const QString CheckNameBox = QStringLiteral("Nome controllo:");
inline const QString ChartBox = QStringLiteral("Sequenza:");
// The most a record's KNAME or CHART may hold.
constexpr qsizetype MostCheckCharacters = 20;

struct ImageMeasurement
{
    QStringList counts;     // the texts written for C1, C2, C3 and the variable
    QString checkName;      // as typed; empty when none
    QString checkMagnitude; // 3 decimals, "."; empty when unknown
    QString airmass;        // 4 decimals, "."; empty when the header has none
    QString chart;          // the sequence's identifier, as typed
};

// The texts of the numbers, as the record writes them.
ImageMeasurement imageMeasurement(const QStringList &counts, const QString &checkName,
                                  std::optional<double> checkMagnitude,
                                  std::optional<double> airmass, const QString &chart);

void remember(Settings &settings, const ImageMeasurement &measurement);

// Empty until a measurement was remembered.
std::optional<ImageMeasurement> recall(const Settings &settings);

} // namespace Aavso

#pragma once
// What "Misura su immagine" measured last, beyond what it wrote into the
// sheet: the AAVSO record may name the check star, its magnitude, the
// airmass and the chart. What belongs to the image (the counts, the check
// star's counts, the airmass) is kept in the user's settings at each "Al
// foglio"; the check star's name and the chart are the boxes' texts at the
// export, and the check star's magnitude is worked out then from the
// catalogue magnitudes on the sheet, so whatever the observer types after
// "Al foglio" reaches the record.

#include "core/sheet.h"

#include <QStringList>

#include <optional>

namespace Aavso {

// The boxes of "Misura su immagine" whose texts reach a record.
inline const QString CheckNameBox = QStringLiteral("Nome controllo:");
inline const QString ChartBox = QStringLiteral("Sequenza:");
// Where their texts are kept as typed.
inline const QString CheckNameKey = QStringLiteral("measure/checkName");
inline const QString ChartKey = QStringLiteral("measure/chart");
// The most a record's KNAME or CHART may hold.
constexpr qsizetype MostCheckCharacters = 20;

struct ImageMeasurement
{
    QStringList counts;  // the texts written for C1, C2, C3 and the variable
    QString checkCounts; // the check star's net counts, as the sheet writes counts; empty when unusable
    QString airmass;     // 4 decimals, "."; empty when the header has none
    QString checkName;   // as typed; empty when none
    QString chart;       // the sequence's identifier, as typed
};

// The texts of the numbers, as the record writes them. `checkNet`: none for
// a check star not placed, refused or saturated.
ImageMeasurement imageMeasurement(const QStringList &counts, std::optional<double> checkNet,
                                  std::optional<double> airmass, const QString &checkName,
                                  const QString &chart);

// Keeps the image's part.
void remember(Settings &settings, const ImageMeasurement &measurement);

// The image's part as remembered, the names as the boxes hold them now;
// empty until a measurement was remembered.
std::optional<ImageMeasurement> recall(const Settings &settings);

} // namespace Aavso

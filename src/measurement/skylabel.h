#pragma once
// The airmass and the HJD as the image's label shows them, in the C locale
// whatever the user's: ", massa d'aria 1.2345 (calcolata), HJD 2460001.443055".

#include <QString>

#include <optional>

namespace Measurement {

namespace Label {
// %1 the airmass, %2 where it comes from.
inline const QString Airmass = QStringLiteral(", massa d'aria %1 (%2)");
inline const QString FromHeader = QStringLiteral("dall'intestazione");
inline const QString Computed = QStringLiteral("calcolata");
inline const QString ComputedReversed = QStringLiteral("calcolata; longitudine del sito letta verso ovest");
inline const QString Hjd = QStringLiteral(", HJD %1");
} // namespace Label

// A Julian date (HJD, BJD_TDB) with 6 decimals.
QString julianDateText(double jd);

// The header's AIRMASS when it had one, else the computed airmass (noting a
// turned longitude); empty when there is neither.
QString airmassLabel(std::optional<double> fromHeader, std::optional<double> computed, bool longitudeReversed);

// Empty when there is no HJD.
QString hjdLabel(std::optional<double> hjd);

} // namespace Measurement

#pragma once
// The airmass and the HJD as the image's label shows them, in the C locale
// whatever the user's: ", massa d'aria 1.2345 (calcolata), HJD 2460001.443055";
// and the exposure of its description, as the user writes numbers.

#include "skytime/observation.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace Measurement {

namespace Label {
// %1 the airmass, %2 where it comes from.
inline const QString Airmass = QStringLiteral(", massa d'aria %1 (%2)");
inline const QString FromHeader = QStringLiteral("dall'intestazione");
inline const QString Computed = QStringLiteral("calcolata");
inline const QString ComputedReversed = QStringLiteral("calcolata; longitudine del sito letta verso ovest");
// %1 the header's value, %2 and %3 the plausible range's ends.
inline const QString ImplausibleAirmass =
    QStringLiteral(", AIRMASS %1 dell'intestazione non usata: fuori dall'intervallo da %2 a %3");
// %1 the altitude in degrees.
inline const QString TooLow = QStringLiteral(", altezza %1°: troppo bassa per la massa d'aria");
inline const QString BelowHorizon = QStringLiteral(", oggetto sotto l'orizzonte");
inline const QString Hjd = QStringLiteral(", HJD %1");
// %1 the seconds as the user writes numbers, or Unknown.
inline const QString Exposure = QStringLiteral("posa %1 s");
inline const QString ImplausibleExposure = QStringLiteral("posa %1 s non plausibile");
inline const QString Unknown = QStringLiteral("?");
} // namespace Label

// A Julian date (HJD, BJD_TDB) with 6 decimals.
QString julianDateText(double jd);

// The header's AIRMASS when plausible, else the one computed for `sky`
// (noting a turned longitude), or why there is none; a header's value not
// used is named first. Empty when there is neither a header's value nor a sky.
QString airmassLabel(std::optional<double> fromHeader, const std::optional<SkyTime::Sky> &sky,
                     bool longitudeReversed);

// Empty when there is no HJD.
QString hjdLabel(std::optional<double> hjd);

// The exposure as the image's description gives it, in `locale` without
// group separators, saying when it is not plausible enough to date the image.
QString exposureLabel(std::optional<double> seconds, const QLocale &locale);

} // namespace Measurement

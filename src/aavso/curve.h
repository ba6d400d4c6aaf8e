#pragma once
// One star's light curve as the plot draws it: its observations grouped into
// series that share a mark (band, the observer's own or another's, measured
// or fainter-than, discrepant or not), each in date order, and the colours
// given to bands that have none of their own.

#include "observations.h"

#include <vector>

namespace Aavso::LightCurve {

struct Series
{
    quint32 band = 0; // index into texts
    bool own = false;
    bool fainter = false;
    bool discrepant = false;
    std::vector<quint32> rows; // indices into observations, by JD
};

struct Curve
{
    std::vector<quint32> bands; // indices into texts: U B V R I, visual, then the others by code
    // Drawn in this order, each over the ones before: others' observations
    // below the observer's own, discrepant ones above the rest of their kind.
    std::vector<Series> series;
    int files = 0;              // files the observations come from
    qsizetype discrepant = 0;   // observations flagged discrepant
};

// The observations of `data` whose star has starKey() `key`.
Curve curveOf(const Observations &data, const QString &key);

// The status line's account of the curve of `star` (its name as listed,
// `count` observations in all) drawn from `data`; an empty `star` speaks of
// the files alone. Discrepant observations and skipped lines are counted,
// and the files whose dates were not read as written are named.
QString summary(const Observations &data, const QString &star, qsizetype count,
                const Curve &curve, bool discrepantShown);
inline const QString Observed = QStringLiteral("Osservazioni di %1: %2 da %3 file%4.");
inline const QString DiscrepantHidden = QStringLiteral(" (discrepanti: %1, nascoste)");
inline const QString DiscrepantShown = QStringLiteral(" (discrepanti: %1, segnate con una croce)");
inline const QString NothingShown = QStringLiteral("Nessuna osservazione in %1 file.");
// %1: the files' names, apart by ", ".
inline const QString ReducedDatesRead = QStringLiteral(" Date lette come JD − 2400000: %1.");
inline const QString ModifiedDatesRead = QStringLiteral(" Date lette come MJD (JD − 2400000,5): %1.");
inline const QString SkippedLines = QStringLiteral(" Righe ignorate: %1 (la prima: riga %2 di %3: %4).");

// Colours (opaque QRgb) for `count` bands without one of their own, each at
// least MinimumColourDistance from every band's own colour, so that no such
// band passes for one of those.
std::vector<quint32> automaticColours(int count);

// CIE 1976 colour difference (ΔE*ab) between two QRgb colours: about 2 is
// the smallest a reader notices, 100 separates black from white.
double colourDistance(quint32 a, quint32 b);
inline constexpr double MinimumColourDistance = 35;

} // namespace Aavso::LightCurve

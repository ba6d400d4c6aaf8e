#pragma once
// Where an exposure was taken and what it points at, as the computations of
// its sky take them, and the mean place of another equinox brought to J2000.

#include <QString>

#include <optional>

namespace SkyTime {

// A value, or the Italian reason there is none.
template <typename T>
struct Outcome
{
    std::optional<T> value;
    QString problem;
};

struct Site
{
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    double height = 0;    // metres above the ellipsoid
};

struct Target
{
    double ra = 0;  // ICRS (J2000), degrees
    double dec = 0; // degrees
};

namespace Reason {
inline const QString Latitude = QStringLiteral("La latitudine del sito è fuori dall'intervallo da -90° a +90°.");
inline const QString Longitude = QStringLiteral("La longitudine del sito è fuori dall'intervallo da -360° a +360°.");
inline const QString Target = QStringLiteral(
    "Le coordinate dell'oggetto sono fuori intervallo (ascensione retta da 0° a 360°, declinazione da -90° a +90°).");
} // namespace Reason

// Empty when the site is usable, else why not.
QString siteProblem(const Site &site);
QString targetProblem(const Target &target);

// An equinox as a header writes it: a Julian or a Besselian year.
struct Equinox
{
    double year = 2000;
    bool besselian = false;
};

// A mean place of `equinox` brought to J2000 with the IAU 2006
// bias-precession matrix (eraPmat06), without FK4's E-terms, which are well
// under an arcsecond.
Target meanToJ2000(const Target &mean, const Equinox &equinox);

} // namespace SkyTime

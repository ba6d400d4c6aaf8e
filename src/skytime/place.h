#pragma once
// Where an exposure was taken and what it points at, from a FITS header's
// keys or from what the user types. Writers disagree on key names and on
// number forms, so each quantity tries the names met on real frames in turn
// and reads decimal as well as sexagesimal ("+46:52:00.408", "10 00 00.0").

#include <QHash>
#include <QString>

#include <optional>

namespace SkyTime {

// Key name -> value text, string values without their quotes (as the image
// reader gives them).
using HeaderKeys = QHash<QString, QString>;

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
inline const QString NoSite = QStringLiteral(
    "L'intestazione non indica latitudine e longitudine del sito in una forma leggibile.");
inline const QString Latitude = QStringLiteral("La latitudine del sito è fuori dall'intervallo da -90° a +90°.");
inline const QString Longitude = QStringLiteral("La longitudine del sito è fuori dall'intervallo da -360° a +360°.");
inline const QString NoTarget = QStringLiteral(
    "L'intestazione non indica le coordinate dell'oggetto (OBJCTRA e OBJCTDEC, o RA e DEC) in una forma leggibile.");
inline const QString Target = QStringLiteral(
    "Le coordinate dell'oggetto sono fuori intervallo (ascensione retta da 0° a 360°, declinazione da -90° a +90°).");
// The box where the user types the site; its problems start with its name.
inline const QString SiteBox = QStringLiteral("Sito (lat lon alt):");
inline const QString SiteBoxUnreadable = QStringLiteral(
    "scrivere latitudine e longitudine in gradi decimali (longitudine positiva a est) e altitudine in metri, "
    "separate da spazi, per esempio 45.46 9.19 120.");
} // namespace Reason

// An angle as written: decimal, or sexagesimal "±a:b:c" / "±a b c" (b and c
// below 60, c may be left out) with the sign applying to the whole.
struct Angle
{
    double value = 0; // in the unit of the first field
    bool sexagesimal = false;
};
std::optional<Angle> readAngle(const QString &text);

// Empty when the site is usable, else why not.
QString siteProblem(const Site &site);
QString targetProblem(const Target &target);

// Latitude and longitude from the first pair of keys that both read
// (SITELAT/SITELONG, LAT-OBS/LONG-OBS, OBSGEO-B/OBSGEO-L, LATITUDE/LONGITUD,
// OBSLAT/OBSLONG), taken as east positive; the height from SITEELEV,
// ALT-OBS, OBSGEO-H or OBSALT, 0 when none reads.
Outcome<Site> siteFromHeader(const HeaderKeys &keys);

// The site the user typed: "lat lon [alt]" in decimal degrees (east
// positive) and metres, separated by spaces or semicolons, with a point or a
// comma as decimal separator. Blank text gives neither a site nor a problem;
// a problem names the box.
Outcome<Site> parseTypedSite(const QString &text);

// OBJCTRA/OBJCTDEC (hours, degrees), else RA/DEC (RA in degrees when
// decimal, in hours when sexagesimal). Coordinates referred to another
// equinox (EQUINOX, else EPOCH: "2025.0", "J2025", "B1950"; a bare year
// before 1984 is Besselian, as FITS has it) are brought to J2000 with the
// IAU 2006 bias-precession matrix (eraPmat06): a mean place of that
// equinox, without FK4's E-terms, which are well under an arcsecond. An
// equinox that does not read as a year from 1800 to 2200 is taken as J2000.
Outcome<Target> targetFromHeader(const HeaderKeys &keys);

} // namespace SkyTime

#pragma once
// What a FITS header tells about an exposure, read from the keys' texts
// (headerkeys.h names them). A value that is missing or cannot be read is
// absent.

#include "imaging/headerkeys.h"
#include "skytime/place.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace Imaging {

namespace Reason {
inline const QString NoSite = QStringLiteral(
    "L'intestazione non indica latitudine e longitudine del sito in una forma leggibile.");
inline const QString NoTarget = QStringLiteral(
    "L'intestazione non indica le coordinate dell'oggetto (OBJCTRA e OBJCTDEC, o RA e DEC) in una forma leggibile.");
} // namespace Reason

struct ImageHeader
{
    std::optional<QDateTime> start;       // DATE-OBS (with TIME-OBS), else MJD-OBS, else JD; UTC
    std::optional<double> exposure;       // EXPTIME or EXPOSURE, seconds, even if implausible
    QString filter;                       // as written; empty when none
    std::optional<double> gain;           // GAIN, EGAIN or CVF, e-/ADU
    std::optional<double> readNoise;      // RDNOISE or READNOIS, e-
    std::optional<double> saturation;     // SATURATE or DATAMAX, ADU
    std::optional<double> airmass;        // AIRMASS
    QString object;                       // OBJECT
    std::optional<QDateTime> midExposure; // DATE-AVG, else start + plausible exposure / 2
    std::optional<double> julianDate;     // of midExposure
    // From the first latitude and longitude pair that both read, signed or
    // with N/S and E/W after them, taken as east positive; the height from
    // the first that reads, else 0.
    SkyTime::Outcome<SkyTime::Site> site;
    // At J2000: a place of another equinox (EQUINOX, else EPOCH: "2025.0",
    // "J2025", "B1950"; a bare year before 1984 is Besselian, as FITS has it)
    // is brought there; an equinox that is no year from 1800 to 2200 is taken as J2000.
    SkyTime::Outcome<SkyTime::Target> target;
    HeaderKeys keys; // every key
};

ImageHeader readHeader(const HeaderKeys &keys);

// An exposure outside 0 to MostExposure seconds is a writer's mistake, and
// half of it would move the mid-exposure by days or years.
inline constexpr double MostExposure = 86400;
bool isPlausibleExposure(double seconds);

// A value as CFITSIO gives it, a string without its quotes.
QString unquotedValue(const char *value);

// The header starting at byte `start` of `file`, read from its own cards up
// to END (or the file's end) as CFITSIO reads them: the keys `wanted` names,
// each with every value it is given (empty where none can be read). For
// looking at a header before CFITSIO acts on it.
QMultiHash<QString, QString> rawHeaderKeys(QIODevice &file, qint64 start,
                                           const std::function<bool(const QString &)> &wanted);

// A FITS date: ISO 8601 "YYYY-MM-DDThh:mm:ss[.s...]" (or with a blank for
// the "T", as some software writes it) with an optional zone
// ("Z", "+01:00", "-0700"; none means UTC), or a date alone ("YYYY-MM-DD",
// or the old "dd/mm/yy", which means 19yy) completed by `time`
// ("hh:mm:ss[.s...]"). Absent when the texts give no full instant.
std::optional<QDateTime> parseFitsDate(const QString &date, const QString &time = QString());

} // namespace Imaging

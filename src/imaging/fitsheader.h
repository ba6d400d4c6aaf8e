#pragma once
// What a FITS header tells about an exposure, read from the keys' texts.
// Cameras and their software disagree on key names and number formats, so
// every value is read from its text and each quantity tries the names met on
// real frames in turn. A value that is missing or cannot be read is absent.

#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace Imaging {

// Key name -> value text, string values already without their quotes.
using HeaderKeys = QHash<QString, QString>;

struct ImageHeader
{
    std::optional<QDateTime> start;       // DATE-OBS (with TIME-OBS), UTC
    std::optional<double> exposure;       // EXPTIME or EXPOSURE, seconds
    QString filter;                       // as written; empty when none
    std::optional<double> gain;           // GAIN, EGAIN or CVF, e-/ADU
    std::optional<double> readNoise;      // RDNOISE or READNOIS, e-
    std::optional<double> saturation;     // SATURATE or DATAMAX, ADU
    std::optional<double> airmass;        // AIRMASS
    QString object;                       // OBJECT
    std::optional<QDateTime> midExposure; // DATE-AVG, else start + exposure / 2
    std::optional<double> julianDate;     // of midExposure
    HeaderKeys keys;                      // every key, for what is read elsewhere (the site, the target)
};

ImageHeader readHeader(const HeaderKeys &keys);

// A value as CFITSIO gives it, a string without its quotes.
QString unquotedValue(const char *value);

// The header starting at byte `start` of `file`, read from its own cards up
// to END (or the file's end) as CFITSIO reads them: the keys `wanted` names,
// each with every value it is given (empty where none can be read). For
// looking at a header before CFITSIO acts on it.
QMultiHash<QString, QString> rawHeaderKeys(QIODevice &file, qint64 start,
                                           const std::function<bool(const QString &)> &wanted);

// A FITS date: ISO 8601 "YYYY-MM-DDThh:mm:ss[.s...]" with an optional zone
// ("Z", "+01:00", "-0700"; none means UTC), or a date alone ("YYYY-MM-DD",
// or the old "dd/mm/yy", which means 19yy) completed by `time`
// ("hh:mm:ss[.s...]"). Absent when the texts give no full instant.
std::optional<QDateTime> parseFitsDate(const QString &date, const QString &time = QString());

// A number written in a header, as a number or as a string ('060.00'),
// Fortran's D exponent included. Absent unless finite.
std::optional<double> parseHeaderNumber(const QString &text);

} // namespace Imaging

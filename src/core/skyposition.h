#pragma once
// Positions on the sky as catalogues and charts write them: right ascension
// in hours, minutes and seconds ("16:39:06.43"), declination in degrees,
// minutes and seconds ("+09:47:55.3"), spaces in place of the colons, or
// both as decimal degrees. Positions are kept in degrees.

#include <QString>
#include <QStringView>

#include <optional>

namespace Sky {

struct Position
{
    double ra = 0;  // degrees, 0 <= ra < 360
    double dec = 0; // degrees, -90 <= dec <= 90
};

// An angle as written: "a:b:c", "a b c" or "a:b" in the units of `a`,
// signed by a leading "+" or "-" (so "-00:30" is negative), the minutes and
// seconds below 60 and only the last part with decimals; or one decimal number.
struct Angle
{
    double value = 0;
    bool sexagesimal = false; // else a single decimal number
};
std::optional<Angle> readAngle(QStringView text);

// "hh:mm:ss.s", "hh mm ss.s", "hh:mm.m" (hours), or decimal degrees;
// absent for anything else or out of range.
std::optional<double> parseRightAscension(QStringView text);
// "±dd:mm:ss.s", "±dd mm ss.s", "±dd:mm.m" (no sign means north), or decimal
// degrees; absent for anything else or out of range.
std::optional<double> parseDeclination(QStringView text);

// "hh:mm:ss.s", rounded to a tenth of a second.
QString formatRightAscension(double degrees);
// "±dd:mm:ss", rounded to the second.
QString formatDeclination(double degrees);

} // namespace Sky

#pragma once
// Julian dates, the astronomers' count of days, against civil time in UTC.

#include <QDateTime>

namespace JulianDate {

// The Julian date of 1970-01-01 00:00 UTC, where Unix time starts.
inline constexpr double UnixEpoch = 2440587.5;

// The instant a Julian date stands for, in UTC, to the millisecond; invalid
// where a millisecond can no longer be told apart. And back.
QDateTime toUtc(double jd);
double fromUtc(const QDateTime &utc);

} // namespace JulianDate

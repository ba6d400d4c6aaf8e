#include "juliandate.h"

#include <cmath>
#include <limits>

namespace JulianDate {

namespace {

constexpr double MillisecondsPerDay = 86400000.0;

} // namespace

QDateTime toUtc(double jd)
{
    const double milliseconds = std::round((jd - UnixEpoch) * MillisecondsPerDay);
    // Beyond 2^53 ms (285 000 years) a millisecond is no longer exact.
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > 9007199254740992.0)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(qint64(milliseconds), Qt::UTC);
}

double fromUtc(const QDateTime &utc)
{
    if (!utc.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return UnixEpoch + double(utc.toMSecsSinceEpoch()) / MillisecondsPerDay;
}

} // namespace JulianDate

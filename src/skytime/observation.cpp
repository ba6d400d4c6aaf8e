#include "skytime/observation.h"

#include <erfa.h>
#include <erfam.h>

#include <algorithm>
#include <cmath>

namespace SkyTime {

namespace {

// ERFA's two-part dates for one instant: UTC as ERFA counts it (a leap
// second's day holds 86401 s) and TT.
struct Instant
{
    double utc1 = 0;
    double utc2 = 0;
    double tt1 = 0;
    double tt2 = 0;
    double dayFraction = 0;
};

std::optional<Instant> instantAt(double jdUtc)
{
    if (!std::isfinite(jdUtc))
        return std::nullopt;
    int year = 0;
    int month = 0;
    int day = 0;
    Instant at;
    if (eraJd2cal(jdUtc, 0, &year, &month, &day, &at.dayFraction) != 0)
        return std::nullopt;
    // The civil clock time, given to ERFA as such so that a leap second's day
    // is counted right; rounding must not make a 60th second.
    const double clock = at.dayFraction * ERFA_DAYSEC;
    const int hour = std::clamp(int(clock / 3600), 0, 23);
    const int minute = std::clamp(int((clock - hour * 3600) / 60), 0, 59);
    const double second = std::clamp(clock - hour * 3600 - minute * 60, 0.0, 59.999999);
    double tai1 = 0;
    double tai2 = 0;
    if (eraDtf2d("UTC", year, month, day, hour, minute, second, &at.utc1, &at.utc2) < 0
        || eraUtctai(at.utc1, at.utc2, &tai1, &tai2) < 0 || eraTaitt(tai1, tai2, &at.tt1, &at.tt2) < 0)
        return std::nullopt;
    return at;
}

std::optional<double> altitudeAt(const Site &site, const Target &target, const Instant &at)
{
    double azimuth = 0;
    double zenithDistance = 0;
    double hourAngle = 0;
    double declination = 0;
    double rightAscension = 0;
    double equationOfOrigins = 0;
    // Pressure 0 leaves refraction out; DUT1, polar motion, proper motion,
    // parallax and radial velocity are 0.
    if (eraAtco13(target.ra * ERFA_DD2R, target.dec * ERFA_DD2R, 0, 0, 0, 0, at.utc1, at.utc2, 0,
                  site.longitude * ERFA_DD2R, site.latitude * ERFA_DD2R, site.height, 0, 0, 0, 0, 0, 0.55,
                  &azimuth, &zenithDistance, &hourAngle, &declination, &rightAscension, &equationOfOrigins)
        < 0)
        return std::nullopt;
    return 90 - zenithDistance * ERFA_DR2D;
}

// Why no sky can be computed; the instant when it can.
QString problemOf(const Site &site, const Target &target, std::optional<Instant> &at, double jdUtc)
{
    QString problem = siteProblem(site);
    if (problem.isEmpty())
        problem = targetProblem(target);
    if (problem.isEmpty() && !(at = instantAt(jdUtc)))
        problem = Reason::Time;
    return problem;
}

} // namespace

std::optional<double> airmass(double altitude)
{
    if (!(altitude >= LeastAirmassAltitude))
        return std::nullopt;
    const double secant = 1 / std::sin(altitude * ERFA_DD2R);
    const double excess = secant - 1;
    return secant - 0.0018167 * excess - 0.002875 * excess * excess - 0.0008083 * excess * excess * excess;
}

Outcome<Sky> observe(const Site &site, const Target &target, double jdUtc)
{
    std::optional<Instant> at;
    if (const QString problem = problemOf(site, target, at, jdUtc); !problem.isEmpty())
        return {std::nullopt, problem};
    const std::optional<double> altitude = altitudeAt(site, target, *at);
    if (!altitude)
        return {std::nullopt, Reason::Time};

    // TDB differs from TT by under 2 ms; the site's share of that, by
    // microseconds, is left out.
    const double tdb2 = at->tt2 + eraDtdb(at->tt1, at->tt2, at->dayFraction, 0, 0, 0) / ERFA_DAYSEC;
    double heliocentric[2][3];
    double barycentric[2][3];
    eraEpv00(at->tt1, tdb2, heliocentric, barycentric);
    double direction[3];
    eraS2c(target.ra * ERFA_DD2R, target.dec * ERFA_DD2R, direction);
    const double daysPerAu = ERFA_AULT / ERFA_DAYSEC; // light time

    Sky sky;
    sky.altitude = *altitude;
    sky.airmass = airmass(*altitude);
    sky.hjd = jdUtc + eraPdp(heliocentric[0], direction) * daysPerAu;
    sky.bjdTdb = at->tt1 + tdb2 + eraPdp(barycentric[0], direction) * daysPerAu;
    return {sky, {}};
}

Outcome<LongitudeChoice> chooseLongitudeSign(const Site &site, const Target &target, double jdUtc)
{
    std::optional<Instant> at;
    if (const QString problem = problemOf(site, target, at, jdUtc); !problem.isEmpty())
        return {std::nullopt, problem};
    Site opposite = site;
    opposite.longitude = -site.longitude;
    const std::optional<double> asWritten = altitudeAt(site, target, *at);
    const std::optional<double> turned = altitudeAt(opposite, target, *at);
    if (!asWritten || !turned)
        return {std::nullopt, Reason::Time};
    if (*asWritten < 0 && *turned >= LeastTurnedAltitude)
        return {LongitudeChoice{opposite, true}, {}};
    return {LongitudeChoice{site, false}, {}};
}

} // namespace SkyTime

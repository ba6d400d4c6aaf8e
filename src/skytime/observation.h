#pragma once
// The sky at one instant of an exposure, for a site and a target: the
// target's altitude and airmass, and the exposure's time as the Sun and the
// solar system's barycentre see it (HJD, BJD_TDB).
//
// The instant is a Julian date in UTC as the program counts it, days of
// 86400 s on the civil calendar: within a day that ends with a leap second,
// the date's clock time is what counts, so the leap second itself cannot be
// named (23:59:60 reads as the next midnight).

#include "skytime/place.h"

#include <QString>

#include <optional>

namespace SkyTime {

namespace Reason {
inline const QString Time = QStringLiteral("L'istante dell'osservazione non è una data giuliana utilizzabile.");
} // namespace Reason

struct Sky
{
    double altitude = 0;           // degrees above the horizon, without refraction
    std::optional<double> airmass; // absent below LeastAirmassAltitude
    double hjd = 0;                // heliocentric Julian date, UTC-based
    double bjdTdb = 0;             // barycentric Julian date in TDB
};

// Refraction-free altitude (ERFA's ICRS -> observed with no atmosphere, UT1 =
// UTC, no polar motion), then airmass and the light time from the Earth's
// heliocentric and barycentric positions (eraEpv00) projected on the target.
// The light time from the geocentre, not the site: the difference stays
// under 21 ms.
Outcome<Sky> observe(const Site &site, const Target &target, double jdUtc);

// Hardie's (1962) airmass from the true (refraction-free) altitude in
// degrees. His polynomial in the secant turns down below about 3° and goes
// negative near the horizon, so none is given under 5°.
inline constexpr double LeastAirmassAltitude = 5;
std::optional<double> airmass(double altitude);

// Writers disagree on the longitude's sign. The longitude is taken as east
// positive; where that puts the target below the horizon at the instant and
// the opposite sign puts it at LeastTurnedAltitude or higher, the opposite
// sign is used. A target just over the horizon either way is no evidence: a
// correct longitude is kept. Decided once for a series and applied to all
// its images.
inline constexpr double LeastTurnedAltitude = 10;
struct LongitudeChoice
{
    Site site;             // with the longitude to use
    bool reversed = false; // the longitude's sign was turned
};
Outcome<LongitudeChoice> chooseLongitudeSign(const Site &site, const Target &target, double jdUtc);

} // namespace SkyTime

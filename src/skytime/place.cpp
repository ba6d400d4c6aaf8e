#include "skytime/place.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>

namespace SkyTime {

QString siteProblem(const Site &site)
{
    if (!(std::abs(site.latitude) <= 90))
        return Reason::Latitude;
    if (!(std::abs(site.longitude) <= 360))
        return Reason::Longitude;
    return QString();
}

QString targetProblem(const Target &target)
{
    if (!(target.ra >= 0 && target.ra <= 360 && std::abs(target.dec) <= 90))
        return Reason::Target;
    return QString();
}

// Through the transpose of the GCRS -> mean-of-date matrix.
Target meanToJ2000(const Target &mean, const Equinox &equinox)
{
    double base = 0;
    double offset = 0;
    equinox.besselian ? eraEpb2jd(equinox.year, &base, &offset) : eraEpj2jd(equinox.year, &base, &offset);
    double matrix[3][3];
    eraPmat06(ERFA_DJ00, base + offset - ERFA_DJ00, matrix);
    double direction[3];
    eraS2c(mean.ra * ERFA_DD2R, mean.dec * ERFA_DD2R, direction);
    double icrs[3];
    eraTrxp(matrix, direction, icrs);
    double ra = 0;
    double dec = 0;
    eraC2s(icrs, &ra, &dec);
    return {eraAnp(ra) * ERFA_DR2D, dec * ERFA_DR2D};
}

} // namespace SkyTime

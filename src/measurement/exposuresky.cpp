#include "exposuresky.h"

namespace Measurement {

SkyTime::Outcome<SkyPlace> skyPlace(const Imaging::ImageHeader &header, const SkyHints &hints)
{
    // A header's site wins over the box, which is there for headers without one.
    SkyTime::Outcome<SkyTime::Site> site = SkyTime::siteFromHeader(header.keys);
    if (!site.value && hints.typedSite)
        site = {hints.typedSite, QString()};
    if (!site.value)
        return {std::nullopt, site.problem};
    const SkyTime::Outcome<SkyTime::Target> target =
        hints.variable ? SkyTime::Outcome<SkyTime::Target>{hints.variable, QString()}
                       : SkyTime::targetFromHeader(header.keys);
    if (!target.value)
        return {std::nullopt, target.problem};
    if (!header.julianDate)
        return {std::nullopt, SkyTime::Reason::Time};
    const SkyTime::Outcome<SkyTime::LongitudeChoice> choice =
        SkyTime::chooseLongitudeSign(*site.value, *target.value, *header.julianDate);
    if (!choice.value)
        return {std::nullopt, choice.problem};
    return {SkyPlace{choice.value->site, *target.value, choice.value->reversed}, QString()};
}

SkyTime::Outcome<SkyTime::Sky> exposureSky(const SkyPlace &place, const Imaging::ImageHeader &header)
{
    if (!header.julianDate)
        return {std::nullopt, SkyTime::Reason::Time};
    return SkyTime::observe(place.site, place.target, *header.julianDate);
}

std::optional<double> usedAirmass(const Imaging::ImageHeader &header, const std::optional<SkyTime::Sky> &sky)
{
    if (header.airmass)
        return header.airmass;
    return sky ? sky->airmass : std::nullopt;
}

} // namespace Measurement

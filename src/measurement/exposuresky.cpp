#include "exposuresky.h"

#include "core/numberrules.h"

#include <QRegularExpression>


namespace Measurement {

SkyTime::Outcome<SkyTime::Site> parseTypedSite(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral(R"([\s;]+)"));
    const QStringList fields = text.trimmed().split(separators, Qt::SkipEmptyParts);
    if (fields.isEmpty())
        return {};
    const auto refused = [](const QString &reason) {
        return SkyTime::Outcome<SkyTime::Site>{std::nullopt, Reason::SiteBox + QLatin1Char(' ') + reason};
    };
    if (fields.size() < 2 || fields.size() > 3)
        return refused(Reason::SiteBoxUnreadable);
    double numbers[3] = {0, 0, 0};
    for (int i = 0; i < fields.size(); ++i) {
        const std::optional<double> number = NumberRules::readTyped(fields[i]);
        if (!number)
            return refused(Reason::SiteBoxUnreadable);
        numbers[i] = *number;
    }
    const SkyTime::Site site{numbers[0], numbers[1], numbers[2]};
    const QString problem = SkyTime::siteProblem(site);
    return problem.isEmpty() ? SkyTime::Outcome<SkyTime::Site>{site, {}} : refused(problem);
}

SkyTime::Outcome<SkyPlace> skyPlace(const Imaging::ImageHeader &header, const SkyHints &hints)
{
    // A header's site wins over the box, which is there for headers without one.
    SkyTime::Outcome<SkyTime::Site> site = header.site;
    if (!site.value && hints.typedSite)
        site = {hints.typedSite, QString()};
    if (!site.value)
        return {std::nullopt, site.problem};
    const SkyTime::Outcome<SkyTime::Target> target =
        hints.variable ? SkyTime::Outcome<SkyTime::Target>{hints.variable, QString()}
                       : header.target;
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

bool isPlausibleAirmass(double airmass)
{
    return airmass >= LeastAirmass && airmass <= MostAirmass;
}

std::optional<double> usedAirmass(const Imaging::ImageHeader &header, const std::optional<SkyTime::Sky> &sky)
{
    if (header.airmass && isPlausibleAirmass(*header.airmass))
        return header.airmass;
    return sky ? sky->airmass : std::nullopt;
}

} // namespace Measurement

#include "skytime/place.h"

#include <erfa.h>
#include <erfam.h>

#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace SkyTime {

namespace {

constexpr double J2000 = 2000.0;

std::optional<double> readNumber(const QString &text)
{
    QString number = text.trimmed();
    number.replace(QLatin1Char('D'), QLatin1Char('E')).replace(QLatin1Char('d'), QLatin1Char('e'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> angleIn(const HeaderKeys &keys, const char *name)
{
    const std::optional<Angle> angle = readAngle(keys.value(QLatin1String(name)));
    return angle ? std::optional<double>(angle->value) : std::nullopt;
}

// The equinox as a Julian date; absent for J2000 or a text that is no year.
std::optional<double> equinoxDate(const HeaderKeys &keys)
{
    static const QRegularExpression year(QStringLiteral(R"(^([JB]?)\s*(\d+(?:\.\d*)?)$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString text = keys.value(QStringLiteral("EQUINOX")).trimmed();
    if (text.isEmpty())
        text = keys.value(QStringLiteral("EPOCH")).trimmed();
    const QRegularExpressionMatch m = year.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double epoch = m.captured(2).toDouble();
    const bool besselian = m.captured(1).isEmpty() ? epoch < 1984 : m.captured(1).toUpper() == QLatin1String("B");
    if (epoch < 1800 || epoch > 2200 || (!besselian && epoch == J2000))
        return std::nullopt;
    double base = 0;
    double offset = 0;
    besselian ? eraEpb2jd(epoch, &base, &offset) : eraEpj2jd(epoch, &base, &offset);
    return base + offset;
}

// A mean place of the given equinox, to ICRS: through the transpose of the
// GCRS -> mean-of-date matrix.
Target toJ2000(const Target &mean, double equinoxJd)
{
    double matrix[3][3];
    eraPmat06(ERFA_DJ00, equinoxJd - ERFA_DJ00, matrix);
    double direction[3];
    eraS2c(mean.ra * ERFA_DD2R, mean.dec * ERFA_DD2R, direction);
    double icrs[3];
    eraTrxp(matrix, direction, icrs);
    double ra = 0;
    double dec = 0;
    eraC2s(icrs, &ra, &dec);
    return {eraAnp(ra) * ERFA_DR2D, dec * ERFA_DR2D};
}

} // namespace

std::optional<Angle> readAngle(const QString &text)
{
    static const QRegularExpression sexagesimal(QStringLiteral(
        R"(^([+-]?)\s*(\d+)(?:\s*:\s*|\s+)(\d+(?:\.\d*)?)(?:(?:\s*:\s*|\s+)(\d+(?:\.\d*)?))?$)"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch m = sexagesimal.match(trimmed);
    if (!m.hasMatch()) {
        const std::optional<double> value = readNumber(trimmed);
        return value ? std::optional<Angle>(Angle{*value, false}) : std::nullopt;
    }
    const double minutes = m.captured(3).toDouble();
    const double seconds = m.captured(4).toDouble();
    if (minutes >= 60 || seconds >= 60)
        return std::nullopt;
    const double value = m.captured(2).toDouble() + minutes / 60 + seconds / 3600;
    return Angle{m.captured(1) == QLatin1String("-") ? -value : value, true};
}

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

Outcome<Site> siteFromHeader(const HeaderKeys &keys)
{
    static const std::pair<const char *, const char *> pairs[] = {
        {"SITELAT", "SITELONG"}, {"LAT-OBS", "LONG-OBS"}, {"OBSGEO-B", "OBSGEO-L"},
        {"LATITUDE", "LONGITUD"}, {"OBSLAT", "OBSLONG"}};
    for (const auto &[latitudeKey, longitudeKey] : pairs) {
        const std::optional<double> latitude = angleIn(keys, latitudeKey);
        const std::optional<double> longitude = angleIn(keys, longitudeKey);
        if (!latitude || !longitude)
            continue;
        Site site{*latitude, *longitude, 0};
        for (const char *heightKey : {"SITEELEV", "ALT-OBS", "OBSGEO-H", "OBSALT"}) {
            if (const std::optional<double> height = readNumber(keys.value(QLatin1String(heightKey)))) {
                site.height = *height;
                break;
            }
        }
        const QString problem = siteProblem(site);
        return problem.isEmpty() ? Outcome<Site>{site, {}} : Outcome<Site>{std::nullopt, problem};
    }
    return {std::nullopt, Reason::NoSite};
}

Outcome<Site> parseTypedSite(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral(R"([\s;]+)"));
    const QStringList fields = text.trimmed().split(separators, Qt::SkipEmptyParts);
    if (fields.isEmpty())
        return {};
    const auto refused = [](const QString &reason) {
        return Outcome<Site>{std::nullopt, Reason::SiteBox + QLatin1Char(' ') + reason};
    };
    if (fields.size() < 2 || fields.size() > 3)
        return refused(Reason::SiteBoxUnreadable);
    double numbers[3] = {0, 0, 0};
    for (int i = 0; i < fields.size(); ++i) {
        bool ok = false;
        numbers[i] = QString(fields[i]).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || !std::isfinite(numbers[i]))
            return refused(Reason::SiteBoxUnreadable);
    }
    const Site site{numbers[0], numbers[1], numbers[2]};
    const QString problem = siteProblem(site);
    return problem.isEmpty() ? Outcome<Site>{site, {}} : refused(problem);
}

Outcome<Target> targetFromHeader(const HeaderKeys &keys)
{
    std::optional<Target> target;
    const std::optional<Angle> objectRa = readAngle(keys.value(QStringLiteral("OBJCTRA")));
    const std::optional<double> objectDec = angleIn(keys, "OBJCTDEC");
    const std::optional<Angle> ra = readAngle(keys.value(QStringLiteral("RA")));
    const std::optional<double> dec = angleIn(keys, "DEC");
    if (objectRa && objectDec)
        target = Target{objectRa->value * 15, *objectDec};
    else if (ra && dec)
        target = Target{ra->sexagesimal ? ra->value * 15 : ra->value, *dec};
    if (!target)
        return {std::nullopt, Reason::NoTarget};
    const QString problem = targetProblem(*target);
    if (!problem.isEmpty())
        return {std::nullopt, problem};
    if (const std::optional<double> equinox = equinoxDate(keys))
        target = toJ2000(*target, *equinox);
    return {target, {}};
}

} // namespace SkyTime

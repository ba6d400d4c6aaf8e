#include "sheetentry.h"

#include "core/names.h"
#include "core/numberrules.h"

#include <cmath>

namespace Measurement {

using namespace Imaging;

SheetEntry sheetEntry(const Measurements &stars, const ImageHeader &header,
                      const QString &filterCode)
{
    SheetEntry entry;
    for (const Role role : {Role::Variable, Role::C1, Role::C2, Role::C3}) {
        entry.problem = starProblem(role, stars[std::size_t(role)]);
        if (!entry.problem.isEmpty())
            return entry;
    }
    const std::pair<const char *, Role> counts[] = {{Field::AduC1, Role::C1},
                                                    {Field::AduC2, Role::C2},
                                                    {Field::AduC3, Role::C3},
                                                    {Field::AduVariable, Role::Variable}};
    for (const auto &[field, role] : counts) {
        entry.counts << NumberRules::write(stars[std::size_t(role)]->net);
        entry.fields.append({QLatin1String(field), entry.counts.last()});
    }
    if (header.midExposure && header.julianDate) {
        entry.fields.append({QLatin1String(Field::Date), sheetDate(*header.midExposure)});
        entry.fields.append({QLatin1String(Field::JulianDate), sheetJulianDate(*header.julianDate)});
    } else {
        entry.notes << QString::fromUtf8(EntryNote::NoDate);
    }
    if (!filterCode.isEmpty())
        entry.fields.append({QLatin1String(Field::Filter), filterCode});
    else if (header.filter.isEmpty())
        entry.notes << QString::fromUtf8(EntryNote::NoFilter);
    else
        entry.notes << QString::fromUtf8(EntryNote::UnknownFilter).arg(header.filter);
    return entry;
}

Photometry::CheckMagnitude checkMagnitude(const Measurements &stars, const Sheet &sheet)
{
    using namespace Field;
    QStringList counts;
    for (const Role role : {Role::C1, Role::C2, Role::C3, Role::Check}) {
        const auto &star = stars[std::size_t(role)];
        if (!star || star->refusal != Refusal::None)
            return {};
        counts << NumberRules::write(star->net);
    }
    const QString check = counts.takeLast();
    return Photometry::checkMagnitude(check, counts,
                                      {sheet.text(QLatin1String(MagnitudeC1)), sheet.text(QLatin1String(MagnitudeC2)),
                                       sheet.text(QLatin1String(MagnitudeC3))});
}

QString sheetDate(const QDateTime &utc)
{
    const qint64 seconds = std::llround(double(utc.toMSecsSinceEpoch()) / 1000);
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
               .toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"))
        + QStringLiteral(" UT");
}

QString sheetJulianDate(double julianDate)
{
    return QString::number(julianDate, 'f', 5);
}

} // namespace Measurement

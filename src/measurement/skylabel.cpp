#include "measurement/skylabel.h"

namespace Measurement {

QString julianDateText(double jd)
{
    return QString::number(jd, 'f', 6);
}

QString airmassLabel(std::optional<double> fromHeader, std::optional<double> computed, bool longitudeReversed)
{
    if (fromHeader)
        return Label::Airmass.arg(QString::number(*fromHeader, 'f', 4), Label::FromHeader);
    if (computed)
        return Label::Airmass.arg(QString::number(*computed, 'f', 4),
                                  longitudeReversed ? Label::ComputedReversed : Label::Computed);
    return QString();
}

QString hjdLabel(std::optional<double> hjd)
{
    return hjd ? Label::Hjd.arg(julianDateText(*hjd)) : QString();
}

} // namespace Measurement

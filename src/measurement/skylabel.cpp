#include "measurement/skylabel.h"

#include "imaging/fitsheader.h"
#include "measurement/exposuresky.h"

#include <cmath>

namespace Measurement {

QString julianDateText(double jd)
{
    return QString::number(jd, 'f', 6);
}

QString airmassLabel(std::optional<double> fromHeader, const std::optional<SkyTime::Sky> &sky,
                     bool longitudeReversed)
{
    if (fromHeader && isPlausibleAirmass(*fromHeader))
        return Label::Airmass.arg(QString::number(*fromHeader, 'f', 4), Label::FromHeader);
    QString label;
    if (fromHeader) {
        label = Label::ImplausibleAirmass.arg(QString::number(*fromHeader), QString::number(LeastAirmass),
                                              QString::number(MostAirmass));
    }
    if (!sky)
        return label;
    if (sky->airmass) {
        return label + Label::Airmass.arg(QString::number(*sky->airmass, 'f', 4),
                                          longitudeReversed ? Label::ComputedReversed : Label::Computed);
    }
    if (sky->altitude < 0)
        return label + Label::BelowHorizon;
    // Rounded down, so that no altitude too low shows as the least one.
    return label + Label::TooLow.arg(QString::number(std::floor(sky->altitude * 100) / 100, 'f', 2));
}

QString hjdLabel(std::optional<double> hjd)
{
    return hjd ? Label::Hjd.arg(julianDateText(*hjd)) : QString();
}

QString exposureLabel(std::optional<double> seconds, const QLocale &locale)
{
    if (!seconds)
        return Label::Exposure.arg(Label::Unknown);
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    const QString text = plain.toString(*seconds);
    return Imaging::isPlausibleExposure(*seconds) ? Label::Exposure.arg(text) : Label::ImplausibleExposure.arg(text);
}

} // namespace Measurement

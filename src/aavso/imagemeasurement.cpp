#include "imagemeasurement.h"

namespace Aavso {

namespace {

const QString CountsKey = QStringLiteral("aavso/image/counts");
const QString CheckNameKey = QStringLiteral("aavso/image/checkName");
const QString CheckMagnitudeKey = QStringLiteral("aavso/image/checkMagnitude");
const QString AirmassKey = QStringLiteral("aavso/image/airmass");
const QString ChartKey = QStringLiteral("aavso/image/chart");

// A count text never holds it: the writing rule writes digits, a sign, the
// decimal separator and an exponent.
constexpr QChar CountSeparator = QLatin1Char(';');

QString fixed(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString();
}

} // namespace

ImageMeasurement imageMeasurement(const QStringList &counts, const QString &checkName,
                                  std::optional<double> checkMagnitude,
                                  std::optional<double> airmass, const QString &chart)
{
    return {counts, checkName, fixed(checkMagnitude, 3), fixed(airmass, 4), chart};
}

void remember(Settings &settings, const ImageMeasurement &measurement)
{
    settings.setValue(CountsKey, measurement.counts.join(CountSeparator));
    settings.setValue(CheckNameKey, measurement.checkName);
    settings.setValue(CheckMagnitudeKey, measurement.checkMagnitude);
    settings.setValue(AirmassKey, measurement.airmass);
    settings.setValue(ChartKey, measurement.chart);
}

std::optional<ImageMeasurement> recall(const Settings &settings)
{
    const QStringList counts = settings.value(CountsKey).split(CountSeparator);
    if (counts.size() != 4)
        return std::nullopt;
    return ImageMeasurement{counts, settings.value(CheckNameKey), settings.value(CheckMagnitudeKey),
                            settings.value(AirmassKey), settings.value(ChartKey)};
}

} // namespace Aavso

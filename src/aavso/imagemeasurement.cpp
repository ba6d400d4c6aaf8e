#include "imagemeasurement.h"

#include "core/numberrules.h"

namespace Aavso {

namespace {

const QString CountsKey = QStringLiteral("aavso/image/counts");
const QString CheckCountsKey = QStringLiteral("aavso/image/checkCounts");
const QString AirmassKey = QStringLiteral("aavso/image/airmass");

// A count text never holds it: the writing rule writes digits, a sign, the
// decimal separator and an exponent.
constexpr QChar CountSeparator = QLatin1Char(';');

} // namespace

ImageMeasurement imageMeasurement(const QStringList &counts, std::optional<double> checkNet,
                                  std::optional<double> airmass, const QString &checkName,
                                  const QString &chart)
{
    return {counts, checkNet ? NumberRules::write(*checkNet) : QString(),
            airmass ? QString::number(*airmass, 'f', 4) : QString(), checkName, chart};
}

void remember(Settings &settings, const ImageMeasurement &measurement)
{
    settings.setValue(CountsKey, measurement.counts.join(CountSeparator));
    settings.setValue(CheckCountsKey, measurement.checkCounts);
    settings.setValue(AirmassKey, measurement.airmass);
}

std::optional<ImageMeasurement> recall(const Settings &settings)
{
    const QStringList counts = settings.value(CountsKey).split(CountSeparator);
    if (counts.size() != 4)
        return std::nullopt;
    return ImageMeasurement{counts, settings.value(CheckCountsKey), settings.value(AirmassKey),
                            settings.value(CheckNameKey), settings.value(ChartKey)};
}

} // namespace Aavso

#include "apply.h"

#include "imaging/fitswrite.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace Calibration {

namespace {

// What this program writes in HISTORY, and looks for.
const QString HistoryMark = QStringLiteral("Vevurid calibration:");

const Master *flatFor(const MasterSet &masters, const QString &filter)
{
    for (const Master &flat : masters.flats) {
        if (flat.filter.trimmed().compare(filter.trimmed(), Qt::CaseInsensitive) == 0)
            return &flat;
    }
    return nullptr;
}

struct Plan
{
    Subtraction subtraction;
    const Master *flat = nullptr;
    QStringList applied;   // "bias", "dark ×0.50", "flat V"
    QString letters;       // CALSTAT's: B, D, F
    QString temperatures;  // the dark's far from the light's
    QString problem;
};

Plan planFor(const Imaging::FitsImage &light, const MasterSet &masters, const QString &path)
{
    Plan plan;
    const QString name = QFileInfo(path).fileName();
    const auto refused = [](const QString &problem) {
        Plan none;
        none.problem = problem;
        return none;
    };
    if (const QString odd = formatProblem(path, formatOf(light), *masters.format(), true); !odd.isEmpty())
        return refused(odd);
    const QString &filter = light.header.filter;
    if (!masters.flats.empty()) {
        plan.flat = flatFor(masters, filter);
        if (!plan.flat)
            return refused(CalibrationText::NoFlat.arg(filter.trimmed()));
    }
    if (masters.bias) {
        plan.subtraction.bias = &masters.bias->pixels;
        plan.applied << QStringLiteral("bias");
        plan.letters += QLatin1Char('B');
    }
    if (!masters.darks.empty()) {
        if (!light.header.exposure)
            return refused(CalibrationText::NoExposure.arg(name));
        const DarkChoice dark = chooseDark(masters, *light.header.exposure);
        if (!dark.problem.isEmpty())
            return refused(dark.problem);
        plan.subtraction.dark = &dark.dark->pixels;
        plan.subtraction.darkScale = dark.scale;
        plan.subtraction.darkHoldsBias = dark.dark->holdsBias;
        plan.applied << QStringLiteral("dark ×%1").arg(dark.scale, 0, 'f', 2);
        plan.letters += QLatin1Char('D');
        const std::optional<double> lightTemperature =
            Imaging::headerNumber(light.header.keys, Imaging::HeaderKey::Temperature);
        if (dark.dark->temperature && lightTemperature
            && std::fabs(*dark.dark->temperature - *lightTemperature) > TemperatureTolerance)
            plan.temperatures = CalibrationText::Temperatures.arg(shortNumber(*dark.dark->temperature),
                                                                  shortNumber(*lightTemperature));
    }
    if (plan.flat) {
        plan.applied << (plan.flat->filter.isEmpty() ? QStringLiteral("flat")
                                                     : QStringLiteral("flat %1").arg(plan.flat->filter));
        plan.letters += QLatin1Char('F');
    }
    return plan;
}

void applyPlan(Imaging::FitsImage &light, const Plan &plan)
{
    const QRect &held = light.held;
    const std::size_t width = std::size_t(light.width);
    float *pixel = light.pixels.data();
    for (int y = held.top(); y <= held.bottom(); ++y) {
        for (int x = held.left(); x <= held.right(); ++x, ++pixel) {
            const std::size_t at = std::size_t(y) * width + std::size_t(x);
            double value = plan.subtraction.apply(at, double(*pixel));
            if (plan.flat) {
                const double flat = double(plan.flat->pixels[at]);
                value = flat >= LeastFlat ? value / flat : std::numeric_limits<double>::quiet_NaN();
            }
            *pixel = float(value);
        }
    }
}

} // namespace

bool isCalibrated(const Imaging::FitsImage &light)
{
    return light.header.keys.contains(QStringLiteral("CALSTAT"))
        || light.headerCards.contains(("HISTORY " + HistoryMark).toLatin1());
}

Calibrated calibrate(Imaging::FitsImage &light, const MasterSet &masters, const QString &path)
{
    if (masters.empty())
        return {};
    if (isCalibrated(light))
        return {CalibrationText::AlreadyDone, QString()};
    const Plan plan = planFor(light, masters, path);
    if (!plan.problem.isEmpty())
        return {QString(), plan.problem};
    applyPlan(light, plan);
    QString done = CalibrationText::Applied.arg(plan.applied.join(QLatin1String(", ")));
    if (!plan.temperatures.isEmpty())
        done += QLatin1String("; ") + plan.temperatures;
    return {done, QString()};
}

QString saveCalibrated(const QString &path, const QString &target, const MasterSet &masters)
{
    const QString name = QFileInfo(path).fileName();
    if (masters.empty())
        return CalibrationText::NoMasters;
    Imaging::FitsLoad load = Imaging::loadFits(path);
    if (!load.image)
        return load.problem;
    Imaging::FitsImage &light = *load.image;
    if (isCalibrated(light))
        return CalibrationText::SavedAlready.arg(name);
    const Plan plan = planFor(light, masters, path);
    if (!plan.problem.isEmpty())
        return plan.problem;
    applyPlan(light, plan);
    QByteArray cards = Imaging::exposureCards(light.headerCards);
    cards += Imaging::textCard("CALSTAT", plan.letters, "calibrated: bias, dark, flat");
    // HISTORY holds ASCII alone.
    cards += Imaging::historyCard(HistoryMark + QLatin1Char(' ')
                                  + plan.applied.join(QLatin1String(", ")).replace(QStringLiteral("×"), QStringLiteral("x")));
    if (!Imaging::saveFloatImage(target, light.width, light.height, light.pixels.data(), cards))
        return CalibrationText::NotSaved.arg(QFileInfo(target).fileName());
    return QString();
}

} // namespace Calibration

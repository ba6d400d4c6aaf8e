// A night measured by "Misura serie": 150 images of 650 x 500 with five
// stars, and 100 frames of 4096 x 4096 16-bit (also calibrated), each set written once by
// CFITSIO into a folder of /tmp kept between runs. Beside each, `cat`
// reading the same files in the same run, and the resident memory at the
// highest, which must not grow with the number of images.

#include "imaging/nightwriter.h"
#include "calibration/masters.h"
#include "measurement/series.h"
#include "memory.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

namespace {

NightPlan nightOf(int width, int height, int images)
{
    NightPlan plan;
    plan.width = width;
    plan.height = height;
    plan.images = images;
    plan.bitpix = USHORT_IMG;
    const double cx = width / 2.0, cy = height / 2.0;
    plan.stars = {{cx - 20, cy - 5, 300000}, {cx + 20, cy - 20, 250000}, {cx - 40, cy + 20, 400000},
                  {cx + 35, cy + 22, 200000}, {cx + 5, cy + 15, 220000}};
    return plan;
}

// The night's files, written unless a complete set is there already.
QStringList nightFiles(const QString &name, const NightPlan &plan)
{
    const QString folder = QStringLiteral("/tmp/vevurid-bench-%1").arg(name);
    QDir().mkpath(folder);
    const qint64 size = 2880 + (qint64(plan.width) * plan.height * 2 + 2879) / 2880 * 2880;
    QStringList paths;
    for (int image = 0; image < plan.images; ++image) {
        const QString path = QDir(folder).filePath(QStringLiteral("night_%1.fits").arg(image, 3, 10, QLatin1Char('0')));
        if (QFileInfo(path).size() != size)
            return writeNight(folder, plan);
        paths << path;
    }
    return paths;
}

double catSeconds(const QStringList &paths)
{
    QElapsedTimer timer;
    timer.start();
    QProcess cat;
    cat.setStandardOutputFile(QProcess::nullDevice());
    cat.start(QStringLiteral("cat"), paths);
    cat.waitForFinished(-1);
    return double(timer.nsecsElapsed()) / 1e9;
}

// Masters of the night's format, a bias, a dark of its exposure and a flat
// of its filter, as "Crea master" would have made them.
std::shared_ptr<const Calibration::MasterSet> mastersFor(const NightPlan &plan)
{
    const Calibration::FrameFormat format{plan.width, plan.height, 1, 1};
    const std::size_t pixels = std::size_t(plan.width) * std::size_t(plan.height);
    Calibration::MasterSet masters;
    masters.bias = Calibration::Master{Calibration::FrameKind::Bias, format, std::vector<float>(pixels, 100.5f), 10, {}, {}, {}, false, {}};
    masters.darks.push_back({Calibration::FrameKind::Dark, format, std::vector<float>(pixels, 3.25f), 10,
                             double(plan.exposure), {}, {}, false, {}});
    masters.flats.push_back({Calibration::FrameKind::Flat, format, std::vector<float>(pixels, 0.98f), 10, {}, QStringLiteral("V"), {}, false, {}});
    return std::make_shared<const Calibration::MasterSet>(std::move(masters));
}

void measureNight(benchmark::State &state, const QString &name, const NightPlan &plan,
                  const Measurement::PixelStep &pixelStep = {})
{
    const QStringList paths = nightFiles(name, plan);
    if (paths.size() != plan.images) {
        state.SkipWithError("the night's files could not be written");
        return;
    }
    Measurement::SeriesTemplate placed{{}, {4, 6, 9}, {}, 0, {}};
    for (int star = 0; star < Imaging::RoleCount; ++star)
        placed.positions[std::size_t(star)] = starAt(plan, star, 0);
    placed.comparisonNet = plan.stars[1][2] + plan.stars[2][2] + plan.stars[3][2];
    double series = 0, cat = 0, peak = 0;
    int measured = 0;
    for (auto _ : state) {
        cat = catSeconds(paths); // the files in the page cache for both
        resetPeakResident();
        const double before = resident("VmHWM:");
        QElapsedTimer timer;
        timer.start();
        const std::vector<Measurement::SeriesImage> images =
            Measurement::measureSeries(paths, placed, [](int, int) { return true; }, pixelStep);
        series = double(timer.nsecsElapsed()) / 1e9;
        peak = resident("VmHWM:") - before;
        measured = int(std::count_if(images.cbegin(), images.cend(),
                                     [](const Measurement::SeriesImage &image) { return image.problem.isEmpty(); }));
        cat = std::min(cat, catSeconds(paths));
    }
    state.counters["images"] = double(paths.size());
    state.counters["measured"] = measured;
    state.counters["series_s"] = series;
    state.counters["cat_s"] = cat;
    state.counters["x_cat"] = series / cat;
    state.counters["peak_MB"] = peak / 1e6;
}

void smallNight(benchmark::State &state)
{
    measureNight(state, QStringLiteral("650x500"), nightOf(650, 500, 150));
}

void largeNight(benchmark::State &state)
{
    measureNight(state, QStringLiteral("4096x4096"), nightOf(4096, 4096, int(state.range(0))));
}

// The same night calibrated frame by frame, on the pixels around the stars.
void largeNightCalibrated(benchmark::State &state)
{
    const NightPlan plan = nightOf(4096, 4096, int(state.range(0)));
    measureNight(state, QStringLiteral("4096x4096"), plan, Measurement::calibrationStep(mastersFor(plan)));
}

} // namespace

BENCHMARK(smallNight)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
// 40 frames against 100: the memory at the highest stays the same.
BENCHMARK(largeNight)->Arg(40)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(largeNightCalibrated)->Arg(40)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

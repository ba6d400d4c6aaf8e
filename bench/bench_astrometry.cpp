// Sky coordinates for a 2000 × 2000 frame of a 40′ field without them:
// the stars found, astrometry.net's engine on them with an index built
// here from the field's catalogue (the installed Tycho-2 indexes know no
// generated sky), and the two-click alignment to a sequence of the field.

#include "astrometry/skyfield.h"

#include "astrometry/alignment.h"
#include "astrometry/solver.h"
#include "imaging/skycoordinates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fitsio.h>

namespace {

SkyField wideField()
{
    FieldPlan plan;
    plan.width = 2000;
    plan.height = 2000;
    plan.scale = 1.2;
    plan.rotation = 23;
    plan.stars = 600;
    plan.extra = 100;
    plan.missingEvery = 8;
    return skyField(plan);
}

const SkyField &field()
{
    static const SkyField made = wideField();
    return made;
}

// The index and the engine's configuration naming it; empty when they cannot be made.
QString tinyIndex(const QTemporaryDir &folder)
{
    const QString catalogue = folder.filePath(QStringLiteral("catalogue.fits"));
    const QString index = folder.filePath(QStringLiteral("index.fits"));
    int status = 0;
    fitsfile *file = nullptr;
    fits_create_diskfile(&file, QFile::encodeName(catalogue).constData(), &status);
    fits_create_img(file, BYTE_IMG, 0, nullptr, &status);
    char ra[] = "RA", dec[] = "DEC", mag[] = "MAG", real[] = "D";
    char *names[] = {ra, dec, mag}, *forms[] = {real, real, real};
    fits_create_tbl(file, BINARY_TBL, 0, 3, names, forms, nullptr, nullptr, &status);
    std::vector<double> columns[3];
    for (std::size_t i = 0; i < field().catalogue.size(); ++i) {
        columns[0].push_back(field().catalogue[i].ra);
        columns[1].push_back(field().catalogue[i].dec);
        columns[2].push_back(field().magnitudes[i]);
    }
    for (int column = 0; column < 3; ++column)
        fits_write_col(file, TDOUBLE, column + 1, 1, 1, LONGLONG(columns[column].size()), columns[column].data(), &status);
    fits_close_file(file, &status);
    QProcess builder;
    builder.start(QStringLiteral("/usr/bin/build-astrometry-index"),
                  {"-i", catalogue, "-o", index, "-P", "4", "-E", "-S", "MAG", "-I", "1", "-t", folder.path()});
    if (status != 0 || !builder.waitForFinished(300000) || builder.exitCode() != 0)
        return QString();
    const QString configuration = folder.filePath(QStringLiteral("engine.cfg"));
    QFile text(configuration);
    if (!text.open(QIODevice::WriteOnly) || text.write("index " + QFile::encodeName(index) + "\n") < 0)
        return QString();
    return configuration;
}

void BM_FindStars(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Astrometry::findStars(field().image));
}
BENCHMARK(BM_FindStars)->Unit(benchmark::kMillisecond);

// "Risolvi": the stars found, the engine run, its system read.
void BM_Solve(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString configuration = tinyIndex(folder);
    if (configuration.isEmpty()) {
        state.SkipWithError("no index: is astrometry.net installed?");
        return;
    }
    Astrometry::setEngineConfiguration(configuration);
    for (auto _ : state) {
        const Astrometry::Solution solution = Astrometry::solve(
            {Astrometry::findStars(field().image), field().width, field().height, 1.2, std::nullopt}, [] { return false; });
        if (solution.cards.isEmpty()) {
            state.SkipWithError(qPrintable(solution.problem));
            break;
        }
        benchmark::DoNotOptimize(Imaging::SkyFrame::read(solution.cards, field().width, field().height));
    }
    Astrometry::setEngineConfiguration(QString());
}
BENCHMARK(BM_Solve)->Unit(benchmark::kMillisecond);

// Two clicks, the image's stars already found.
void BM_Align(benchmark::State &state)
{
    const std::vector<Astrometry::FoundStar> found = Astrometry::findStars(field().image);
    Astrometry::AlignInput input;
    for (std::size_t i = 0; i < field().catalogue.size(); ++i) {
        if (field().magnitudes[i] < 11)
            input.sequence.push_back(field().catalogue[i]);
    }
    input.first = input.sequence.front();
    input.second = input.sequence.back();
    input.firstPixel = field().pixelOf(input.first);
    input.secondPixel = field().pixelOf(input.second);
    input.found = found;
    input.width = field().width;
    input.height = field().height;
    for (auto _ : state) {
        const Astrometry::Alignment alignment = Astrometry::alignToSequence(input);
        if (!alignment.wcs) {
            state.SkipWithError(qPrintable(alignment.problem));
            break;
        }
        benchmark::DoNotOptimize(alignment);
    }
}
BENCHMARK(BM_Align)->Unit(benchmark::kMillisecond);

} // namespace

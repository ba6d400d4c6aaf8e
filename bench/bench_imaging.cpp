// FITS images of 4096 x 4096 pixels, 32-bit float and unsigned 16-bit,
// written once by CFITSIO: loading each with its display picture, and the
// resident memory at the highest while doing it against the 64 MB its float
// pixels take; and measuring one star on the loaded image.

#include "imaging/aperture.h"
#include "imaging/fitsimage.h"
#include "imaging/stretch.h"

#include "files.h"
#include "memory.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>

#include <fitsio.h>

#include <cmath>
#include <cstring>
#include <malloc.h>

namespace {

constexpr long Side = 4096;
constexpr double StarX = 2000, StarY = 1500;

// A sky of 1000 ADU with a little fixed pattern, and a star at (StarX, StarY);
// the float image's values are fractions, as a calibrated frame's are.
QString generatedImage(int bitpix)
{
    const QString path = benchFile(QStringLiteral("frame%1.fits").arg(bitpix));
    if (QFile::exists(path))
        return path;
    std::vector<float> row(Side);
    int status = 0;
    fitsfile *file = nullptr;
    fits_create_diskfile(&file, QFile::encodeName(path).constData(), &status);
    long axes[2] = {Side, Side};
    fits_create_img(file, bitpix, 2, axes, &status);
    for (long y = 0; y < Side; ++y) {
        for (long x = 0; x < Side; ++x) {
            const double d2 = (x - StarX) * (x - StarX) + (y - StarY) * (y - StarY);
            const double fraction = bitpix == FLOAT_IMG ? 0.37 * double((x * 5 + y * 3) % 11) : 0;
            row[std::size_t(x)] = float(1000 + (x * 7 + y * 13) % 23 + fraction + 30000 * std::exp(-d2 / 4.5));
        }
        fits_write_img(file, TFLOAT, y * Side + 1, Side, row.data(), &status);
    }
    fits_close_file(file, &status);
    if (status != 0)
        qFatal("CFITSIO status %d writing %s", status, qPrintable(path));
    return path;
}

// The picture as the measuring window draws it, top row first.
QImage picture(const Imaging::FitsImage &image)
{
    QImage drawn(image.width, image.height, QImage::Format_Grayscale8);
    const qsizetype rowBytes = drawn.bytesPerLine();
    Imaging::drawPicture(image, Imaging::stretchLimits(image), drawn.bits() + (image.height - 1) * rowBytes, -rowBytes);
    return drawn;
}

void loadWithPicture(benchmark::State &state)
{
    const QString path = generatedImage(int(state.range(0)));
    double peakBytes = 0;
    for (auto _ : state) {
        // Only the load and the picture are timed, freeing them included.
        state.PauseTiming();
        malloc_trim(0);
        const double before = resident("VmRSS:");
        resetPeakResident();
        state.ResumeTiming();
        {
            const Imaging::FitsLoad load = Imaging::loadFits(path);
            if (!load.image)
                state.SkipWithError(qPrintable(load.problem));
            else
                benchmark::DoNotOptimize(picture(*load.image));
        }
        state.PauseTiming();
        peakBytes = resident("VmHWM:") - before;
        state.ResumeTiming();
    }
    state.counters["peak / float pixels"] = peakBytes / (Side * Side * sizeof(float));
}

void measureOneStar(benchmark::State &state)
{
    static const Imaging::FitsLoad load = Imaging::loadFits(generatedImage(FLOAT_IMG));
    for (auto _ : state) {
        const Imaging::StarMeasurement m = Imaging::measureStar(*load.image, StarX + 1.3, StarY - 0.8, {8, 12, 18}, {1.5, 8});
        if (m.refusal != Imaging::Refusal::None)
            state.SkipWithError("the star was not measured");
        benchmark::DoNotOptimize(m);
    }
}

} // namespace

BENCHMARK(loadWithPicture)->ArgName("bitpix")->Arg(FLOAT_IMG)->Arg(USHORT_IMG)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(measureOneStar)->Unit(benchmark::kMicrosecond);

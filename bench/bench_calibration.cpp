// Master frames combined from bias frames of 4096 x 4096 16-bit, written
// once by CFITSIO into a folder of /tmp kept between runs: a median of 20
// set against ccdproc combining the same files in the same run
// (bench/calibration_ccdproc.py), and the resident memory at the highest
// while combining 50, which the bands of rows keep bounded.

#include "calibration/combine.h"
#include "memory.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <fitsio.h>

#include <malloc.h>

namespace {

constexpr long Side = 4096;
const QString Folder = QStringLiteral("/tmp/vevurid-bench-bias-4096");

// Bias frames: a level with a column pattern and noise, each frame its own.
QString biasFrame(int frame)
{
    const QString path = QDir(Folder).filePath(QStringLiteral("bias_%1.fits").arg(frame, 3, 10, QLatin1Char('0')));
    const qint64 size = 2 * 2880 + (Side * Side * 2 + 2879) / 2880 * 2880;
    if (QFileInfo(path).size() >= size - 2880 && QFileInfo(path).size() <= size)
        return path;
    QDir().mkpath(Folder);
    QFile::remove(path);
    std::vector<unsigned short> row(Side);
    quint64 state = 0x9E3779B97F4A7C15ull * quint64(frame + 1);
    int status = 0;
    fitsfile *file = nullptr;
    fits_create_diskfile(&file, QFile::encodeName(path).constData(), &status);
    long axes[2] = {Side, Side};
    fits_create_img(file, USHORT_IMG, 2, axes, &status);
    fits_write_key_str(file, "IMAGETYP", "Bias Frame", nullptr, &status);
    for (long y = 0; y < Side; ++y) {
        for (long x = 0; x < Side; ++x) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            row[std::size_t(x)] = static_cast<unsigned short>(1000 + x % 5 * 4 + (state >> 60));
        }
        fits_write_img(file, TUSHORT, y * Side + 1, Side, row.data(), &status);
    }
    fits_close_file(file, &status);
    if (status != 0)
        qFatal("CFITSIO status %d writing %s", status, qPrintable(path));
    return path;
}

std::vector<Calibration::Layer> layers(int frames)
{
    std::vector<Calibration::Layer> made;
    for (int frame = 0; frame < frames; ++frame)
        made.push_back({biasFrame(frame), {}, 1});
    return made;
}

// Both read the files from the page cache.
void intoCache(const std::vector<Calibration::Layer> &stack)
{
    QStringList paths;
    for (const Calibration::Layer &layer : stack)
        paths << layer.path;
    QProcess cat;
    cat.setStandardOutputFile(QProcess::nullDevice());
    cat.start(QStringLiteral("cat"), paths);
    cat.waitForFinished(-1);
}

double ccdprocSeconds(int frames)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VEVURID_BENCH_FOLDER "/calibration_ccdproc.py"), Folder, QString::number(frames)});
    if (!python.waitForFinished(-1) || python.exitCode() != 0)
        return 0; // python3-ccdproc missing
    // ccdproc tells how it splits the images before the seconds, on the last line.
    bool read = false;
    const double seconds = python.readAllStandardOutput().trimmed().split('\n').last().toDouble(&read);
    return read ? seconds : 0;
}

void combineMedian(benchmark::State &state)
{
    const int frames = int(state.range(0));
    const std::vector<Calibration::Layer> stack = layers(frames);
    const Calibration::FrameFormat format{int(Side), int(Side), 1, 1};
    double seconds = 0, peak = 0;
    for (auto _ : state) {
        intoCache(stack);
        malloc_trim(0);
        resetPeakResident();
        const double before = resident("VmHWM:");
        QElapsedTimer timer;
        timer.start();
        const Calibration::Stacked master =
            Calibration::combineStack(stack, format, Calibration::Combine::Median, [](double) { return true; });
        seconds = double(timer.nsecsElapsed()) / 1e9;
        peak = resident("VmHWM:") - before;
        if (master.pixels.empty())
            state.SkipWithError(qPrintable(master.problem));
    }
    state.counters["frames"] = frames;
    state.counters["combine_s"] = seconds;
    state.counters["peak_MB"] = peak / 1e6;
    if (state.range(1)) {
        intoCache(stack);
        const double ccdproc = ccdprocSeconds(frames);
        state.counters["ccdproc_s"] = ccdproc;
        state.counters["x_ccdproc"] = ccdproc > 0 ? seconds / ccdproc : 0;
    }
}

} // namespace

// 20 frames against ccdproc; 50 for the memory at the highest.
BENCHMARK(combineMedian)->Args({20, 1})->Args({50, 0})->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

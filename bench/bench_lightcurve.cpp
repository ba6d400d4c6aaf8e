// Reading the light curve's files: generated AAVSO Extended logs, database
// downloads and hand-kept lists of 100 000 and 1 000 000 observations, read into a new
// set together with its star list, and the heap the set keeps per
// observation afterwards and at its highest while reading (the file's bytes
// included). The measures and the freeing of what was read are left out of
// the times.

#include "aavso/observations.h"
#include "aavso/vocabulary.h"

#include "files.h"
#include "memory.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <cmath>
#include <cstring>
#include <memory>
#include <malloc.h>

namespace {

enum Format { Extended, Database, List };

QByteArray generated(Format format, int count)
{
    static const char *const stars[] = {"V612 Sct", "V612 SCT", "RR Lyr", "SS Cyg"};
    static const char *const bands[] = {"V", "B", "R", "Vis."};
    QByteArray bytes;
    if (format == Extended)
        bytes = Aavso::header("ABC");
    if (format == Database) {
        QByteArrayList columns;
        for (const char *column : Aavso::DatabaseColumns)
            columns << '"' + QByteArray(column) + '"';
        bytes = columns.join(',') + '\n';
    }
    for (int i = 0; i < count; ++i) {
        const QByteArray jd = QByteArray::number(2450000.0 + i * 0.01, 'f', 5);
        const QByteArray magnitude = QByteArray::number(11.0 + std::sin(i * 0.001), 'f', 3);
        const QByteArray star = stars[i % 10 < 7 ? 0 : i % 4];
        const QByteArray band = bands[i % 4];
        const QByteArray observer = "OBS" + QByteArray::number(i % 50);
        if (format == Extended)
            bytes += star + ',' + jd + ',' + magnitude + ",0.012," + band
                + ",NO,STD,ENSEMBLE,na,000-BBB-123,11.234,1.25,na,X12345,na\r\n";
        else if (format == Database)
            // A comment of its own on every line, as the database often has.
            bytes += jd + ',' + (i % 20 == 0 ? "<" : "") + magnitude + ",0.01,," + band + ',' + observer
                + ",,,,,\"seeing " + QByteArray::number(i) + ", velature\",0,,V,,,,\"" + star + "\",,,,,\n";
        else
            bytes += jd + '\t' + (i % 20 == 0 ? "<" : "") + magnitude + "\t0.01\t" + observer + "\r\n";
    }
    return bytes;
}

QString generatedFile(Format format, int count)
{
    const QString path = benchFile(QStringLiteral("%1-%2.txt").arg(format).arg(count));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(generated(format, count)) < 0)
            qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

// Large blocks are mapped apart from the heap proper: both count.
size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void readLightCurve(benchmark::State &state)
{
    const auto format = Format(state.range(0));
    const int count = int(state.range(1));
    const QString path = generatedFile(format, count);
    double keptBytes = 0;
    double peakBytes = 0;
    for (auto _ : state) {
        // Only the reading is timed: not the measures around it, nor freeing what it read.
        state.PauseTiming();
        malloc_trim(0); // freed memory would otherwise be reused unseen
        const size_t heapBefore = heapInUse();
        const double residentBefore = resident("VmRSS:");
        resetPeakResident();
        auto read = std::make_unique<Aavso::LightCurve::Observations>();
        state.ResumeTiming();
        if (!Aavso::LightCurve::addFile(*read, path).isEmpty() || read->observations.size() != size_t(count))
            state.SkipWithError("the generated file was not read whole");
        benchmark::DoNotOptimize(Aavso::LightCurve::stars(*read));
        state.PauseTiming();
        keptBytes = double(heapInUse() - heapBefore);
        peakBytes = resident("VmHWM:") - residentBefore;
        read.reset();
        state.ResumeTiming();
    }
    state.counters["bytes/observation"] = keptBytes / count;
    state.counters["peak bytes/observation"] = peakBytes / count;
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(readLightCurve)
    ->ArgNames({"format", "observations"})
    ->ArgsProduct({{Extended, Database, List}, {100000, 1000000}})
    ->Unit(benchmark::kMillisecond);

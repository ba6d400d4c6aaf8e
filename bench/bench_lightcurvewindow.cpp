// The light-curve window on generated AAVSO files of one star in three
// filters, with errors: "Apri..." until the curve is painted, and a redraw
// while the user pans with every point in view.

#include "aavso/observations.h"
#include "aavso/vocabulary.h"
#include "support/scripteddialogs.h"
#include "windows/lightcurveplot.h"
#include "windows/lightcurvewindow.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cmath>

namespace {

QString generatedFile(const QTemporaryDir &dir, int count)
{
    QByteArray text = Aavso::header("ABC", "\n");
    const char bands[] = {'B', 'V', 'I'};
    for (int i = 0; i < count; ++i) {
        const double jd = 2455000 + i * 0.05; // 14 years
        const double magnitude = 12 + std::sin(i * 0.001) + (i % 3) * 0.7 + (i % 17) * 0.01;
        text += "V612 Sct," + QByteArray::number(jd, 'f', 5) + ','
              + QByteArray::number(magnitude, 'f', 3) + ",0.02," + bands[i % 3]
              + ",NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na\n";
    }
    QFile file(dir.filePath("generated.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return file.fileName();
}

struct Refusals : Messages
{
    QString last;
    void show(const QString &, MessageIcon, const QString &text) override { last = text; }
};

// Answers "Apri..." with one file, every time.
struct OneFile : FileDialogs
{
    QString path;
    QString openFile(const QString &, const QString &, const QString &) override { return path; }
    QString saveFile(const QString &, const QString &, const QString &, bool) override { return path; }
};

void BM_OpenAndShow(benchmark::State &state)
{
    QTemporaryDir dir;
    Refusals refusals;
    OneFile dialogs;
    MapSettings settings;
    dialogs.path = generatedFile(dir, int(state.range(0)));
    LightCurveWindow window({refusals, dialogs, settings, dir.path()});
    window.show();
    auto *open = window.findChild<QPushButton *>(QStringLiteral("cmdApri"));
    auto *plot = window.findChild<LightCurvePlot *>(QStringLiteral("plot"));
    for (auto _ : state) {
        open->click();
        plot->replot(QCustomPlot::rpImmediateRefresh);
    }
    if (!refusals.last.isEmpty())
        state.SkipWithError(qPrintable(refusals.last));
}

void BM_PanReplot(benchmark::State &state)
{
    QTemporaryDir dir;
    LightCurve::Observations data;
    const QString refusal = LightCurve::addFile(data, generatedFile(dir, int(state.range(0))));
    if (!refusal.isEmpty()) {
        state.SkipWithError(qPrintable(refusal));
        return;
    }
    LightCurvePlot plot;
    plot.resize(880, 500); // the plot in a window of the starting size
    plot.show();
    plot.plotStar(data, LightCurve::starKey(QStringLiteral("V612 Sct")));
    plot.replot(QCustomPlot::rpImmediateRefresh);
    const double step = plot.xAxis->range().size() / 100;
    int i = 0;
    for (auto _ : state) {
        plot.xAxis->moveRange(++i % 20 < 10 ? step : -step);
        plot.replot(QCustomPlot::rpImmediateRefresh);
    }
    state.counters["points"] = double(data.observations.size());
}

} // namespace

BENCHMARK(BM_OpenAndShow)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanReplot)->Arg(100000)->Unit(benchmark::kMillisecond);

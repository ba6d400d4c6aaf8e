// The light-curve window on generated AAVSO files: one star in three
// filters, with errors, from "Apri..." until the curve read on its thread is
// painted, and a redraw while the user pans with every point in view; one
// star in 1000 bands drawn the first time; a million stars of one
// observation each, opened and listed.

#include "aavso/observations.h"
#include "aavso/vocabulary.h"
#include "support/scripteddialogs.h"
#include "curvewindows/lightcurveplot.h"
#include "curvewindows/lightcurvewindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cmath>

namespace {

enum Kind { ThreeBands, ManyBands, ManyStars };

QString generatedFile(const QTemporaryDir &dir, int count, Kind kind = ThreeBands)
{
    // Another program's log: the observer's own points would be drawn larger.
    QByteArray text = Aavso::header("ABC", "\n").replace(Aavso::software(), "generatore");
    const QByteArray bands[] = {"B", "V", "I"};
    for (int i = 0; i < count; ++i) {
        const double jd = 2455000 + i * 0.05; // 14 years
        const double magnitude = 12 + std::sin(i * 0.001) + (i % 3) * 0.7 + (i % 17) * 0.01;
        const QByteArray star = kind == ManyStars ? "Stella " + QByteArray::number(i) : "V612 Sct";
        const QByteArray band = kind == ManyBands ? "X" + QByteArray::number(i) : bands[i % 3];
        text += star + ',' + QByteArray::number(jd, 'f', 5) + ','
              + QByteArray::number(magnitude, 'f', 3) + ",0.02," + band
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
    bool ask(const QString &, const QString &) override { return false; }
};

// Answers "Apri..." with one file, every time.
struct OneFile : FileDialogs
{
    QString path;
    QString openFile(const QString &, const QString &, const QString &) override { return path; }
    QStringList openFiles(const QString &, const QString &, const QString &) override { return {path}; }
    QString saveFile(const QString &, const QString &, const QString &, bool) override { return path; }
    QString chooseFolder(const QString &, const QString &) override { return QString(); }
};

// "Apri..." with the generated file, until the file is read on the window's
// thread, the list filled and the curve painted.
void openAndShow(benchmark::State &state, Kind kind)
{
    QTemporaryDir dir;
    Refusals refusals;
    OneFile dialogs;
    MapSettings settings;
    dialogs.path = generatedFile(dir, int(state.range(0)), kind);
    LightCurveWindow window({refusals, dialogs, settings, dir.path()});
    window.show();
    auto *open = window.findChild<QPushButton *>(QStringLiteral("cmdApri"));
    auto *plot = window.findChild<LightCurvePlot *>(QStringLiteral("plot"));
    auto *stars = window.findChild<QComboBox *>(QStringLiteral("cboStella"));
    for (auto _ : state) {
        open->click();
        while (!open->isEnabled())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        plot->replot(QCustomPlot::rpImmediateRefresh);
    }
    if (!refusals.last.isEmpty())
        state.SkipWithError(qPrintable(refusals.last));
    state.counters["stars"] = stars->count();
    state.counters["graphs"] = plot->graphCount();
}

void BM_OpenAndShow(benchmark::State &state)
{
    openAndShow(state, ThreeBands);
}

void BM_OpenManyBands(benchmark::State &state)
{
    openAndShow(state, ManyBands);
}

void BM_OpenManyStars(benchmark::State &state)
{
    openAndShow(state, ManyStars);
}

// The first draw of one star's curve in as many bands as observations.
void BM_FirstDrawManyBands(benchmark::State &state)
{
    QTemporaryDir dir;
    Aavso::LightCurve::Observations data;
    const QString refusal = Aavso::LightCurve::addFile(data, generatedFile(dir, int(state.range(0)), ManyBands));
    if (!refusal.isEmpty()) {
        state.SkipWithError(qPrintable(refusal));
        return;
    }
    const Aavso::LightCurve::Curve curve = Aavso::LightCurve::curveOf(data, Aavso::LightCurve::starKey(QStringLiteral("V612 Sct")));
    for (auto _ : state) {
        LightCurvePlot plot;
        plot.resize(880, 500);
        plot.show();
        plot.plotCurve(data, curve);
        plot.replot(QCustomPlot::rpImmediateRefresh);
    }
}

void BM_PanReplot(benchmark::State &state)
{
    QTemporaryDir dir;
    Aavso::LightCurve::Observations data;
    const QString refusal = Aavso::LightCurve::addFile(data, generatedFile(dir, int(state.range(0))));
    if (!refusal.isEmpty()) {
        state.SkipWithError(qPrintable(refusal));
        return;
    }
    LightCurvePlot plot;
    plot.resize(880, 500); // the plot in a window of the starting size
    plot.show();
    plot.plotCurve(data, Aavso::LightCurve::curveOf(data, Aavso::LightCurve::starKey(QStringLiteral("V612 Sct"))));
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
BENCHMARK(BM_FirstDrawManyBands)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenManyBands)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenManyStars)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The light curve redrawn while the user pans: 100 000 observations of one
// star in three filters, with errors, read from a generated AAVSO file and
// all in view.

#include "files/observations.h"
#include "windows/lightcurveplot.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace {

QString generatedFile(const QTemporaryDir &dir, int count)
{
    QByteArray text = "#TYPE=EXTENDED\n#OBSCODE=ABC\n#SOFTWARE=generator\n#DELIM=,\n#DATE=JD\n"
                      "#NAME,DATE,MAG,MERR,FILT,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,AMASS,GROUP,"
                      "CHART,NOTES\n";
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

BENCHMARK(BM_PanReplot)->Arg(100000)->Unit(benchmark::kMillisecond);

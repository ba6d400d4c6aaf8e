// "Esporta AAVSO" into a season's log: one record added to a file that holds
// 100 000 already (about 12 MB), read, checked for the same observation and
// replaced whole, as the menu entry does it.

#include "aavso/log.h"
#include "aavso/vocabulary.h"
#include "support/fakesheet.h"
#include "support/recordingmessages.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray seasonLog(int records)
{
    QByteArray log = Aavso::header("RMA");
    for (int i = 0; i < records; ++i)
        log += "SS Cyg," + QByteArray::number(2450000 + i * 0.01, 'f', 5)
             + ",11.523,0.012,V,NO,STD,ENSEMBLE,na,na,na,na,na,na,"
               "ENSEMBLE C1=11.250 C2=11.620 C3=12.030 seeing 3\r\n";
    return log;
}

void BM_AppendToLog(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("aavso.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(seasonLog(int(state.range(0)))) < 0) {
        state.SkipWithError("cannot write the log");
        return;
    }
    file.close();

    FakeSheet sheet;
    sheet.fill({"Text20", "Text11", "Text15", "Text22", "Text19", "Text5", "Text6", "Text7"},
               {"RZ Cas", "11.5234", "0.0123", "V", "RMA", "11.25", "11.62", "12.03"});
    RecordingMessages messages;
    int run = 0;
    for (auto _ : state) {
        // A new JD each time: the same one would be refused as a duplicate.
        sheet.fields["Text18"] = QString::number(2460000 + ++run * 0.001, 'f', 5);
        Aavso::exportToLog(sheet, messages, path);
    }
    for (const Message &m : std::as_const(messages.shown)) {
        if (m.icon != MessageIcon::Information) {
            state.SkipWithError(qPrintable(m.text));
            break;
        }
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_AppendToLog)->ArgName("records")->Arg(100000)->Unit(benchmark::kMillisecond);

#include "ratio.h"

#include "pogson.h"
#include "core/computation.h"

using namespace Computation;

namespace Photometry {

namespace {

struct Step
{
    const char *count;
    const char *result;
    const char *star;
};

// The row's field names do not follow its columns: C1's box is Text9, C2's Text8.
const Step Steps[] = {
    {"Text1", "Text9", "Stella C1"},
    {"Text2", "Text8", "Stella C2"},
    {"Text3", "Text10", "Stella C3"},
    {"Text4", "Text16", "Stella Variabile"},
};

QString stoppedAt(int step)
{
    const QString star = QString::fromLatin1(Steps[step].star);
    const QString written = step == 0
        ? QStringLiteral("nessun risultato è stato scritto.")
        : QStringLiteral("i risultati dei passi precedenti sono stati scritti, quelli dalla %1 "
                         "in poi sono rimasti come erano.")
              .arg(star);
    return QStringLiteral("RAPPORTO MAGNITUDINE si è fermato al passo della %1: ").arg(star)
         + written;
}

} // namespace

void magnitudeRatio(Sheet &sheet, Messages &messages)
{
    warnEmpty(sheet, messages, {"Text1", "Text2", "Text3", "Text4"}, AduWarning);

    // Each step writes its field before the next one reads, so a stop keeps
    // what the earlier steps found.
    int step = 0;
    try {
        for (; step < 4; ++step) {
            const Step &s = Steps[step];
            const double count = read(sheet, s.count);
            const double variableCount = read(sheet, "Text4");
            write(sheet, s.result, ratioTerm(count, variableCount, s.star));
        }
    } catch (const Stop &stop) {
        report(messages, stoppedAt(step), stop);
    }
}

} // namespace Photometry

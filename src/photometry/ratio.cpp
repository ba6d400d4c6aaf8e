#include "ratio.h"

#include "pogson.h"
#include "core/computation.h"
#include "core/names.h"

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
    {Field::AduC1, Field::RatioC1, "Stella C1"},
    {Field::AduC2, Field::RatioC2, "Stella C2"},
    {Field::AduC3, Field::RatioC3, "Stella C3"},
    {Field::AduVariable, Field::RatioVariable, "Stella Variabile"},
};

QString stoppedAt(int step)
{
    const QString star = QString::fromLatin1(Steps[step].star);
    return stopHeadline(
        QStringLiteral("RAPPORTO MAGNITUDINE si è fermato al passo della %1: ").arg(star), step == 0,
        NothingWritten,
        QStringLiteral("i risultati dei passi precedenti sono stati scritti, quelli dalla %1 "
                       "in poi sono rimasti come erano.")
            .arg(star));
}

} // namespace

void magnitudeRatio(Sheet &sheet, Messages &messages)
{
    warnEmpty(sheet, messages, {Field::AduC1, Field::AduC2, Field::AduC3, Field::AduVariable},
              AduWarning);

    // Each step writes its field before the next one reads, so a stop keeps
    // what the earlier steps found.
    int step = 0;
    try {
        for (; step < 4; ++step) {
            const Step &s = Steps[step];
            const double count = read(sheet, s.count);
            const double variableCount = read(sheet, Field::AduVariable);
            write(sheet, s.result, ratioTerm(count, variableCount, s.star));
        }
    } catch (const Stop &stop) {
        report(messages, stoppedAt(step), stop);
    }
}

} // namespace Photometry

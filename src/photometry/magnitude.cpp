#include "magnitude.h"

#include "pogson.h"
#include "core/computation.h"
#include "core/names.h"

using namespace Computation;

namespace Photometry {

void magnitude(Sheet &sheet, Messages &messages)
{
    using namespace Field;
    warnEmpty(sheet, messages, {AduC1, AduC2, AduC3, AduVariable}, AduWarning);
    warnEmpty(sheet, messages, {MagnitudeC1, MagnitudeC2, MagnitudeC3}, MagnitudeWarning);

    try {
        const double a[3] = {read(sheet, AduC1), read(sheet, AduC2), read(sheet, AduC3)};
        const double av = read(sheet, AduVariable);
        const double catalogue[3] = {read(sheet, MagnitudeC1), read(sheet, MagnitudeC2),
                                     read(sheet, MagnitudeC3)};

        // Every result is computed before the first is written, so a stop
        // leaves all five result fields as they were.
        double m[3];
        for (int i = 0; i < 3; ++i) {
            const QString star = QStringLiteral("C%1").arg(i + 1);
            m[i] = finite(ratioTerm(a[i], av, QStringLiteral("Stella ") + star) + catalogue[i],
                          QStringLiteral("Mag. con ") + star);
        }
        const MeanAndError spread = meanAndError(m);
        const double mean = finite(spread.mean, QStringLiteral("Magnitudine"));
        const double error = finite(spread.error, QStringLiteral("Errore Mag."));

        write(sheet, MagnitudeVariable, mean);
        write(sheet, MagnitudeWithC1, m[0]);
        write(sheet, MagnitudeWithC2, m[1]);
        write(sheet, MagnitudeWithC3, m[2]);
        write(sheet, MagnitudeError, error);
    } catch (const Stop &stop) {
        report(messages, QStringLiteral("MAGNITUDINE: ") + NothingWritten, stop);
    }
}

} // namespace Photometry

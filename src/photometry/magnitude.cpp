#include "magnitude.h"

#include "pogson.h"
#include "core/computation.h"

#include <cmath>

using namespace Computation;

namespace Photometry {

void magnitude(Sheet &sheet, Messages &messages)
{
    warnEmpty(sheet, messages, {"Text1", "Text2", "Text3", "Text4"}, AduWarning);
    warnEmpty(sheet, messages, {"Text5", "Text6", "Text7"}, MagnitudeWarning);

    try {
        const double a[3] = {read(sheet, "Text1"), read(sheet, "Text2"), read(sheet, "Text3")};
        const double av = read(sheet, "Text4");
        const double catalogue[3] = {read(sheet, "Text5"), read(sheet, "Text6"),
                                     read(sheet, "Text7")};

        // Every result is computed before the first is written, so a stop
        // leaves all five result fields as they were.
        double m[3];
        for (int i = 0; i < 3; ++i) {
            const QString star = QStringLiteral("C%1").arg(i + 1);
            m[i] = finite(ratioTerm(a[i], av, QStringLiteral("Stella ") + star) + catalogue[i],
                          QStringLiteral("Mag. con ") + star);
        }
        const double mean = finite((m[0] + m[1] + m[2]) / 3, QStringLiteral("Magnitudine"));
        const double d0 = mean - m[0], d1 = mean - m[1], d2 = mean - m[2];
        const double error = finite(std::sqrt((d0 * d0 + d1 * d1 + d2 * d2) * 0.5),
                                    QStringLiteral("Errore Mag."));

        write(sheet, "Text11", mean);
        write(sheet, "Text12", m[0]);
        write(sheet, "Text13", m[1]);
        write(sheet, "Text14", m[2]);
        write(sheet, "Text15", error);
    } catch (const Stop &stop) {
        report(messages, QStringLiteral("MAGNITUDINE: nessun risultato è stato scritto."), stop);
    }
}

} // namespace Photometry

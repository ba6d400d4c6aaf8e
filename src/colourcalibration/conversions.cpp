#include "conversions.h"

#include "core/computation.h"
#include "core/fields.h"
#include "core/names.h"

using namespace Computation;

namespace ColourCalibration {

namespace {

// Star by star, each result written before the next star is read, so a stop
// keeps the stars already converted.
void convert(Sheet &sheet, Messages &messages, const QString &band,
             double (*relation)(double v, double bv))
{
    using namespace Field;
    const char *stars[][2] = {
        {MagnitudeC1, ColourC1}, {MagnitudeC2, ColourC2}, {MagnitudeC3, ColourC3}};
    int star = 0;
    try {
        for (; star < 3; ++star) {
            const auto [magnitude, colour] = stars[star];
            const double bv = read(sheet, colour);
            const double v = read(sheet, magnitude);
            write(sheet, magnitude,
                  finite(relation(v, bv), Fields::description(magnitude)));
        }
    } catch (const Stop &stop) {
        const QString headline = stopHeadline(
            QStringLiteral("Conversione in magnitudine %1 fermata alla Stella C%2: ")
                .arg(band).arg(star + 1),
            star == 0, QStringLiteral("nessuna magnitudine è stata convertita."),
            QStringLiteral("le stelle precedenti sono state convertite, la Stella C%1 e le "
                           "seguenti sono rimaste come erano.")
                .arg(star + 1));
        report(messages, headline, stop);
    }
}

} // namespace

void convertToB(Sheet &sheet, Messages &messages)
{
    convert(sheet, messages, QStringLiteral("B"), [](double v, double bv) { return v + bv; });
}

void convertToR(Sheet &sheet, Messages &messages)
{
    convert(sheet, messages, QStringLiteral("R"),
            [](double v, double bv) { return v - (0.508 * bv + 0.04); });
}

} // namespace ColourCalibration

#include "calibratedmagnitude.h"

#include "colourtemperature.h"
#include "photometry/pogson.h"
#include "core/computation.h"
#include "core/fields.h"

#include <cmath>

using namespace Computation;

namespace Calibration {

namespace {

double count(const Sheet &sheet, const char *field)
{
    const double value = read(sheet, field);
    if (!(value > 0))
        throw Stop{QStringLiteral("Il conteggio nella casella \"%1\" deve essere un numero "
                                  "maggiore di zero.")
                       .arg(Fields::description(field))};
    return value;
}

// Text28 is the first field written; a stop there leaves every result as it was.
QString stoppedAt(const char *field)
{
    if (qstrcmp(field, "Text28") == 0)
        return QStringLiteral("MAGNITUDINE CALIBRATA: nessun risultato è stato scritto.");
    return QStringLiteral("MAGNITUDINE CALIBRATA si è fermato alla casella \"%1\": le caselle "
                          "precedenti hanno i nuovi valori, \"%1\" e le seguenti sono rimaste "
                          "come erano.")
        .arg(Fields::description(field));
}

} // namespace

void calibratedMagnitude(Sheet &sheet, Messages &messages)
{
    const char *step = "Text28";
    try {
        // Step 1 needs every count, magnitude and colour: all three estimates
        // enter the mean, so nothing is written unless all of them exist.
        const char *catalogue[] = {"Text5", "Text6", "Text7"};
        const char *colours[] = {"Text23", "Text24", "Text25"};
        const char *estimates[] = {"Text30", "Text31", "Text32"};

        const double a[3] = {count(sheet, "Text1"), count(sheet, "Text2"), count(sheet, "Text3")};
        const double variable = count(sheet, "Text4");
        const double slope = read(sheet, "Text27");
        const double variableTerm = Photometry::pogson(variable) - slope * read(sheet, "Text26");
        double mv[3];
        for (int k = 0; k < 3; ++k) {
            // Two separate logarithms, as the observers' colour equation is written.
            const double starTerm = Photometry::pogson(a[k]) - slope * read(sheet, colours[k]);
            mv[k] = finite(starTerm - variableTerm + read(sheet, catalogue[k]),
                           Fields::description(estimates[k]));
        }
        const double mean = finite((mv[0] + mv[1] + mv[2]) / 3, Fields::description(step));
        write(sheet, step, mean);

        for (int k = 0; k < 3; ++k) {
            step = estimates[k];
            write(sheet, step, mv[k]);
        }

        step = "Text29";
        const double d0 = mean - mv[0], d1 = mean - mv[1], d2 = mean - mv[2];
        write(sheet, step, finite(std::sqrt((d0 * d0 + d1 * d1 + d2 * d2) * 0.5),
                                  Fields::description(step)));

        const char *temperatures[][2] = {
            {"Text23", "Text33"}, {"Text24", "Text34"}, {"Text25", "Text35"}, {"Text26", "Text36"}};
        for (const auto &[colour, result] : temperatures) {
            step = result;
            write(sheet, step,
                  finite(temperature(read(sheet, colour)), Fields::description(step)));
        }
    } catch (const Stop &stop) {
        report(messages, stoppedAt(step), stop);
    }
}

} // namespace Calibration

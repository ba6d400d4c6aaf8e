#include "calibratedmagnitude.h"

#include "colourtemperature.h"
#include "core/computation.h"
#include "core/fields.h"
#include "core/names.h"
#include "photometry/pogson.h"

using namespace Computation;

namespace ColourCalibration {

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
    const bool first = qstrcmp(field, Field::Calibrated) == 0;
    const QString name = Fields::description(field);
    return stopHeadline(
        first ? QStringLiteral("MAGNITUDINE CALIBRATA: ")
              : QStringLiteral("MAGNITUDINE CALIBRATA si è fermato alla casella \"%1\": ").arg(name),
        first, NothingWritten,
        QStringLiteral("le caselle precedenti hanno i nuovi valori, \"%1\" e le seguenti sono "
                       "rimaste come erano.")
            .arg(name));
}

} // namespace

void calibratedMagnitude(Sheet &sheet, Messages &messages)
{
    using namespace Field;
    const char *step = Calibrated;
    try {
        // Step 1 needs every count, magnitude and colour: all three estimates
        // enter the mean, so nothing is written unless all of them exist.
        const char *catalogue[] = {MagnitudeC1, MagnitudeC2, MagnitudeC3};
        const char *colours[] = {ColourC1, ColourC2, ColourC3};
        const char *estimates[] = {CalibratedWithC1, CalibratedWithC2, CalibratedWithC3};

        const double a[3] = {count(sheet, AduC1), count(sheet, AduC2), count(sheet, AduC3)};
        const double variable = count(sheet, AduVariable);
        const double slope = read(sheet, Slope);
        const double variableTerm = Photometry::pogson(variable) - slope * read(sheet, ColourVariable);
        double mv[3];
        for (int k = 0; k < 3; ++k) {
            // Two separate logarithms, as the observers' colour equation is written.
            const double starTerm = Photometry::pogson(a[k]) - slope * read(sheet, colours[k]);
            mv[k] = finite(starTerm - variableTerm + read(sheet, catalogue[k]),
                           Fields::description(estimates[k]));
        }
        const MeanAndError spread = meanAndError(mv);
        const double mean = finite(spread.mean, Fields::description(step));
        write(sheet, step, mean);

        for (int k = 0; k < 3; ++k) {
            step = estimates[k];
            write(sheet, step, mv[k]);
        }

        step = CalibratedError;
        write(sheet, step, finite(spread.error, Fields::description(step)));

        const char *temperatures[][2] = {
            {ColourC1, TemperatureC1}, {ColourC2, TemperatureC2}, {ColourC3, TemperatureC3},
            {ColourVariable, TemperatureVariable}};
        for (const auto &[colour, result] : temperatures) {
            step = result;
            write(sheet, step,
                  finite(temperature(read(sheet, colour)), Fields::description(step)));
        }
    } catch (const Stop &stop) {
        report(messages, stoppedAt(step), stop);
    }
}

} // namespace ColourCalibration

#include "variablecolour.h"

#include "colourtemperature.h"
#include "core/computation.h"
#include "core/names.h"

using namespace Computation;

namespace ColourCalibration {

void variableColourIndex(Sheet &sheet, Messages &messages)
{
    warnEmpty(sheet, messages, {Field::TypedTemperature}, TemperatureWarning);
    try {
        const double t = read(sheet, Field::TypedTemperature);
        if (!(t > 0)) {
            // An empty field has just been warned about; one message is enough.
            if (sheet.text(Field::TypedTemperature).isEmpty())
                return;
            throw Stop{QStringLiteral("La temperatura della variabile deve essere un numero "
                                      "maggiore di zero (in Kelvin).")};
        }
        write(sheet, Field::ColourVariable, colourIndex(t));
    } catch (const Stop &stop) {
        report(messages, QStringLiteral("B-V Variabile: la casella \"(B-V) Var.\" non è stata "
                                        "scritta."),
               stop);
    }
}

} // namespace ColourCalibration

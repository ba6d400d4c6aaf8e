#include "computation.h"

#include "fields.h"
#include "numberrules.h"

#include <cmath>

namespace Computation {

double read(const Sheet &sheet, const QString &field)
{
    if (const auto value = NumberRules::read(sheet.text(field)))
        return *value;
    throw Stop{QStringLiteral("Il numero nella casella \"%1\" è troppo grande per essere letto.")
                   .arg(Fields::description(field))};
}

double finite(double value, const QString &what)
{
    if (!std::isfinite(value))
        throw Stop{QStringLiteral("Il risultato \"%1\" è fuori dall'intervallo dei numeri "
                                  "che il programma può rappresentare.")
                       .arg(what)};
    return value;
}

void write(Sheet &sheet, const QString &field, double value)
{
    sheet.setText(field, NumberRules::write(value));
}

void warnEmpty(const Sheet &sheet, Messages &messages,
               std::initializer_list<const char *> fields, const QString &warning)
{
    for (const char *field : fields) {
        if (sheet.text(QLatin1String(field)).isEmpty())
            messages.show(AppTitle, MessageIcon::None, warning);
    }
}

MeanAndError meanAndError(const double (&estimates)[3])
{
    const double mean = (estimates[0] + estimates[1] + estimates[2]) / 3;
    const double d0 = mean - estimates[0], d1 = mean - estimates[1], d2 = mean - estimates[2];
    return {mean, std::sqrt((d0 * d0 + d1 * d1 + d2 * d2) * 0.5)};
}

QString stopHeadline(const QString &stoppedAt, bool firstStep, const QString &nothing,
                     const QString &earlierWritten)
{
    return stoppedAt + (firstStep ? nothing : earlierWritten);
}

void report(Messages &messages, const QString &headline, const Stop &stop)
{
    messages.show(AppTitle, MessageIcon::Critical, headline + QStringLiteral("\n\n") + stop.reason);
}

} // namespace Computation

#include "pogson.h"

#include "core/computation.h"

#include <cmath>

namespace Photometry {

double pogson(double a)
{
    return 2.5 * std::log(a) / std::log(10.0);
}

double ratioTerm(double count, double variableCount, const QString &star)
{
    const double ratio = count / variableCount;
    if (!(ratio > 0) || !std::isfinite(ratio))
        throw Computation::Stop{
            QStringLiteral("Il rapporto tra il conteggio ADU di %1 e quello della stella variabile "
                           "non è un numero positivo: i conteggi ADU devono essere numeri "
                           "maggiori di zero.")
                .arg(star)};
    return pogson(ratio);
}

} // namespace Photometry

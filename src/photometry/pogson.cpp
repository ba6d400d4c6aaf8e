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
    if (ratio > 0 && std::isfinite(ratio))
        return pogson(ratio);
    const QString ratioOf = QStringLiteral("Il rapporto tra il conteggio ADU di %1 e quello della "
                                           "stella variabile ").arg(star);
    // Two counts of one sign give a positive ratio, unless it is too large
    // or too small for a double.
    if ((count > 0 && variableCount > 0) || (count < 0 && variableCount < 0))
        throw Computation::Stop{ratioOf + QStringLiteral(
            "è fuori dall'intervallo dei numeri che il programma può rappresentare: i due "
            "conteggi sono troppo diversi.")};
    throw Computation::Stop{ratioOf + QStringLiteral(
        "non è un numero positivo: i conteggi ADU devono essere numeri maggiori di zero.")};
}

} // namespace Photometry

#include "checkstar.h"

#include "magnitude.h"
#include "core/mapsheet.h"
#include "core/names.h"
#include "core/numberrules.h"

namespace Photometry {

CheckMagnitude checkMagnitude(const QString &counts, const QStringList &comparisonCounts,
                              const QStringList &catalogue)
{
    using namespace Field;
    MapSheet sheet({{AduVariable, counts},
                    {AduC1, comparisonCounts.value(0)},
                    {AduC2, comparisonCounts.value(1)},
                    {AduC3, comparisonCounts.value(2)},
                    {MagnitudeC1, catalogue.value(0)},
                    {MagnitudeC2, catalogue.value(1)},
                    {MagnitudeC3, catalogue.value(2)}});
    FirstMessage said;
    magnitude(sheet, said);
    if (!said.first.isEmpty())
        return {std::nullopt, said.first};
    return {NumberRules::read(sheet.text(MagnitudeVariable)), QString()};
}

} // namespace Photometry

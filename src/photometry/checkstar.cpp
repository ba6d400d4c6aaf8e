#include "checkstar.h"

#include "magnitude.h"
#include "core/mapsheet.h"
#include "core/names.h"
#include "core/numberrules.h"

namespace Photometry {

namespace {

// Keeps the command's first word to the user instead of showing it.
class FirstMessage : public Messages
{
public:
    void show(const QString &, MessageIcon, const QString &text) override
    {
        if (first.isEmpty())
            first = text;
    }
    QString first;
};

} // namespace

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

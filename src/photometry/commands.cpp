#include "commands.h"

#include "magnitude.h"
#include "ratio.h"
#include "resets.h"

namespace Photometry {

CommandTable commands()
{
    return {
        {QStringLiteral("Command1"), magnitude},
        {QStringLiteral("Command3"), magnitudeRatio},
        {QStringLiteral("Command2"), resetAll},
        {QStringLiteral("Command4"), resetCounts},
        {QStringLiteral("Command52"), resetParticulars},
    };
}

} // namespace Photometry

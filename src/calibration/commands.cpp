#include "commands.h"

#include "calibratedmagnitude.h"
#include "conversions.h"
#include "variablecolour.h"

namespace Calibration {

CommandTable commands()
{
    return {
        {QStringLiteral("Command69"), calibratedMagnitude},
        {QStringLiteral("Command70"), variableColourIndex},
        {QStringLiteral("Command10"), convertToB},
        {QStringLiteral("Command9"), convertToR},
    };
}

} // namespace Calibration

#include "commands.h"

#include "calibratedmagnitude.h"
#include "conversions.h"
#include "variablecolour.h"
#include "core/names.h"

namespace ColourCalibration {

CommandTable commands()
{
    return {
        {Button::CalibratedMagnitude, calibratedMagnitude},
        {Button::VariableColour, variableColourIndex},
        {Button::ConvertToB, convertToB},
        {Button::ConvertToR, convertToR},
    };
}

} // namespace ColourCalibration

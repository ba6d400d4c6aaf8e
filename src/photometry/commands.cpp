#include "commands.h"

#include "magnitude.h"
#include "ratio.h"
#include "resets.h"
#include "core/names.h"

namespace Photometry {

CommandTable commands()
{
    return {
        {Button::Magnitude, magnitude},
        {Button::MagnitudeRatio, magnitudeRatio},
        {Button::ResetAll, resetAll},
        {Button::ResetCounts, resetCounts},
        {Button::ResetParticulars, resetParticulars},
    };
}

} // namespace Photometry

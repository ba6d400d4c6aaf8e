#pragma once

#include "core/sheet.h"

namespace ColourCalibration {

// "MAGNITUDINE CALIBRATA": the colour-corrected magnitude of the variable
// against C1, C2, C3, their mean and error, and the four colour temperatures.
void calibratedMagnitude(Sheet &sheet, Messages &messages);

} // namespace ColourCalibration

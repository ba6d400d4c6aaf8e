#pragma once

#include "core/sheet.h"

namespace ColourCalibration {

// The V magnitudes of C1, C2, C3 turned in place into B: V + (B-V).
void convertToB(Sheet &sheet, Messages &messages);

// The V magnitudes of C1, C2, C3 turned in place into R: V − (0.508 × (B-V) + 0.04).
void convertToR(Sheet &sheet, Messages &messages);

} // namespace ColourCalibration

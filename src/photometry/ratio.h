#pragma once

#include "core/sheet.h"

namespace Photometry {

// "RAPPORTO MAGNITUDINE": the instrumental magnitude difference between the
// variable and each star, from the counts alone, into the "Rap. Mag." row.
void magnitudeRatio(Sheet &sheet, Messages &messages);

} // namespace Photometry

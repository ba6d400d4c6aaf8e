#pragma once

#include "core/sheet.h"

namespace Photometry {

// "MAGNITUDINE": the variable against C1, C2, C3, their mean and its error.
void magnitude(Sheet &sheet, Messages &messages);

inline const QString MagnitudeWarning = QStringLiteral(
    "Per una corretta magnituudine è bene inserire sempre una valore su tutte le caselle di "
    "testo MAGNITUDINE.");

} // namespace Photometry

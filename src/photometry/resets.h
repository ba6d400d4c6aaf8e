#pragma once

#include "core/sheet.h"

namespace Photometry {

// "reset tot.": every field but the typed temperature and the report file name.
void resetAll(Sheet &sheet, Messages &messages);

// "reset adu": the counts and every result computed from them.
void resetCounts(Sheet &sheet, Messages &messages);

// "reset dati ": the particulars of the observation.
void resetParticulars(Sheet &sheet, Messages &messages);

} // namespace Photometry

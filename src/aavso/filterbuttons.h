#pragma once

#include "core/commandtable.h"

// The filter buttons: each replaces the whole text of "Filtro:" (Text22)
// with its own letters; the field stays free text for any other filter.
namespace Aavso::Filters {

CommandTable commands();

} // namespace Aavso::Filters

#pragma once

#include "sheet/commandtable.h"

// The filter buttons: each replaces the whole text of "Filtro:" (Text22)
// with its own letters; the field stays free text for any other filter.
namespace SheetCommands {

CommandTable commands();

} // namespace SheetCommands

#pragma once

#include "sheet/commandtable.h"

// The filter buttons: each replaces the whole text of "Filtro:" (Text22)
// with its own letters; the field stays free text for any other filter.
namespace SheetCommands {

void filterI(Sheet &sheet, Messages &messages);
void filterR(Sheet &sheet, Messages &messages);
void filterV(Sheet &sheet, Messages &messages);
void filterB(Sheet &sheet, Messages &messages);
void filterUV(Sheet &sheet, Messages &messages);

CommandTable commands();

} // namespace SheetCommands

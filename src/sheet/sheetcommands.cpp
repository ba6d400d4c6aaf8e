#include "sheetcommands.h"

namespace SheetCommands {

namespace {
const QString FilterField = QStringLiteral("Text22");
}

void filterI(Sheet &sheet, Messages &)
{
    sheet.setText(FilterField, QStringLiteral("I"));
}

void filterR(Sheet &sheet, Messages &)
{
    sheet.setText(FilterField, QStringLiteral("R"));
}

void filterV(Sheet &sheet, Messages &)
{
    sheet.setText(FilterField, QStringLiteral("V"));
}

void filterB(Sheet &sheet, Messages &)
{
    sheet.setText(FilterField, QStringLiteral("B"));
}

void filterUV(Sheet &sheet, Messages &)
{
    sheet.setText(FilterField, QStringLiteral("UV"));
}

CommandTable commands()
{
    return {
        {QStringLiteral("Command6"), filterI},
        {QStringLiteral("Command7"), filterR},
        {QStringLiteral("Command5"), filterV},
        {QStringLiteral("Command50"), filterB},
        {QStringLiteral("Command51"), filterUV},
    };
}

} // namespace SheetCommands

#include "resets.h"

namespace Photometry {

namespace {

void clear(Sheet &sheet, int first, int last)
{
    for (int i = first; i <= last; ++i)
        sheet.setText(QStringLiteral("Text%1").arg(i), QString());
}

} // namespace

void resetAll(Sheet &sheet, Messages &)
{
    clear(sheet, 1, 16);
    clear(sheet, 23, 32);
    clear(sheet, 17, 22);
    clear(sheet, 33, 36);
}

void resetCounts(Sheet &sheet, Messages &)
{
    clear(sheet, 1, 4);
    clear(sheet, 8, 16);
    clear(sheet, 28, 32);
}

void resetParticulars(Sheet &sheet, Messages &)
{
    clear(sheet, 17, 22);
}

} // namespace Photometry

#include "resets.h"

#include "core/names.h"

namespace Photometry {

namespace {

void clear(Sheet &sheet, std::initializer_list<const char *> fields)
{
    for (const char *field : fields)
        sheet.setText(QLatin1String(field), QString());
}

const std::initializer_list<const char *> Particulars = {
    Field::Date, Field::JulianDate, Field::Author, Field::Object, Field::Notes, Field::Filter};

} // namespace

void resetAll(Sheet &sheet, Messages &)
{
    using namespace Field;
    clear(sheet, {AduC1, AduC2, AduC3, AduVariable, MagnitudeC1, MagnitudeC2, MagnitudeC3,
                  RatioC2, RatioC1, RatioC3, MagnitudeVariable, MagnitudeWithC1, MagnitudeWithC2,
                  MagnitudeWithC3, MagnitudeError, RatioVariable,
                  ColourC1, ColourC2, ColourC3, ColourVariable, Slope, Calibrated, CalibratedError,
                  CalibratedWithC1, CalibratedWithC2, CalibratedWithC3});
    clear(sheet, Particulars);
    clear(sheet, {TemperatureC1, TemperatureC2, TemperatureC3, TemperatureVariable});
}

void resetCounts(Sheet &sheet, Messages &)
{
    using namespace Field;
    clear(sheet, {AduC1, AduC2, AduC3, AduVariable, RatioC2, RatioC1, RatioC3, MagnitudeVariable,
                  MagnitudeWithC1, MagnitudeWithC2, MagnitudeWithC3, MagnitudeError, RatioVariable,
                  Calibrated, CalibratedError, CalibratedWithC1, CalibratedWithC2,
                  CalibratedWithC3});
}

void resetParticulars(Sheet &sheet, Messages &)
{
    clear(sheet, Particulars);
}

} // namespace Photometry

#include "report.h"

#include "drivepath.h"
#include "valuefile.h"
#include "core/names.h"

namespace Files {

QString reportLine(const Sheet &sheet)
{
    const QString slash = sheet.caption(Label::Separator);
    const auto pair = [&sheet](const char *label, const char *field) {
        return sheet.caption(QLatin1String(label)) + sheet.text(QLatin1String(field));
    };
    return pair(Label::Object, Field::Object) + slash
         + pair(Label::MagnitudeRow, Field::MagnitudeVariable) + slash
         + pair(Label::MagnitudeError, Field::MagnitudeError) + slash
         + pair(Label::Notes, Field::Notes) + slash
         + pair(Label::Date, Field::Date) + slash
         + pair(Label::JulianDate, Field::JulianDate) + slash
         + pair(Label::Author, Field::Author) + slash
         + pair(Label::Filter, Field::Filter) + slash
         + sheet.caption(Label::Calibration) + pair(Label::Calibrated, Field::Calibrated) + slash
         + pair(Label::CalibratedError, Field::CalibratedError);
}

void saveReport(const Sheet &sheet, Messages &messages, const QString &dataFolder)
{
    saveLine(messages, localPath(dataFolder, sheet.text(Field::ReportFile)), reportLine(sheet),
             ReportSaved);
}

} // namespace Files

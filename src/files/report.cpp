#include "report.h"

#include "drivepath.h"
#include "textfile.h"
#include "valuefile.h"

namespace Files {

QString reportLine(const Sheet &sheet)
{
    const QString slash = sheet.caption(QStringLiteral("Label29"));
    const auto pair = [&sheet](const char *label, const char *field) {
        return sheet.caption(QLatin1String(label)) + sheet.text(QLatin1String(field));
    };
    return pair("Label9", "Text20") + slash
         + pair("Label6", "Text11") + slash
         + pair("Label8", "Text15") + slash
         + pair("Label10", "Text21") + slash
         + pair("Label2", "Text17") + slash
         + pair("Label3", "Text18") + slash
         + pair("Label4", "Text19") + slash
         + pair("Label18", "Text22") + slash
         + sheet.caption(QStringLiteral("Label11")) + pair("Label24", "Text28") + slash
         + pair("Label25", "Text29");
}

void saveReport(const Sheet &sheet, Messages &messages, const QString &dataFolder)
{
    const QString name = sheet.text(QStringLiteral("NomeFile"));
    if (writeLine(localPath(dataFolder, name), reportLine(sheet)))
        messages.show(SaveTitle, MessageIcon::Information, ReportSaved);
    else
        messages.show(SaveTitle, MessageIcon::Critical, SaveFailed);
}

} // namespace Files

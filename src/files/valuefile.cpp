#include "valuefile.h"

#include "textfile.h"

namespace Files {

void saveValue(const Sheet &sheet, Messages &messages, const QString &field,
               const QString &path, const QString &success)
{
    if (writeLine(path, sheet.text(field)))
        messages.show(SaveTitle, MessageIcon::Information, success);
    else
        messages.show(SaveTitle, MessageIcon::Critical, SaveFailed);
}

void loadValue(Sheet &sheet, Messages &messages, const QString &field, const QString &path)
{
    const Lines lines = readLines(path);
    if (!lines.ok) {
        messages.show(LoadTitle, MessageIcon::Warning,
                      lines.problem + QStringLiteral(" La casella non è stata modificata."));
        return;
    }
    if (!lines.text.isEmpty())
        sheet.setText(field, lines.text);
}

} // namespace Files

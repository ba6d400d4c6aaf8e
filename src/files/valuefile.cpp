#include "valuefile.h"

#include "textfile.h"

namespace Files {

void saveLine(Messages &messages, const QString &path, const QString &text,
              const QString &success)
{
    if (writeLine(path, text))
        messages.show(SaveTitle, MessageIcon::Information, success);
    else
        messages.show(SaveTitle, MessageIcon::Critical, SaveFailed);
}

void saveValue(const Sheet &sheet, Messages &messages, const QString &field,
               const QString &path, const QString &success)
{
    saveLine(messages, path, sheet.text(field), success);
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

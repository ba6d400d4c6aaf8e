#include "sheetcommands.h"

namespace SheetCommands {

CommandTable commands()
{
    const QPair<const char *, const char *> filters[] = {
        {"Command6", "I"}, {"Command7", "R"}, {"Command5", "V"}, {"Command50", "B"}, {"Command51", "UV"}};
    CommandTable table;
    for (const auto &[button, letters] : filters) {
        table.append({QLatin1String(button), [filter = QString::fromLatin1(letters)](Sheet &sheet, Messages &) {
                          sheet.setText(QStringLiteral("Text22"), filter);
                      }});
    }
    return table;
}

} // namespace SheetCommands

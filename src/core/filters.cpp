#include "filters.h"

namespace Filters {

CommandTable commands()
{
    const QPair<const char *, const char *> filters[] = {
        {"Command6", "I"}, {"Command7", "R"}, {"Command5", "V"}, {"Command50", "B"}, {"Command51", "UV"}};
    CommandTable table;
    for (const auto &[button, letters] : filters) {
        table.append({QLatin1String(button), [filter = QString::fromLatin1(letters)](const Context &c) {
                          c.sheet.setText(QStringLiteral("Text22"), filter);
                      }});
    }
    return table;
}

} // namespace Filters

#include "filters.h"
#include "core/names.h"

namespace Filters {

CommandTable commands()
{
    const QPair<const char *, const char *> filters[] = {
        {Button::FilterI, "I"}, {Button::FilterR, "R"}, {Button::FilterV, "V"},
        {Button::FilterB, "B"}, {Button::FilterUV, "UV"}};
    CommandTable table;
    for (const auto &[button, letters] : filters) {
        const QString filter = QString::fromLatin1(letters);
        table.append({QLatin1String(button),
                      [filter](const Context &c) { c.sheet.setText(Field::Filter, filter); }});
    }
    return table;
}

} // namespace Filters

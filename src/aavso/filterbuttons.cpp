#include "filterbuttons.h"

#include "bands.h"
#include "core/names.h"

namespace Aavso::Filters {

CommandTable commands()
{
    CommandTable table;
    for (const Bands::Band &band : Bands::all()) {
        if (!band.button)
            continue;
        table.append({QLatin1String(band.button), [caption = QString::fromLatin1(band.caption)](const Context &c) {
                          c.sheet.setText(Field::Filter, caption);
                      }});
    }
    return table;
}

} // namespace Aavso::Filters

#include "aavsomenu.h"

#include "aavso/export.h"

namespace AavsoMenu {

void exportMeasurement(const Context &c)
{
    const QString path = Aavso::askLog(c);
    if (path.isEmpty())
        return;
    if (Aavso::exportToLog(c.sheet, c.messages, path, Aavso::recall(c.settings)))
        Aavso::rememberLog(c.settings, path);
}

} // namespace AavsoMenu

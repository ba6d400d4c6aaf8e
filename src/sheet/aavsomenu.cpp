#include "aavsomenu.h"

#include "aavso/log.h"
#include "aavso/logchoice.h"

namespace AavsoMenu {

void exportMeasurement(const Context &c)
{
    const QString path = AavsoLog::askLog(c);
    if (path.isEmpty())
        return;
    if (Aavso::exportToLog(c.sheet, c.messages, path, Aavso::recall(c.settings)))
        AavsoLog::rememberLog(c.settings, path);
}

} // namespace AavsoMenu

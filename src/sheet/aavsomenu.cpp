#include "aavsomenu.h"

#include "aavso/export.h"
#include "files/drivepath.h"

namespace AavsoMenu {

void exportMeasurement(const Context &c)
{
    QString start = Aavso::lastLog(c.settings);
    if (start.isEmpty())
        start = Files::localPath(c.dataFolder, QStringLiteral("C:\\aavso.txt"));
    // The log is added to, never replaced: no question about overwriting.
    const QString path = c.dialogs.saveFile(Aavso::Title, start, Aavso::logFilter(), true);
    if (path.isEmpty())
        return;
    if (Aavso::exportToLog(c.sheet, c.messages, path, Aavso::recall(c.settings)))
        Aavso::rememberLog(c.settings, path);
}

} // namespace AavsoMenu

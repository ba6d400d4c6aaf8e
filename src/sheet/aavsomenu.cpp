#include "aavsomenu.h"

#include "aavso/export.h"
#include "files/drivepath.h"

namespace AavsoMenu {

namespace {

// The save dialog's file types: the endings a log may have.
QString logFilter()
{
    QStringList patterns;
    for (const QString &suffix : Aavso::LogSuffixes)
        patterns << QStringLiteral("*.") + suffix;
    return QStringLiteral("File AAVSO (%1)").arg(patterns.join(QLatin1Char(' ')));
}

} // namespace

void exportMeasurement(const Context &c)
{
    QString start = Aavso::lastLog(c.settings);
    if (start.isEmpty())
        start = Files::localPath(c.dataFolder, QStringLiteral("C:\\aavso.txt"));
    // The log is added to, never replaced: no question about overwriting.
    const QString path = c.dialogs.saveFile(Aavso::Title, start, logFilter(), true);
    if (path.isEmpty())
        return;
    if (Aavso::exportToLog(c.sheet, c.messages, path, Aavso::recall(c.settings)))
        Aavso::rememberLog(c.settings, path);
}

} // namespace AavsoMenu

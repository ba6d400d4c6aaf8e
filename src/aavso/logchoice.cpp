#include "logchoice.h"

#include "aavso/log.h"
#include "files/drivepath.h"

namespace AavsoLog {

QString logFilter()
{
    QStringList patterns;
    for (const QString &suffix : Aavso::LogSuffixes)
        patterns << QStringLiteral("*.") + suffix;
    return QStringLiteral("File AAVSO (%1)").arg(patterns.join(QLatin1Char(' ')));
}

namespace {

const QString LastLogKey = QStringLiteral("aavso/lastFile");

} // namespace

QString lastLog(const Settings &settings)
{
    return settings.value(LastLogKey);
}

void rememberLog(Settings &settings, const QString &path)
{
    settings.setValue(LastLogKey, path);
}

QString askLog(const Services &services)
{
    QString start = lastLog(services.settings);
    if (start.isEmpty())
        start = Files::localPath(services.dataFolder, QStringLiteral("C:\\aavso.txt"));
    // The log is added to, never replaced: no question about overwriting.
    return services.dialogs.saveFile(Aavso::Title, start, logFilter(), true);
}

} // namespace AavsoLog

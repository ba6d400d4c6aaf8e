#include "drivepath.h"

#include <QDir>

namespace Files {

namespace {

bool hasDriveLetter(const QString &name)
{
    return name.size() >= 2 && name[1] == QLatin1Char(':') && name[0].isLetter()
        && name[0].unicode() < 128;
}

} // namespace

QString localPath(const QString &dataFolder, const QString &name)
{
    if (!hasDriveLetter(name))
        return name;

    const QChar letter = name[0].toLower();
    const QString root = dataFolder + QStringLiteral("/vevurid/drive_") + letter;
    if (letter == QLatin1Char('c'))
        QDir().mkpath(root);

    // Backslashes are folder separators, and ".." stops at the drive's root
    // as it does on Windows.
    QString rest = name.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList inDrive;
    for (const QString &part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String(".."))
            inDrive.append(part);
        else if (!inDrive.isEmpty())
            inDrive.removeLast();
    }
    return inDrive.isEmpty() ? root : root + QLatin1Char('/') + inDrive.join(QLatin1Char('/'));
}

} // namespace Files

#include "cache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AavsoWeb::Cache {

QString folder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (base.isEmpty())
        return QString();
    const QString path = base + QStringLiteral("/aavso");
    return QDir().mkpath(path) ? path : QString();
}

QString pathFor(const QString &key, const QString &suffix)
{
    const QString in = folder();
    if (in.isEmpty())
        return QString();
    // A star's name may hold any character: the file is named by a digest.
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return in + QLatin1Char('/') + QString::fromLatin1(digest) + QLatin1Char('.') + suffix;
}

QString savedOn(const QString &path)
{
    return QFileInfo(path).lastModified().toString(QStringLiteral("dd/MM/yyyy hh:mm"));
}

} // namespace AavsoWeb::Cache

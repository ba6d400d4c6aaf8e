#pragma once
// The AAVSO Extended rules, written down apart from the code that writes the
// log: the six parameters before the first record, 15 fields a record, the
// field limits, "na" for what is missing, the band table's codes, no blank
// line.

#include "aavso/bands.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Empty when `bytes` is a valid AAVSO Extended file with "," and JD;
// otherwise the first fault found.
inline QString aavsoFault(const QByteArray &bytes)
{
    const QStringList filters = Bands::exportedCodes();
    QHash<QByteArray, QByteArray> parameters;
    QList<QByteArray> lines = (bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes).split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('#')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0)
                parameters.insert(line.mid(1, equals - 1).toUpper(), line.mid(equals + 1).toUpper());
            continue;
        }
        if (line.trimmed().isEmpty())
            return QStringLiteral("blank line");
        if (parameters.value("TYPE") != "EXTENDED" || parameters.value("DELIM") != ","
            || parameters.value("DATE") != "JD" || !parameters.contains("OBSCODE")
            || !parameters.contains("SOFTWARE") || !parameters.contains("OBSTYPE"))
            return QStringLiteral("record before the six parameters: ") + line;
        const QList<QByteArray> f = line.split(',');
        if (f.size() != 15)
            return QStringLiteral("%1 fields: ").arg(f.size()) + line;
        if (f.contains(QByteArray()))
            return QStringLiteral("empty field, not na: ") + line;
        bool isDate = false;
        f[1].toDouble(&isDate);
        if (f[0].size() > 30 || f[1].size() > 16 || !isDate || f[2].size() > 8
            || !f[2].contains('.') || f[3].size() > 6 || !filters.contains(QString::fromLatin1(f[4])))
            return QStringLiteral("field out of its limits: ") + line;
    }
    return QString();
}

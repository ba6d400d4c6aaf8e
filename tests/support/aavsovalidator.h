#pragma once
// The AAVSO Extended rules, written down apart from the code that writes the
// log: the six parameters before the first record, 15 fields a record, the
// field limits, "na" for what is missing, the band table's codes, no blank
// line, printable ASCII alone. CR LF, LF and a lone CR each end a line.

#include "aavso/bands.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>

// Empty when `bytes` is a valid AAVSO Extended file with "," and JD;
// otherwise the first fault found.
inline QString aavsoFault(const QByteArray &bytes)
{
    const QStringList filters = Aavso::Bands::exportedCodes();
    QHash<QByteArray, QByteArray> parameters;
    QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QList<QByteArray> lines = text.replace("\r\n", "\n").replace('\r', '\n').split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (const QByteArray &line : lines) {
        if (std::any_of(line.cbegin(), line.cend(), [](char c) { return c < ' ' || c > '~'; }))
            return QStringLiteral("not printable ASCII: ") + QString::fromLatin1(line);
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

#pragma once
// What a benchmark reads of its own memory.

#include <QFile>

#include <cstring>

// The resident set now ("VmRSS:") or at its highest since the last reset
// ("VmHWM:"), in bytes.
inline double resident(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field)) + 1).trimmed().split(' ').value(0).toDouble() * 1024;
    }
    return 0;
}

inline void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

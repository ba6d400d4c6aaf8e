#pragma once
// Where the benchmarks keep the files they generate and read: the folder
// VEVURID_BENCH_FILES names, where bench/peers.py reads the same files with
// the other programs, or else a temporary one.

#include <QDir>
#include <QTemporaryDir>

inline QString benchFile(const QString &name)
{
    static const QTemporaryDir temporary;
    const QString kept = qEnvironmentVariable("VEVURID_BENCH_FILES");
    return kept.isEmpty() ? temporary.filePath(name) : QDir(kept).filePath(name);
}

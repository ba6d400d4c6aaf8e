#pragma once
// The AAVSO log: each measurement on the sheet becomes one record of the
// AAVSO Extended format, added to a file that collects a night's or a
// season's measurements and is uploaded to the AAVSO as it is. The log is
// only ever added to, and replaced whole, so a failure leaves it as it was.

#include "core/sheet.h"

#include <QByteArray>

namespace Aavso {

inline const QString Title = QStringLiteral("Esporta AAVSO");

// A log this large is refused before it is read.
constexpr qint64 MaxLogSize = qint64(256) * 1024 * 1024;

struct Record
{
    QString problem;    // when not empty: why the sheet cannot be exported, for the user
    QByteArray obsCode;
    QByteArray line;    // the 15 fields, without line end
    // What makes two records the same observation.
    QByteArray star;
    qint64 jdKey = 0;   // the JD in units of its fifth decimal
    QByteArray filter;
};

// The record of the measurement now on the sheet, or the first reason it
// cannot be one.
Record record(const Sheet &sheet);

struct Addition
{
    QString problem;            // when not empty: why, with %1 for the file's name
    QByteArray bytes;           // what goes after the log's present content
    qsizetype observations = 0; // the records in the log once `bytes` are in
};

// What appending `record` to a log holding `log` adds: the header as well
// when the log is empty. A log that is not AAVSO Extended with "," and JD, or
// that holds the same observation already, is refused.
Addition append(const QByteArray &log, const Record &record);

// Adds the sheet's measurement to the log at `path` and says how it went in
// one message. True when the record was added.
bool exportToLog(const Sheet &sheet, Messages &messages, const QString &path);

// The log written to last, kept in the user's settings: the next export and
// the light curve start there. Empty before the first export.
QString lastLog(const Settings &settings);
void rememberLog(Settings &settings, const QString &path);

} // namespace Aavso

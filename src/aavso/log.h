#pragma once
// The AAVSO log: a file that collects a night's or a season's records and
// is uploaded to the AAVSO as it is. It is only ever added to, under its
// lock, after reading it again, and replaced whole, so a failure leaves it
// as it was. The log is read through the light curve's own scanner
// (extended.h), so what the export adds to is what the light curve reads.

#include "extendedwriter.h"

#include "core/commandtable.h"
#include "core/sheet.h"

#include <QByteArrayView>
#include <QList>
#include <QStringList>

#include <functional>

namespace Aavso {

// The title of every message about the log.
inline const QString Title = QStringLiteral("Esporta AAVSO");

// A log this large is refused before it is read.
constexpr qint64 MaxLogSize = qint64(256) * 1024 * 1024;

// How a log's name may end, in any letter case: what the AAVSO's upload takes.
inline const QStringList LogSuffixes = {QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("tsv")};

// Why nothing was added, or what was; %1 is the file's name, except in
// LogSuffixNeeded.
inline const QString LogSuffixNeeded = QStringLiteral(
    "Il nome del file deve finire con .txt, .csv o .tsv: l'osservazione non è stata esportata.");
inline const QString NotAFile = QStringLiteral("%1 non è un file: l'osservazione non è stata esportata.");
inline const QString TooLarge = QStringLiteral(
    "Il file %1 supera 256 MiB: l'osservazione non è stata esportata.");
inline const QString Unreadable = QStringLiteral(
    "Il file %1 non può essere letto: l'osservazione non è stata esportata.");
inline const QString LogBusy = QStringLiteral(
    "Il file %1 è in uso da un'altra esportazione: l'osservazione non è stata esportata. "
    "Riprovare fra poco.");
inline const QString NotExtended = QStringLiteral(
    "Il file %1 non è un file AAVSO Extended (manca la riga #TYPE=EXTENDED): "
    "l'osservazione non è stata aggiunta.");
inline const QString NotComma = QStringLiteral(
    "Il file %1 non separa i campi con la virgola (#DELIM=,): l'osservazione non è stata "
    "aggiunta.");
inline const QString NotJd = QStringLiteral(
    "Il file %1 non ha le date in JD (#DATE=JD): l'osservazione non è stata aggiunta.");
inline const QString Duplicate = QStringLiteral(
    "Il file %1 contiene già un'osservazione della stessa stella con lo stesso JD e lo "
    "stesso filtro: l'osservazione non è stata aggiunta di nuovo.");
inline const QString WriteFailed = QStringLiteral(
    "Esportazione non riuscita: il file %1 non è stato modificato.");
// %2: the records in the file now.
inline const QString Added = QStringLiteral("Osservazione aggiunta a %1 (osservazioni nel file: %2).");

// %2: the records added, %3: those the log held already.
inline const QString SeriesAdded = QStringLiteral("Osservazioni aggiunte a %1: %2 (già presenti: %3).");

// Adds the sheet's measurement to the log at `path` and says how it went in
// one message. True when the record was added.
bool exportToLog(const Sheet &sheet, Messages &messages, const QString &path,
                 const std::optional<ImageMeasurement> &image = std::nullopt);

// Adds every record of a series of images to the log at `path` at once, and
// says in one message how many were added and how many it held already.
bool exportSeries(const QList<Record> &records, Messages &messages, const QString &path);

// The records of one observation through several filters, made from the log
// as it is while its lock is held (their GROUP is one it does not use yet);
// none, and `problem`, when they cannot be made.
using GroupRecords = std::function<QList<Record>(QByteArrayView log, QString &problem)>;

// Adds the records `make` gives to the log at `path` in one transaction, and
// says in one message, as exportSeries does, how it went.
bool exportGroup(const GroupRecords &make, Messages &messages, const QString &path);

} // namespace Aavso

#pragma once
// The AAVSO log: each measurement on the sheet becomes one record of the
// AAVSO Extended format, added to a file that collects a night's or a
// season's measurements and is uploaded to the AAVSO as it is. The log is
// only ever added to, and replaced whole, so a failure leaves it as it was.
// The log is read through the light curve's own scanner (extended.h), so
// what the export adds to is what the light curve reads.

#include "imagemeasurement.h"
#include "vocabulary.h"

#include "core/commandtable.h"
#include "core/sheet.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace Aavso {

inline const QString Title = QStringLiteral("Esporta AAVSO");

// A log this large is refused before it is read.
constexpr qint64 MaxLogSize = qint64(256) * 1024 * 1024;

// How a log's name may end, in any letter case: what the AAVSO's upload takes.
inline const QStringList LogSuffixes = {QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("tsv")};

// A file dialog's type of AAVSO files: "File AAVSO (*.txt *.csv *.tsv)".
QString logFilter();

// What the export tells the user. %1 is a box's description (Fields) or the
// file's name, as each says.
inline const QString Delimiter = QStringLiteral(
    "La casella \"%1\" contiene una virgola o un a capo, che il formato AAVSO non ammette "
    "in un campo (la virgola separa i campi). Toglierli prima di esportare.");
inline const QString ControlCharacter = QStringLiteral(
    "La casella \"%1\" contiene un carattere di controllo o invisibile, che il formato AAVSO "
    "non ammette. Riscriverne il testo prima di esportare.");
// %2: the character.
inline const QString NotAscii = QStringLiteral(
    "La casella \"%1\" contiene il carattere \"%2\", che il formato AAVSO non ammette: i record "
    "AAVSO si scrivono in ASCII (le lettere accentate vi perdono l'accento).");
inline const QString SubFieldSeparator = QStringLiteral(
    "La casella \"%1\" contiene \"|\", che nel formato AAVSO separa le parti delle note. "
    "Toglierlo prima di esportare.");
inline const QString FormulaStart = QStringLiteral(
    "Il testo in \"%1\" non può cominciare con =, +, - o @: un foglio di calcolo che apre il "
    "file lo prenderebbe per una formula.");
inline const QString StarMissing = QStringLiteral("Scrivere in \"Oggetto:\" il nome della stella.");
inline const QString StarTooLong = QStringLiteral(
    "Il nome in \"Oggetto:\" supera i 30 caratteri che il formato AAVSO ammette.");
// %1: the box; %2: the most characters.
inline const QString TooLongFor = QStringLiteral(
    "Il testo in \"%1\" supera i %2 caratteri che il formato AAVSO ammette.");
inline const QString StarComment = QStringLiteral(
    "Il nome in \"Oggetto:\" non può cominciare con \"#\": nel formato AAVSO la riga diventerebbe "
    "un commento.");
// %2: the box's text.
inline const QString NotANumber = QStringLiteral(
    "La casella \"%1\" deve contenere un numero e nient'altro: \"%2\" non lo è.");
inline const QString DateNeeded = QStringLiteral(
    "Scrivere in \"JD:\" la data giuliana completa dell'osservazione, per esempio "
    "2460425.31250 (non la data ridotta 60425.3125).");
inline const QString MagnitudeMissing = QStringLiteral(
    "Calcolare prima la magnitudine con \"MAGNITUDINE\": l'esportazione AAVSO la prende "
    "dalla casella \"Magnitudine\".");
// The range is in already; %3: the box, %4: the magnitude as it would be written.
inline const QString MagnitudeOutOfRange =
    QStringLiteral("La magnitudine %4 in \"%3\" è fuori dall'intervallo da %1 a %2 che il formato "
                   "AAVSO ammette.")
        .arg(Magnitudes.lowest)
        .arg(Magnitudes.highest);
inline const QString ErrorWrong =
    QStringLiteral("L'errore in \"Errore Mag.\" deve essere un numero da %1 a %2, per esempio "
                   "0.012, oppure la casella vuota.")
        .arg(Errors.lowest)
        .arg(Errors.highest);
// %1: the codes.
inline const QString FilterUnknown = QStringLiteral(
    "Scrivere in \"Filtro:\" un codice di filtro AAVSO: %1 (il pulsante \"UV\" vale U).");
inline const QString ObsCodeNeeded = QStringLiteral(
    "L'esportazione AAVSO ha bisogno in \"Autore:\" del codice osservatore AAVSO: "
    "da 1 a 10 lettere e cifre, senza spazi (per esempio ABC).");

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

struct Record
{
    QString problem;    // when not empty: why the sheet cannot be exported, for the user
    QByteArray obsCode;
    QByteArray line;    // the 15 fields, without line end
    // What makes two records the same observation.
    QByteArray starKey; // LightCurve::starKey of the star, which is ASCII
    qint64 jdKey = 0;   // the JD in units of its fifth decimal
    QByteArray filter;
};

// The record of the measurement now on the sheet, or the first reason it
// cannot be one.
// With `image`, the image "Misura su immagine" measured last: while the
// sheet's four counts are still the ones it wrote, the record names the check
// star, its magnitude, the airmass and the chart.
Record record(const Sheet &sheet, const std::optional<ImageMeasurement> &image = std::nullopt);

// %2: the records added, %3: those the log held already.
inline const QString SeriesAdded = QStringLiteral("Osservazioni aggiunte a %1: %2 (già presenti: %3).");

// Adds the sheet's measurement to the log at `path` and says how it went in
// one message. True when the record was added.
bool exportToLog(const Sheet &sheet, Messages &messages, const QString &path,
                 const std::optional<ImageMeasurement> &image = std::nullopt);

// Adds every record of a series of images to the log at `path` at once, and
// says in one message how many were added and how many it held already.
bool exportSeries(const QList<Record> &records, Messages &messages, const QString &path);

// The log written to last, kept in the user's settings: the next export and
// the light curve start there. Empty before the first export.
QString lastLog(const Settings &settings);
void rememberLog(Settings &settings, const QString &path);

// Asks for the log to add to, from the last one, else from C:\aavso.txt.
QString askLog(const Services &services);

} // namespace Aavso

#pragma once
// Writing the AAVSO Extended format: the sheet's measurement as one record,
// in the format's words (vocabulary.h) that the reader (extended.h) reads.

#include "imagemeasurement.h"
#include "vocabulary.h"

#include "core/sheet.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace Aavso {

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

// Why a record cannot be a transformed observation. %1: the most GROUP characters.
inline const QString GroupWrong = QStringLiteral(
    "Il GROUP di un'osservazione trasformata deve essere un numero intero positivo di al più %1 "
    "cifre.");
inline const QString TransformedBox = QStringLiteral("Coefficienti di trasformazione");
// The check star's magnitude as written; the range is in already.
inline const QString CheckOutOfRange =
    QStringLiteral("La magnitudine trasformata %3 della stella di controllo è fuori dall'intervallo da "
                   "%1 a %2 che il formato AAVSO ammette.")
        .arg(Magnitudes.lowest)
        .arg(Magnitudes.highest);
constexpr int MostGroupDigits = 5;

// What the transformation to the standard system changes in a record.
struct Transformation
{
    int group = 0;                        // shared by the records of the filters measured together
    std::optional<double> checkMagnitude; // transformed; KMAG stays as it was without one
    QString notes;                        // the coefficients applied, put before the record's notes
};

// `measured`, built by record() from a sheet holding the transformed
// magnitude and error, as a transformed observation: TRANS YES, the GROUP,
// KMAG when the record names a check star, and the notes. A record with a
// problem is returned as it is.
Record transformedRecord(Record measured, const Transformation &transformation);

// A record's JD in units of its fifth decimal: what two records of the same
// observation share. None for a text that is not a number.
std::optional<qint64> jdKey(std::string_view text);

} // namespace Aavso

#pragma once
// A comparison sequence as the AAVSO's Variable Star Plotter hands it out:
// its JSON answer (chart ID, the variable and its position, and each star's
// photometry), or its photometry table saved as CSV, one row per star and
// band, which names neither the chart nor the variable. Positions are J2000.

#include "core/skyposition.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace Aavso {

struct SequenceMagnitude
{
    double magnitude = 0;
    std::optional<double> error; // the sequence may give none
};

struct SequenceStar
{
    QString auid;
    QString label; // what the chart prints beside the star
    Sky::Position position;
    QString comments;
    std::map<QString, SequenceMagnitude> bands; // by the band's name as the sequence writes it
    // By band, what the file gave that was not taken as written: a magnitude
    // that does not read (the band is then not in `bands`), or a band given
    // again (the first stays).
    std::map<QString, QString> notes;
};

// A star's notes.
namespace SequenceNote {
inline const QString Unreadable = QStringLiteral("magnitudine non leggibile");
// %1: the band.
inline const QString Repeated = QStringLiteral("magnitudine %1 data più volte: vale la prima");
} // namespace SequenceNote

struct Sequence
{
    QString chartId;
    QString variable;                           // empty when the file does not say
    std::optional<Sky::Position> variablePosition;
    std::vector<SequenceStar> stars;            // in the file's order
};

// Why a file is refused, when it is neither format or holds no star; %1
// is the file's name. A missing file, a folder, a pipe or a device is
// refused with LightCurve::Refused and its reasons, as the light curve's files.
inline const QString NotSequence =
    QStringLiteral("Impossibile leggere \"%1\": non è una sequenza di confronto AAVSO "
                   "(JSON o CSV del VSP) con almeno una stella.");

// Why a CSV table is refused when a quote opened on line %2 never closes:
// every row after it would be one field. %1: the file's name.
inline const QString OpenQuote =
    QStringLiteral("Impossibile leggere \"%1\": le virgolette aperte alla riga %2 non si chiudono.");

struct SequenceRead
{
    std::optional<Sequence> sequence;
    QString problem; // when no sequence
};

// Reads either format, in UTF-8 or in the encoding a byte-order mark names.
// A star whose position cannot be read is left out, and so is a band without
// a magnitude; a CSV file's chart ID is its name without the suffix. Numbers
// have a decimal point, or a decimal comma as their only separator ("11,5"):
// no group separators.
SequenceRead readSequence(const QString &path);
// A VSP JSON answer held in memory, read as readSequence reads the file;
// none when it is not one or holds no star.
std::optional<Sequence> readSequenceJson(const QByteArray &bytes);

// The AAVSO marks stars meant for visual estimates only in their comments.
bool reservedForVisual(const SequenceStar &star);

// The star's magnitude in the band an image taken in `filterCode` is
// compared with (Bands::sequenceBands), if the sequence gives one.
const SequenceMagnitude *magnitudeFor(const SequenceStar &star, const QString &filterCode);
// The note of that band; when the star has no magnitude in the image's
// bands, the note of the first of them that has one. Empty when none has.
QString noteFor(const SequenceStar &star, const QString &filterCode);

} // namespace Aavso

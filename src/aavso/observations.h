#pragma once
// Observations of variable stars read for the light curve: the AAVSO
// Extended format that photometry programs (this one included) write, the
// download of the AAVSO International Database (comma- or tab-separated, with
// or without its header line), the answers of VSX's interface (fields apart
// by "@@@"), and the lists of "JD magnitude" lines
// observers keep by hand, with full Julian dates or, read as full ones,
// JD − 2400000 or MJD. Every repeated text (star, band, observer) is kept
// once in Observations::texts and named by its index, and notes, which most
// often differ from line to line, as their bytes, so a million observations
// stay small.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <vector>

namespace Aavso::LightCurve {

struct Observation
{
    double jd = 0; // JD, HJD or BJD, as written or from the file's DateForm
    double magnitude = 0;
    double error = std::numeric_limits<double>::quiet_NaN(); // NaN where the file gives none
    quint32 star = 0;     // index into texts: the name as written in the file
    quint32 band = 0;     // index into texts: the band's code (Bands::find), else as written,
                          // or UnknownBand for a list's line that names none
    quint32 observer = 0; // index into texts
    quint32 notes = 0;    // index into the notes; 0: none
    quint16 file = 0;     // index into files
    bool fainter = false; // "<": fainter than `magnitude`
    bool discrepant = false; // flagged so by the AAVSO's validation
};

struct SkippedLine
{
    quint16 file = 0;
    qint64 line = 0;  // counted from 1
    QString reason;   // in Italian, for the status line
};

// How a file writes its dates: full Julian dates, or a list's JD − 2400000
// or MJD (JD − 2400000.5), which are read as full ones.
enum class DateForm { Julian, Reduced, Modified };

struct SourceFile
{
    QString path;
    bool own = false; // written by this program (#SOFTWARE=Vevurid ...)
    DateForm dates = DateForm::Julian;
};

struct Observations
{
    std::vector<Observation> observations;
    std::vector<SkippedLine> skipped;
    std::vector<SourceFile> files;
    QStringList texts{QString()}; // texts[0] is the empty text
    // Note i (from 1) is the bytes from noteEnds[i - 1] to noteEnds[i].
    QByteArray noteBytes;
    std::vector<quint64> noteEnds{0};

    QString note(const Observation &observation) const;
};

// Told the bytes read so far and the file's size as reading goes on; false
// stops the reading.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Why addFile refuses a file: Refused with its name and one of the reasons.
inline const QString Refused = QStringLiteral("Impossibile leggere \"%1\": %2");
inline const QString NoSuchFile = QStringLiteral("il file non esiste.");
inline const QString IsFolder = QStringLiteral("è una cartella, non un file.");
inline const QString NotRegularFile = QStringLiteral("non è un file normale.");
inline const QString UnreadableFile = QStringLiteral("il file non si può leggere.");
inline const QString OverOneGiB = QStringLiteral("è più grande di 1 GiB.");
inline const QString TooManyFiles = QStringLiteral("troppi file aperti.");
// %1: the encoding its byte-order mark names, as "UTF-16LE".
inline const QString BadText = QStringLiteral("non è un testo %1 valido.");

// What addFile answers when `progress` stopped it.
inline const QString Cancelled = QStringLiteral("Lettura annullata.");

// Why a file none of whose lines reads as an observation is refused.
inline const QString NoObservations =
    QStringLiteral("non è un file AAVSO Extended, né un file del database AAVSO, "
                   "né un elenco di date giuliane e magnitudini.");

// The band of a list line that names none.
inline const QString UnknownBand = QStringLiteral("?");

// A file is read this much at a time, never whole. A line longer than
// LongestLine is skipped unread: a record of any of the formats is far
// shorter, and so a file with no line ends costs no more memory than one
// with them.
inline constexpr qint64 PieceSize = qint64(1) << 20;
inline constexpr qint64 LongestLine = qint64(1) << 16;

// Reads the file at `path`, in whichever of the formats it is, in UTF-8 (or
// Latin-1 where it is not valid UTF-8) or in UTF-16 or UTF-32 with a
// byte-order mark, and adds what it holds to `into`. Empty on success;
// otherwise the Italian message that names the file and says why it was
// refused (or Cancelled), and `into` is unchanged. Never blocks: folders,
// pipes, devices and files over 1 GiB are refused. A list names no star: its
// observations take the file's name without its last suffix.
QString addFile(Observations &into, const QString &path, const Progress &progress = {});

// What addFile does, on bytes already in memory; `file` is the index the
// caller has given them in into.files, `star` the name a list's observations
// take. Empty on success or the reason the whole file is refused (without
// the file's name); lines that cannot be read are skipped into into.skipped,
// never guessed. From the line after the one at byte `middle` on, the bytes
// are read on a second thread (by default, all on this one).
QString readBytes(Observations &into, quint16 file, const QByteArray &bytes, const QString &star,
                  qint64 middle = -1);

// "V612 Sct" and "v612  SCT" name one star.
QString starKey(const QString &name);
// The same into `key`, whose room is reused: most names then cost nothing
// to compare.
void starKey(const QString &name, QString &key);

struct Star
{
    QString name;    // as first written
    qsizetype count = 0;
};

// The stars of `from`, most observed first (ties in order of appearance).
std::vector<Star> stars(const Observations &from);

} // namespace Aavso::LightCurve

#pragma once
// Observations of variable stars read from AAVSO files, for the light curve:
// the AAVSO Extended format that photometry programs (this one included)
// write, and the comma-separated download of the AAVSO International
// Database. Every repeated text (star, band, observer, notes) is kept once in
// Observations::texts and named by its index, so a million observations stay
// small.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <vector>

namespace LightCurve {

struct Observation
{
    double jd = 0;                                          // JD, HJD or BJD, as written
    double magnitude = 0;
    double error = std::numeric_limits<double>::quiet_NaN(); // NaN where the file gives none
    quint32 star = 0;     // index into texts: the name as written in the file
    quint32 band = 0;     // index into texts: the filter code; "Vis." for visual estimates
    quint32 observer = 0; // index into texts
    quint32 notes = 0;    // index into texts
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

struct SourceFile
{
    QString path;
    bool own = false; // written by this program (#SOFTWARE=Vevurid ...)
};

struct Observations
{
    std::vector<Observation> observations;
    std::vector<SkippedLine> skipped;
    std::vector<SourceFile> files;
    QStringList texts{QString()}; // texts[0] is the empty text
};

// Told the bytes read so far and the file's size as reading goes on; false
// stops the reading.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// What addFile answers when `progress` stopped it.
inline const QString Cancelled = QStringLiteral("Lettura annullata.");

// Reads the file at `path`, in whichever of the two formats it is, and adds
// what it holds to `into`. Empty on success; otherwise the Italian message
// that names the file and says why it was refused (or Cancelled), and `into`
// is unchanged. Never blocks: folders, pipes, devices and files over 1 GiB
// are refused.
QString addFile(Observations &into, const QString &path, const Progress &progress = {});

// The two readers, on a file's bytes; `file` is the index the caller has
// given the file in into.files. Each returns empty on success or the reason
// the whole file is refused (without the file's name); lines that cannot be
// read are skipped into into.skipped, never guessed.
QString readExtended(Observations &into, quint16 file, const QByteArray &bytes);
QString readDatabase(Observations &into, quint16 file, const QByteArray &bytes);

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

} // namespace LightCurve

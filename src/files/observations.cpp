#include "observations.h"

#include "aavsoreading.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LightCurve {

namespace {

constexpr qint64 LargestFile = qint64(1) << 30;
constexpr double UnixEpochJulianDate = 2440587.5;
constexpr double MillisecondsPerDay = 86400000.0;

// Read and taken in this much at a time, so that a large file never lies in
// memory whole beside its observations.
constexpr qint64 PieceSize = qint64(1) << 20;

class OpenedFile
{
public:
    OpenedFile() = default;
    OpenedFile(const OpenedFile &) = delete;
    OpenedFile &operator=(const OpenedFile &) = delete;
    ~OpenedFile()
    {
        if (fd >= 0)
            ::close(fd);
    }

    int fd = -1;
    qint64 size = 0;
    QString problem; // why the file cannot be read, when it cannot
};

// Refuses what is not a regular file (checked after following links, and
// again on what was opened, since the name may have been swapped between the
// two) or is larger than a light curve can need. Opened without blocking, so
// a pipe or device put there never hangs.
void openRegular(OpenedFile &file, const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QFileInfo resolved(target);
    if (target.isEmpty())
        file.problem = QStringLiteral("il file non esiste.");
    else if (resolved.isDir())
        file.problem = QStringLiteral("è una cartella, non un file.");
    else if (!resolved.isFile())
        file.problem = QStringLiteral("non è un file normale.");
    else if ((file.fd = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) < 0)
        file.problem = QStringLiteral("il file non si può leggere.");
    if (!file.problem.isEmpty())
        return;
    struct stat status = {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        file.problem = QStringLiteral("non è un file normale.");
    else if (status.st_size > LargestFile)
        file.problem = QStringLiteral("è più grande di 1 GiB.");
    file.size = status.st_size;
}

// An Extended file opens with its parameter lines; a database download with
// its header.
bool opensWithParameter(const char *begin, const char *end)
{
    Reading::Lines lines(begin, end);
    std::string_view line;
    while (lines.next(line)) {
        const std::string_view content = Reading::trimmed(line);
        if (!content.empty())
            return content.front() == '#';
    }
    return false;
}

// The file's whole lines, piece by piece, through the reader its first piece
// calls for. Bytes added to the file while it is read are left out.
QString readPieces(Observations &into, quint16 index, const OpenedFile &file)
{
    std::unique_ptr<Reading::LineReader> reader;
    QByteArray piece;
    qint64 left = file.size;
    qint64 linesBefore = 0;
    for (;;) {
        const qsizetype kept = piece.size();
        piece.resize(kept + qsizetype(std::min(left, PieceSize)));
        ssize_t got = 0;
        do
            got = ::read(file.fd, piece.data() + kept, size_t(piece.size() - kept));
        while (got < 0 && errno == EINTR);
        if (got < 0)
            return QStringLiteral("il file non si può leggere.");
        piece.truncate(kept + got);
        left -= got;

        const bool last = got == 0 || left == 0;
        const char *stop = piece.cend();
        if (!last) {
            const void *lastEnd = ::memrchr(piece.cbegin(), '\n', size_t(piece.size()));
            if (!lastEnd)
                continue; // not one whole line yet
            stop = static_cast<const char *>(lastEnd) + 1;
        }
        if (!reader)
            reader = opensWithParameter(piece.cbegin(), stop) ? Reading::extendedReader(into, index)
                                                              : Reading::databaseReader(into, index);
        Reading::Lines lines(piece.cbegin(), stop, linesBefore);
        std::string_view line;
        while (lines.next(line)) {
            QString refusal = reader->line(line, lines.number());
            if (!refusal.isEmpty())
                return refusal;
        }
        if (last)
            return reader->end();
        linesBefore = lines.number();
        piece.remove(0, stop - piece.cbegin());
    }
}

} // namespace

QString addFile(Observations &into, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const auto refused = [&name](const QString &reason) {
        return QStringLiteral("Impossibile leggere \"%1\": %2").arg(name, reason);
    };
    if (into.files.size() > std::numeric_limits<quint16>::max())
        return refused(QStringLiteral("troppi file aperti."));
    OpenedFile file;
    openRegular(file, path);
    if (!file.problem.isEmpty())
        return refused(file.problem);

    // The sizes before, to take back what a refused file added.
    const size_t observations = into.observations.size();
    const size_t skipped = into.skipped.size();
    const qsizetype texts = into.texts.size();
    const quint16 index = quint16(into.files.size());
    into.files.push_back({path, false});
    const QString problem = readPieces(into, index, file);
    if (!problem.isEmpty()) {
        into.observations.resize(observations);
        into.skipped.resize(skipped);
        into.files.pop_back();
        into.texts.resize(texts);
        return refused(problem);
    }
    // Growth by doubling may have left half the room unused.
    if (into.observations.capacity() - into.observations.size() > into.observations.size() / 4)
        into.observations.shrink_to_fit();
    return QString();
}

QString readExtended(Observations &into, quint16 file, const QByteArray &bytes)
{
    return Reading::readLines(*Reading::extendedReader(into, file), bytes);
}

QString readDatabase(Observations &into, quint16 file, const QByteArray &bytes)
{
    return Reading::readLines(*Reading::databaseReader(into, file), bytes);
}

QString starKey(const QString &name)
{
    return name.simplified().toCaseFolded();
}

std::vector<Star> stars(const Observations &from)
{
    // Counted per text first: a million observations name a handful of texts.
    std::vector<qsizetype> perText(size_t(from.texts.size()), 0);
    std::vector<quint32> inOrder;
    for (const Observation &observation : from.observations) {
        if (perText[observation.star]++ == 0)
            inOrder.push_back(observation.star);
    }
    std::vector<Star> result;
    QHash<QString, size_t> byKey;
    for (quint32 text : inOrder) {
        const QString key = starKey(from.texts.at(text));
        const auto known = byKey.constFind(key);
        if (known != byKey.cend()) {
            result[known.value()].count += perText[text];
        } else {
            byKey.insert(key, result.size());
            result.push_back({from.texts.at(text), perText[text]});
        }
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const Star &a, const Star &b) { return a.count > b.count; });
    return result;
}

QDateTime julianToUtc(double jd)
{
    const double milliseconds = std::round((jd - UnixEpochJulianDate) * MillisecondsPerDay);
    // Beyond 2^53 ms (285 000 years) a millisecond is no longer exact.
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > 9007199254740992.0)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(qint64(milliseconds), Qt::UTC);
}

double utcToJulian(const QDateTime &utc)
{
    if (!utc.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return UnixEpochJulianDate + double(utc.toMSecsSinceEpoch()) / MillisecondsPerDay;
}

} // namespace LightCurve

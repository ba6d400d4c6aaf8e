#include "observations.h"

#include "aavsoreading.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LightCurve {

namespace {

constexpr qint64 LargestFile = qint64(1) << 30;
constexpr double UnixEpochJulianDate = 2440587.5;
constexpr double MillisecondsPerDay = 86400000.0;

struct FileBytes
{
    QByteArray bytes;
    QString problem; // why the file cannot be read, when it cannot
};

// The whole file, refused when it is not a regular file (the check after
// following links, and again on what was opened, since the name may have
// been swapped between the two) or is larger than a light curve can need.
// Opened without blocking, so a pipe or device put there never hangs.
FileBytes readWholeFile(const QString &path)
{
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();
    if (target.isEmpty())
        return {{}, QStringLiteral("il file non esiste.")};
    const QFileInfo resolved(target);
    if (resolved.isDir())
        return {{}, QStringLiteral("è una cartella, non un file.")};
    if (!resolved.isFile())
        return {{}, QStringLiteral("non è un file normale.")};
    if (resolved.size() > LargestFile)
        return {{}, QStringLiteral("è più grande di 1 GiB.")};

    const QString unreadable = QStringLiteral("il file non si può leggere.");
    const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {{}, unreadable};
    FileBytes file;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        file.problem = QStringLiteral("non è un file normale.");
    else if (status.st_size > LargestFile)
        file.problem = QStringLiteral("è più grande di 1 GiB.");
    else {
        file.bytes.resize(qsizetype(status.st_size));
        qsizetype done = 0;
        while (done < file.bytes.size()) {
            const ssize_t got = ::read(fd, file.bytes.data() + done, size_t(file.bytes.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                file.problem = unreadable;
                break;
            }
            if (got == 0) { // shortened while being read
                file.bytes.truncate(done);
                break;
            }
            done += got;
        }
    }
    ::close(fd);
    return file;
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
    const FileBytes file = readWholeFile(path);
    if (!file.problem.isEmpty())
        return refused(file.problem);

    // The sizes before, to take back what a refused file added.
    const size_t observations = into.observations.size();
    const size_t skipped = into.skipped.size();
    const qsizetype texts = into.texts.size();
    const quint16 index = quint16(into.files.size());
    into.files.push_back({path, false});

    // An Extended file opens with its parameter lines; a database download
    // with its header.
    Reading::Lines lines(file.bytes);
    std::string_view first;
    while (lines.next(first) && Reading::isBlank(first)) {
    }
    const QString problem = Reading::trimmed(first).substr(0, 1) == "#"
        ? readExtended(into, index, file.bytes)
        : readDatabase(into, index, file.bytes);
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

#include "observations.h"

#include "reading.h"
#include "files/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace LightCurve {

namespace {

constexpr qint64 LargestFile = qint64(1) << 30;

// Read and taken in this much at a time, so that a large file never lies in
// memory whole beside its observations.
constexpr qint64 PieceSize = qint64(1) << 20;

// Why the file at `path` cannot be read, or empty when `file` holds it open.
// What is not a regular file (links followed) or is larger than a light
// curve can need is refused; the open itself never blocks.
QString openRegular(QFile &file, const QString &path)
{
    const QFileInfo resolved(QFileInfo(path).canonicalFilePath());
    if (!resolved.exists())
        return QStringLiteral("il file non esiste.");
    if (resolved.isDir())
        return QStringLiteral("è una cartella, non un file.");
    if (!resolved.isFile())
        return QStringLiteral("non è un file normale.");
    if (!Files::openRegularFile(file, path))
        return QStringLiteral("il file non si può leggere.");
    if (file.size() > LargestFile)
        return QStringLiteral("è più grande di 1 GiB.");
    return QString();
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
QString readPieces(Observations &into, quint16 index, QFile &file, const Progress &progress)
{
    std::unique_ptr<Reading::LineReader> reader;
    QByteArray piece;
    qint64 left = file.size();
    qint64 linesBefore = 0;
    for (;;) {
        const qsizetype kept = piece.size();
        piece.resize(kept + qsizetype(std::min(left, PieceSize)));
        const qint64 got = file.read(piece.data() + kept, piece.size() - kept);
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
        if (progress && !progress(file.size() - left, file.size()))
            return Cancelled;
        linesBefore = lines.number();
        piece.remove(0, stop - piece.cbegin());
    }
}

} // namespace

QString addFile(Observations &into, const QString &path, const Progress &progress)
{
    const QString name = QFileInfo(path).fileName();
    const auto refused = [&name](const QString &reason) {
        return QStringLiteral("Impossibile leggere \"%1\": %2").arg(name, reason);
    };
    if (into.files.size() > std::numeric_limits<quint16>::max())
        return refused(QStringLiteral("troppi file aperti."));
    QFile file;
    if (const QString problem = openRegular(file, path); !problem.isEmpty())
        return refused(problem);

    // The sizes before, to take back what a refused file added.
    const size_t observations = into.observations.size();
    const size_t skipped = into.skipped.size();
    const qsizetype texts = into.texts.size();
    const quint16 index = quint16(into.files.size());
    into.files.push_back({path, false});
    const QString problem = readPieces(into, index, file, progress);
    if (!problem.isEmpty()) {
        into.observations.resize(observations);
        into.skipped.resize(skipped);
        into.files.pop_back();
        into.texts.resize(texts);
        return problem == Cancelled ? problem : refused(problem);
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

void starKey(const QString &name, QString &key)
{
    // Most names are ASCII: simplified and folded in one pass, into room
    // already there.
    key.resize(name.size());
    QChar *const begin = key.data();
    QChar *out = begin;
    bool blank = false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            key = name.simplified().toCaseFolded();
            return;
        }
        if (u == ' ' || (u >= '\t' && u <= '\r')) {
            blank = out != begin;
            continue;
        }
        if (blank)
            *out++ = QLatin1Char(' ');
        blank = false;
        *out++ = QChar(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
    }
    key.truncate(out - begin);
}

QString starKey(const QString &name)
{
    QString key;
    starKey(name, key);
    return key;
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

    // Names of one star are found by sorting the hashes of their keys, each
    // key built in the same room: a million distinct names would otherwise
    // cost a million keys and a hash table that waits on memory at each step.
    QString key, other;
    std::vector<std::pair<size_t, size_t>> hashes(inOrder.size()); // hash, place in inOrder
    for (size_t i = 0; i < inOrder.size(); ++i) {
        starKey(from.texts.at(inOrder[i]), key);
        hashes[i] = {std::hash<std::u16string_view>()(std::u16string_view(
                         reinterpret_cast<const char16_t *>(key.utf16()), size_t(key.size()))),
                     i};
    }
    std::sort(hashes.begin(), hashes.end());
    std::vector<size_t> first(inOrder.size()); // where the star's first name is
    for (size_t run = 0; run < hashes.size();) {
        size_t end = run + 1;
        while (end < hashes.size() && hashes[end].first == hashes[run].first)
            ++end;
        for (size_t at = run; at < end; ++at) {
            const size_t place = hashes[at].second;
            first[place] = place;
            if (at == run)
                continue;
            starKey(from.texts.at(inOrder[place]), key);
            for (size_t before = run; before < at; ++before) {
                starKey(from.texts.at(inOrder[hashes[before].second]), other);
                if (key == other) {
                    first[place] = first[hashes[before].second];
                    break;
                }
            }
        }
        run = end;
    }

    std::vector<qsizetype> counts(inOrder.size(), 0);
    for (size_t place = 0; place < inOrder.size(); ++place)
        counts[first[place]] += perText[inOrder[place]];
    std::vector<std::pair<qsizetype, size_t>> ranked; // minus the count, then place: most observed first
    for (size_t place = 0; place < inOrder.size(); ++place)
        if (first[place] == place)
            ranked.emplace_back(-counts[place], place);
    std::sort(ranked.begin(), ranked.end());
    std::vector<Star> result;
    result.reserve(ranked.size());
    for (const auto &[count, place] : ranked)
        result.push_back({from.texts.at(inOrder[place]), -count});
    return result;
}

} // namespace LightCurve

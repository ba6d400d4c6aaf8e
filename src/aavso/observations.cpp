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
#include <unordered_map>

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

namespace {

struct KeyHash
{
    size_t operator()(const QString &key) const
    {
        return std::hash<std::u16string_view>()(
            std::u16string_view(reinterpret_cast<const char16_t *>(key.utf16()), size_t(key.size())));
    }
};

} // namespace

QString starKey(const QString &name)
{
    // Most names are ASCII: simplified and folded in one pass, into one string.
    QString key(name.size(), Qt::Uninitialized);
    QChar *out = key.data();
    bool blank = false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return name.simplified().toCaseFolded();
        if (u == ' ' || (u >= '\t' && u <= '\r')) {
            blank = out != key.data();
            continue;
        }
        if (blank)
            *out++ = QLatin1Char(' ');
        blank = false;
        *out++ = QChar(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
    }
    key.truncate(out - key.data());
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
    std::vector<Star> result;
    // A million names go in a third of the time QHash takes.
    std::unordered_map<QString, size_t, KeyHash> byKey;
    byKey.reserve(inOrder.size());
    for (quint32 text : inOrder) {
        QString key = starKey(from.texts.at(text));
        const auto [known, added] = byKey.try_emplace(key, result.size());
        if (added)
            result.push_back({from.texts.at(text), std::move(key), perText[text]});
        else
            result[known->second].count += perText[text];
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const Star &a, const Star &b) { return a.count > b.count; });
    return result;
}

} // namespace LightCurve

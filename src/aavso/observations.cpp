#include "observations.h"

#include "reading.h"
#include "files/textfile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

namespace Aavso::LightCurve {

namespace {

constexpr qint64 LargestFile = qint64(1) << 30;

// Why the file at `path` cannot be read, or empty when `file` holds it open.
// What is not a regular file (links followed) or is larger than a light
// curve can need is refused; the open itself never blocks.
QString openRegular(QFile &file, const QString &path)
{
    const QString refusals[] = {QString(), NoSuchFile, IsFolder, NotRegularFile, UnreadableFile};
    if (const Files::ReadRefusal refusal = Files::openForReading(file, path); refusal != Files::ReadRefusal::None)
        return refusals[int(refusal)];
    if (file.size() > LargestFile)
        return OverOneGiB;
    return QString();
}

// "#NAME=value" with the name of one of the Extended format's parameters.
bool isParameter(std::string_view content)
{
    const size_t equals = content.find('=');
    if (content.front() != '#' || equals == std::string_view::npos)
        return false;
    const std::string_view name = Reading::trimmed(content.substr(1, equals - 1));
    using namespace Aavso::Parameter;
    for (const char *known : {Type, ObsCode, Software, Delimiter, Date, ObsType}) {
        if (Reading::equalsIgnoringCase(name, known))
            return true;
    }
    return false;
}

const char *findOrEnd(const char *from, const char *end, char byte)
{
    const void *found = std::memchr(from, byte, size_t(end - from));
    return found ? static_cast<const char *>(found) : end;
}

// Cuts a file, a piece at a time, into lines ended by LF, CR LF or CR alone,
// and gives them to the reader the first line that is neither blank nor a
// comment calls for: an Extended file opens with its parameters, a database
// download with its header or a record, and anything else may be a list. A
// line over LongestLine is skipped, its bytes let go as they come.
class LineFeed
{
public:
    LineFeed(Observations &into, quint16 file, const QString &star)
        : m_into(into), m_file(file), m_star(star)
    {
    }

    // A feed for a later part of the file, starting at a line, whose reader
    // is `from`'s twin adding to `into`.
    LineFeed(Observations &into, const LineFeed &from)
        : m_into(into), m_file(from.m_file), m_star(from.m_star), m_reader(from.m_reader->twin(into)),
          m_atStart(false)
    {
    }

    // The whole lines of `piece`, whose first `kept` bytes are those the last
    // call left; the bytes after its last line end are left at its start.
    QString take(QByteArray &piece, qsizetype kept)
    {
        const char *at = piece.cbegin(); // where the line in hand begins
        const char *end = piece.cend();
        if (m_atStart && m_number == 0 && !m_skipping && piece.startsWith("\xEF\xBB\xBF"))
            at += 3;
        const char *scan = std::max(at, piece.cbegin() + kept); // bytes not looked at before
        if (m_afterCr && scan < end && *scan == '\n')
            at = ++scan; // a CR LF cut between two pieces
        m_afterCr = false;
        // Each search starts where the last ended, so a line costs its length
        // however many pieces it spans.
        const char *lf = findOrEnd(scan, end, '\n');
        for (const char *stop; (stop = findOrEnd(scan, lf, '\r')) != end;) {
            if (QString refusal = give(std::string_view(at, size_t(stop - at))); !refusal.isEmpty())
                return refusal;
            scan = at = stop + 1;
            if (*stop == '\r' && at < end && *at == '\n')
                scan = ++at;
            m_afterCr = *stop == '\r' && at == end;
            if (lf < scan)
                lf = findOrEnd(scan, end, '\n');
        }
        m_skipping = m_skipping || end - at > LongestLine;
        const qsizetype left = m_skipping ? 0 : end - at;
        std::memmove(piece.data(), at, size_t(left));
        piece.truncate(left);
        return QString();
    }

    // What `take` left is the last line of the bytes read, without a line end.
    QString last(const QByteArray &rest)
    {
        if (rest.isEmpty() && !m_skipping)
            return QString();
        return give(std::string_view(rest.cbegin(), size_t(rest.size())));
    }

    // The reader's last word on the file.
    QString end() { return m_reader ? m_reader->end() : Reading::notAavso(); }

    Reading::LineReader *reader() const { return m_reader.get(); }
    qint64 lines() const { return m_number; }

private:
    QString give(std::string_view line)
    {
        ++m_number;
        if (m_skipping || qint64(line.size()) > LongestLine) {
            m_skipping = false;
            // At most a file's size over LongestLine of them: no limit needed.
            m_into.skipped.push_back({m_file, m_number, Reading::TooLong});
            return QString();
        }
        if (!m_reader) {
            const std::string_view content = Reading::trimmed(line);
            if (content.empty() || (content.front() == '#' && !isParameter(content))) {
                m_mjdNamed = m_mjdNamed || Reading::namesMjd(content);
                return QString();
            }
            if (content.front() == '#')
                m_reader = Reading::extendedReader(m_into, m_file);
            else if (Reading::opensDelimited(line))
                m_reader = Reading::delimitedReader(m_into, m_file, m_star);
            else if (Reading::opensDatabase(line))
                m_reader = Reading::databaseReader(m_into, m_file);
            else
                m_reader = Reading::simpleListReader(m_into, m_file, m_star, m_mjdNamed);
        }
        return m_reader->line(line, m_number);
    }

    Observations &m_into;
    const quint16 m_file;
    const QString m_star;
    std::unique_ptr<Reading::LineReader> m_reader;
    qint64 m_number = 0;     // lines given so far
    bool m_atStart = true;   // where a byte-order mark may stand
    bool m_skipping = false; // within a line over LongestLine
    bool m_afterCr = false;  // the last piece ended with a CR
    bool m_mjdNamed = false; // by a comment before the first line read
};

// A file in UTF-16 or UTF-32, known by its byte-order mark, made UTF-8 a
// piece at a time for the readers, which take bytes.
class WideText
{
public:
    explicit WideText(QStringConverter::Encoding encoding)
        : m_decoder(encoding),
          m_unit(encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE ? 2 : 4)
    {
    }

    // Replaces the bytes of `piece` from `from` on with their UTF-8; false
    // when they are not text in the file's encoding.
    bool toUtf8(QByteArray &piece, qsizetype from)
    {
        QString text = m_held + m_decoder(QByteArrayView(piece).sliced(from));
        m_held.clear();
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            m_held = text.back(); // its pair's other half is in the next piece
            text.chop(1);
        }
        m_bytes += piece.size() - from;
        piece.truncate(from);
        piece += text.toUtf8();
        return !m_decoder.hasError();
    }

    // Whether the file ended between two characters.
    bool whole() const { return m_bytes % m_unit == 0 && m_held.isEmpty(); }

    QString refusal() const { return BadText.arg(QString::fromLatin1(m_decoder.name())); }

private:
    QStringDecoder m_decoder; // keeps the bytes of a unit cut between two pieces
    const qint64 m_unit;
    QString m_held;
    qint64 m_bytes = 0;
};

// From this size on, a file is read in two halves at once: below, starting
// a thread would cost more than it saves.
constexpr qint64 HalvedFrom = 4 * PieceSize;

// Room kept beyond the observations a file is expected to hold, as a share of them.
constexpr size_t SpareShare = 16;
constexpr size_t NoteSpareShare = 64;

// What `into` held before a file's bytes were read into it.
struct Held
{
    size_t observations = 0;
    size_t notes = 0;
    size_t noteBytes = 0;
};

Held held(const Observations &into)
{
    return {into.observations.size(), into.noteEnds.size(), size_t(into.noteBytes.size())};
}

// What `now` will likely be at the file's end, judged from what its first
// `done` bytes added beyond `before`.
size_t ahead(size_t now, size_t before, qint64 done, qint64 total)
{
    return now + size_t(std::ceil(double(now - before) * double(total - done) / double(done)));
}

// Room for the observations and notes the rest of the file will likely add,
// so that neither doubles its room as it fills.
void reserveAhead(Observations &into, const Held &before, qint64 done, qint64 total)
{
    // The spare room takes the estimate's wavering; a file whose lines thicken
    // as it goes is reserved for a few times, not once a piece.
    std::vector<Observation> &observations = into.observations;
    const size_t expected = ahead(observations.size(), before.observations, done, total);
    if (expected > observations.capacity())
        observations.reserve(std::max(expected + expected / SpareShare, Reading::grown(observations.capacity())));
    // Notes are never shrunk: a narrower spare, still more than a piece adds.
    const size_t notes = ahead(into.noteEnds.size(), before.notes, done, total);
    if (notes > into.noteEnds.capacity())
        into.noteEnds.reserve(notes + notes / NoteSpareShare);
    const size_t noteBytes = ahead(size_t(into.noteBytes.size()), before.noteBytes, done, total);
    if (noteBytes > size_t(into.noteBytes.capacity()))
        into.noteBytes.reserve(qsizetype(noteBytes) + qsizetype(noteBytes / NoteSpareShare));
}

// Told the bytes of the file taken so far, after each piece; a non-empty
// answer stops the reading.
using AfterPiece = std::function<QString(qint64 done)>;

// The bytes of `device` from `from` to `to` into `feed`, a piece at a time,
// the last line given when `to` is the file's end.
QString feedPieces(LineFeed &feed, QIODevice &device, qint64 from, qint64 to, std::optional<WideText> &wide,
                   const AfterPiece &afterPiece)
{
    if (!device.seek(from))
        return UnreadableFile;
    QByteArray piece;
    // The line left over from a piece is never longer than LongestLine.
    piece.reserve(qsizetype(std::min(to - from, PieceSize + LongestLine)));
    for (qint64 left = to - from;;) {
        const qsizetype kept = piece.size();
        piece.resize(kept + qsizetype(std::min(left, PieceSize)));
        const qint64 got = device.read(piece.data() + kept, piece.size() - kept);
        if (got < 0)
            return UnreadableFile;
        piece.truncate(kept + got);
        left -= got;
        if (wide && !wide->toUtf8(piece, kept))
            return wide->refusal();
        if (QString refusal = feed.take(piece, kept); !refusal.isEmpty())
            return refusal;
        if (got == 0 || left == 0)
            return wide && !wide->whole() ? wide->refusal() : feed.last(piece);
        if (QString stop = afterPiece(to - left); !stop.isEmpty())
            return stop;
    }
}

// Where the line after the one at `middle` of `device`'s `size` bytes
// starts, or `size` when that line goes on for LongestLine or more.
qint64 lineAfter(QIODevice &device, qint64 middle, qint64 size)
{
    if (!device.seek(middle))
        return size;
    const QByteArray bytes = device.read(LongestLine + 1); // a CR's next byte told
    const auto stop = std::find_if(bytes.cbegin(), bytes.cend(), [](char c) { return c == '\n' || c == '\r'; });
    const qsizetype at = stop - bytes.cbegin();
    if (stop == bytes.cend() || at >= LongestLine)
        return size;
    const bool crLf = *stop == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n';
    return middle + at + (crLf ? 2 : 1);
}

// All of `device`'s bytes. Those of a file from `middle` on (at a line's
// start) are read on a second thread by a twin of the first half's reader,
// as soon as that reader is known, and joined after the first half; should
// the first half's last lines change how lines are read, the second half is
// read again after it. `second` opens another device on the same bytes, or
// gives none. Bytes added to a file while it is read are left out.
QString readPieces(Observations &into, quint16 index, QIODevice &device, const QString &star,
                   const Progress &progress, qint64 middle,
                   const std::function<std::unique_ptr<QIODevice>()> &second)
{
    LineFeed feed(into, index, star);
    const Held before = held(into);
    const qint64 size = device.size();
    std::optional<WideText> wide;
    const auto encoding = QStringConverter::encodingForData(device.peek(4));
    if (encoding && *encoding != QStringConverter::Utf8)
        wide.emplace(*encoding);
    std::unique_ptr<QIODevice> secondDevice = wide || middle >= size ? nullptr : second();
    if (secondDevice)
        middle = lineAfter(*secondDevice, middle, size);
    else
        middle = size;

    Observations later;
    std::unique_ptr<LineFeed> laterFeed;
    std::string stateAtTwin;
    std::atomic<qint64> laterDone{0};
    std::atomic<bool> stop{false};
    QString laterRefusal;
    Held laterBefore;
    std::thread thread;
    const auto startLater = [&] {
        later.texts = into.texts;
        later.files = into.files;
        laterBefore = held(later);
        laterFeed = std::make_unique<LineFeed>(later, feed);
        stateAtTwin = feed.reader()->state();
        thread = std::thread([&] {
            std::optional<WideText> none;
            laterRefusal = feedPieces(*laterFeed, *secondDevice, middle, size, none, [&](qint64 done) {
                laterDone = done - middle;
                reserveAhead(later, laterBefore, done - middle, size - middle);
                return stop ? Cancelled : QString();
            });
        });
    };
    const auto stopLater = [&] {
        stop = true;
        if (thread.joinable())
            thread.join();
    };

    const AfterPiece afterPiece = [&](qint64 done) {
        reserveAhead(into, before, done, size);
        if (progress && !progress(done + laterDone, size))
            return Cancelled;
        if (secondDevice && !laterFeed && done < middle && feed.reader())
            startLater();
        return QString();
    };
    QString refusal = feedPieces(feed, device, 0, middle, wide, afterPiece);
    if (!refusal.isEmpty()) {
        stopLater();
        return refusal;
    }
    if (secondDevice && !laterFeed && middle < size && feed.reader())
        startLater(); // the first half was a single piece
    if (thread.joinable())
        thread.join();
    if (laterFeed && feed.reader()->state() == stateAtTwin) {
        refusal = feed.reader()->join(*laterFeed->reader(), feed.lines(), laterRefusal);
    } else if (middle < size) {
        laterDone = 0;
        refusal = feedPieces(feed, device, middle, size, wide, afterPiece);
    }
    return refusal.isEmpty() ? feed.end() : refusal;
}

} // namespace

QString addFile(Observations &into, const QString &path, const Progress &progress)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const auto refused = [&name](const QString &reason) {
        return Refused.arg(name, reason);
    };
    if (into.files.size() > std::numeric_limits<quint16>::max())
        return refused(TooManyFiles);
    QFile file;
    if (const QString problem = openRegular(file, path); !problem.isEmpty())
        return refused(problem);

    // The sizes before, to take back what a refused file added.
    const size_t observations = into.observations.size();
    const size_t skipped = into.skipped.size();
    const qsizetype texts = into.texts.size();
    const size_t notes = into.noteEnds.size();
    const quint16 index = quint16(into.files.size());
    into.files.push_back({path, false});
    const QString star = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
    const qint64 size = file.size();
    const QString problem = readPieces(into, index, file, star, progress, size >= HalvedFrom ? size / 2 : size,
                                       [&path]() -> std::unique_ptr<QIODevice> {
                                           auto again = std::make_unique<QFile>();
                                           if (Files::openForReading(*again, path) != Files::ReadRefusal::None)
                                               return nullptr;
                                           return again;
                                       });
    if (!problem.isEmpty()) {
        into.observations.resize(observations);
        into.skipped.resize(skipped);
        into.files.pop_back();
        into.texts.resize(texts);
        into.noteEnds.resize(notes);
        into.noteBytes.truncate(qsizetype(into.noteEnds.back()));
        return problem == Cancelled ? problem : refused(problem);
    }
    // Lines that thinned out late may have left more room than was spared.
    if (into.observations.capacity() - into.observations.size() > into.observations.size() / Reading::GrowthShare)
        into.observations.shrink_to_fit();
    return QString();
}

QString Observations::note(const Observation &observation) const
{
    if (observation.notes == 0)
        return QString();
    const quint64 start = noteEnds[observation.notes - 1];
    return Reading::decode(std::string_view(noteBytes.constData() + start,
                                            size_t(noteEnds[observation.notes] - start)));
}

QString readBytes(Observations &into, quint16 file, const QByteArray &bytes, const QString &star, qint64 middle)
{
    const auto open = [&bytes] {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    };
    const std::unique_ptr<QBuffer> buffer = open();
    return readPieces(into, file, *buffer, star, {}, middle < 0 ? bytes.size() : middle,
                      [&open]() -> std::unique_ptr<QIODevice> { return open(); });
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

} // namespace Aavso::LightCurve

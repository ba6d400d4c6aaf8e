#pragma once
// What the readers share: lines and fields as views into the file's bytes
// (nothing is decoded until a text is new), numbers always with ".", the
// table that keeps each text once, and the reasons a line is skipped.

#include "observations.h"
#include "vocabulary.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Aavso::LightCurve::Reading {

// Physical lines of a piece of a file, without their terminators, numbered
// on from the lines before the piece. CR LF, LF and a lone CR each end a
// line. The piece ends at a line end or at the file's end; when the piece
// before it ended with a CR, `afterCr` says so, and an LF opening this piece
// completes that CR LF instead of ending a line of its own. A UTF-8
// byte-order mark at the very start of the file is dropped.
class Lines
{
public:
    enum class End { None, Lf, CrLf, Cr }; // None: the piece ended first

    Lines(const char *begin, const char *end, qint64 linesBefore = 0, bool afterCr = false);
    bool next(std::string_view &line);
    qint64 number() const { return m_number; }
    // How the line `next` gave last ended.
    End end() const { return m_lineEnd; }

private:
    const char *m_at;
    const char *m_end;
    const char *m_lf; // the first LF at or after m_at, or m_end: found once, not once per line
    qint64 m_number;
    End m_lineEnd = End::None;
};

// Bytes as the light curve takes a text: UTF-8, or Latin-1 where they are not.
QString decode(std::string_view bytes);

// Inline: every field of every line goes through it.
inline std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}
// The first byte from `at` on that is `a` or `b`, else `end`. Inline, and
// eight bytes looked at together: every field of every line is found by it,
// and most are shorter than that.
inline const char *findEither(const char *at, const char *const end, char a, char b)
{
    // The high bit of each byte of `word` that equals `byte`, exactly: no
    // carry crosses from one byte into the next.
    const auto equal = [](std::uint64_t word, char byte) {
        constexpr std::uint64_t Ones = 0x0101010101010101;
        constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7F;
        const std::uint64_t x = word ^ (Ones * static_cast<unsigned char>(byte));
        return ~(((x & Low7) + Low7) | x | Low7);
    };
    constexpr std::ptrdiff_t Word = sizeof(std::uint64_t);
    for (; end - at >= Word; at += Word) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        word = __builtin_bswap64(word); // the first byte lowest
#endif
        if (const std::uint64_t found = equal(word, a) | equal(word, b))
            return at + __builtin_ctzll(found) / 8;
    }
    while (at != end && *at != a && *at != b)
        ++at;
    return at;
}
bool isBlank(std::string_view line);
bool equalsIgnoringCase(std::string_view text, std::string_view word);
// "na" in any letter case, or nothing at all: the file gives no value.
bool notAvailable(std::string_view field);

// The whole field as a finite number written with ".", whatever the locale.
bool readNumber(std::string_view field, double &value);

// A whole Julian date, as the database and observers write it; a smaller
// number opens some other table, or a line of text.
inline constexpr Aavso::Range FullJulianDates{2000000, 3000000};

// A file with more unreadable lines is not of the format it seemed to be;
// keeping every reason of a huge foreign file would only fill the memory.
inline constexpr size_t MostSkippedLines = 100000;

// Why a line is skipped, as the status line names it.
inline const QString BadDate = QStringLiteral("data non valida");
inline const QString BadMagnitude = QStringLiteral("magnitudine non valida");
inline const QString BadError = QStringLiteral("errore non valido");
inline const QString BadQuotes = QStringLiteral("virgolette non valide");
inline const QString MissingStar = QStringLiteral("stella mancante");
inline const QString MissingBand = QStringLiteral("filtro mancante");
// %1: the fields the line has; %2: those a record has.
inline const QString WrongFieldCount = QStringLiteral("%1 campi invece di %2");
inline const QString TooManyFields = QStringLiteral("più di %1 campi");
// Why a whole file is refused; each %1 the value the file gives.
inline const QString UnknownDelimiter = QStringLiteral("delimitatore sconosciuto: \"%1\".");
inline const QString ExcelDates =
    QStringLiteral("le date sono in formato EXCEL: servono date giuliane (JD, HJD o BJD).");
inline const QString UnknownDates = QStringLiteral("tipo di data sconosciuto: \"%1\".");
inline const QString TooManyUnreadable = QStringLiteral("ha più di %1 righe che non si possono leggere.");
inline const QString NotData = QStringLiteral("testo, non una misura");
inline const QString TooManyWords =
    QStringLiteral("troppe parole per una misura (data, magnitudine, errore, osservatore o filtro)");
inline const QString TooLong = QStringLiteral("riga più lunga di %1 KiB").arg(LongestLine / 1024);

// Each distinct text once in the observations' texts; an index names it.
// Texts are looked up by their bytes in an open-addressing table of their
// own, so a line's fields cost no allocation once their texts are known and a
// million different names take little more than their own bytes.
class TextTable
{
public:
    explicit TextTable(Observations &into);
    // A table that knows what `from` knows, for texts added to `into`, which
    // holds the texts `from`'s observations hold.
    TextTable(Observations &into, const TextTable &from);
    quint32 index(std::string_view bytes);
    quint32 indexOfText(const QString &text);

    struct NamedBand
    {
        quint32 text; // the band's code, or the bytes as written when no band has that name
        bool known;
    };
    // Through Bands::find once per distinct text of a file, not once per line.
    NamedBand band(std::string_view bytes);

    // Notes differ on most lines: kept as bytes, not as shared texts.
    quint32 note(std::string_view bytes);

    // Takes in the texts `later` added from `firstNew` on, in their order, as
    // if its lines had been read here; says which index each of its texts
    // has here.
    std::vector<quint32> join(const TextTable &later, quint32 firstNew);

private:
    struct Slot
    {
        size_t hash = 0;
        quint32 text = 0; // 0: free (the empty text is never looked up)
        quint32 length = 0;
        size_t start = 0; // of the bytes in m_keys
    };
    quint32 find(std::string_view bytes, size_t hash) const; // 0: not there
    quint32 insert(std::string_view bytes, size_t hash, quint32 text);
    void grow();

    Observations &m_into;
    std::vector<Slot> m_slots; // a power of two, at most half full
    size_t m_used = 0;
    std::string m_keys; // every looked-up text's bytes, one after the other
    // Looked up by the line's own bytes: no key is built for a lookup.
    std::deque<std::string> m_bandNames; // the keys' bytes, which never move
    std::unordered_map<std::string_view, NamedBand> m_bands;
};

// A vector that doubles holds up to twice the room its observations need,
// and three times while it moves them: the observations' room grows by an
// eighth (and at least MinimumGrowth) at a time instead.
inline constexpr size_t GrowthShare = 8;
inline constexpr size_t MinimumGrowth = 4096;
inline size_t grown(size_t capacity)
{
    return capacity + std::max(capacity / GrowthShare, MinimumGrowth);
}

// Fills the numbers of `observation` from a record's fields, or says why the
// line cannot be read. The magnitude may carry "<" (fainter than) before it
// and a visual estimate's ":" (uncertain) after it; an error is optional.
QString readValues(Observation &observation, std::string_view date,
                   std::string_view magnitude, std::string_view error);

// Takes a file's lines one at a time, as the file is read, into `into`. A
// non-empty answer refuses the whole file and says why.
class LineReader
{
public:
    LineReader(Observations &into, quint16 file);
    virtual ~LineReader() = default;
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    virtual QString line(std::string_view line, qint64 number) = 0;
    virtual QString end() = 0;

    // A reader in this one's state that adds to `into`, whose texts are a
    // copy of those this reader's observations have, so that a later part of
    // the file can be read at the same time as the rest of this one's.
    virtual std::unique_ptr<LineReader> twin(Observations &into) const = 0;
    // What lines may still change in how the next lines are read; a twin is
    // right only while its reader's state is still what it was given.
    virtual std::string state() const = 0;
    // Takes what end() needs of the state `twin`, made from this reader, reached.
    virtual void follow(const LineReader &) {}

    // Adds what `twin`, made from this reader, read after this reader's
    // `lines` lines, as if this reader had read them; `refusal` is the
    // twin's. A non-empty answer refuses the file, as reading them here would
    // have.
    QString join(LineReader &twin, qint64 lines, const QString &refusal);

protected:
    // Keeps the observation when `reason` is empty; otherwise skips the line,
    // and refuses the file once it has more unreadable lines than a file of
    // its format can have.
    QString settle(Observation &observation, qint64 number, const QString &reason);
    LineReader(Observations &into, const LineReader &from);

    Observations &m_into;
    const quint16 m_file;
    TextTable m_texts;

private:
    size_t m_firstSkipped;
    quint32 m_firstNewText = 0; // of a twin: its texts from here on are its own
};

std::unique_ptr<LineReader> extendedReader(Observations &into, quint16 file);
std::unique_ptr<LineReader> databaseReader(Observations &into, quint16 file);
// The observations of a list take `star` as their star's name; `mjdNamed`
// when a comment before the list's first line names MJD.
std::unique_ptr<LineReader> simpleListReader(Observations &into, quint16 file, const QString &star,
                                             bool mjdNamed);
// Whether "MJD", in any letter case, stands as a word of `line`.
bool namesMjd(std::string_view line);

// VSX's answer, "@@@" between its fields; a line without starName takes `star`.
std::unique_ptr<LineReader> delimitedReader(Observations &into, quint16 file, const QString &star);
// Whether `line` is the header of such an answer: JD, mag and band among its columns.
bool opensDelimited(std::string_view line);

// Whether `line`, a file's first, is a database download's header or one of
// its records.
bool opensDatabase(std::string_view line);

QString notAavso();

} // namespace Aavso::LightCurve::Reading

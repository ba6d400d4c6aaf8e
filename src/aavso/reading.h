#pragma once
// What the two AAVSO readers share: lines and fields as views into the file's
// bytes (nothing is decoded until a text is new), numbers always with ".",
// and the table that keeps each text once.

#include "observations.h"

#include <QHash>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace LightCurve::Reading {

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

std::string_view trimmed(std::string_view text);
bool isBlank(std::string_view line);
bool equalsIgnoringCase(std::string_view text, std::string_view word);
// "na" in any letter case, or nothing at all: the file gives no value.
bool notAvailable(std::string_view field);

// The whole field as a finite number written with ".", whatever the locale.
bool readNumber(std::string_view field, double &value);

// Each distinct text once in `texts`; an index names it.
class TextTable
{
public:
    explicit TextTable(QStringList &texts);
    quint32 index(std::string_view bytes);

private:
    QStringList &m_texts;
    // Looked up once or more per field of every line: libstdc++'s hash of a
    // short string costs a fraction of Qt's seeded one.
    std::unordered_map<std::string, quint32> m_byBytes;
    std::string m_key; // reused, so that a lookup allocates nothing
    QHash<QString, quint32> m_byText; // bytes in another encoding may give a known text
};

// Fills the numbers of `observation` from a record's fields, or says in a
// few Italian words why the line cannot be read.
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

protected:
    // Keeps the observation when `reason` is empty; otherwise skips the line,
    // and refuses the file once it has more unreadable lines than a file of
    // its format can have.
    QString settle(Observation &observation, qint64 number, const QString &reason);

    Observations &m_into;
    const quint16 m_file;
    TextTable m_texts;

private:
    size_t m_firstSkipped;
};

std::unique_ptr<LineReader> extendedReader(Observations &into, quint16 file);
std::unique_ptr<LineReader> databaseReader(Observations &into, quint16 file);

// All the lines of `bytes`, a whole file, through `reader`.
QString readLines(LineReader &reader, const QByteArray &bytes);

QString notAavso();

} // namespace LightCurve::Reading

#include "reading.h"

#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <cstring>

namespace LightCurve::Reading {

namespace {

// Beyond any star, and beyond any date since the Julian period began until
// far in the future: a value outside is a placeholder (99.999) or garbage.
constexpr double BrightestMagnitude = -30;
constexpr double FaintestMagnitude = 40;
constexpr double LastJulianDate = 1e7;

// A file with this many unreadable lines is not of the format it seemed to
// be; keeping every reason of a huge foreign file would only fill the memory.
constexpr size_t MostSkippedLines = 100000;

} // namespace

QString decode(std::string_view bytes)
{
    // A byte-order mark inside a line is a character like any other; dropped,
    // it would make a field of nothing but a mark read as no text at all.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    const QString text = utf8(view);
    return utf8.hasError() ? QString::fromLatin1(view) : text;
}

namespace {

bool isBlankChar(char c)
{
    return c == ' ' || c == '\t';
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

Lines::Lines(const char *begin, const char *end, qint64 linesBefore, bool afterCr)
    : m_at(begin), m_end(end), m_lf(end), m_number(linesBefore)
{
    if (linesBefore == 0 && std::string_view(begin, size_t(end - begin)).substr(0, 3) == "\xEF\xBB\xBF")
        m_at += 3;
    if (afterCr && m_at != m_end && *m_at == '\n')
        ++m_at;
    if (m_at != m_end) {
        if (const void *lf = std::memchr(m_at, '\n', size_t(m_end - m_at)))
            m_lf = static_cast<const char *>(lf);
    }
}

bool Lines::next(std::string_view &line)
{
    if (m_at == m_end)
        return false;
    if (m_lf < m_at) {
        const void *lf = std::memchr(m_at, '\n', size_t(m_end - m_at));
        m_lf = lf ? static_cast<const char *>(lf) : m_end;
    }
    // A CR can only end the line before the next LF.
    const void *cr = std::memchr(m_at, '\r', size_t(m_lf - m_at));
    const char *stop = cr ? static_cast<const char *>(cr) : m_lf;
    line = std::string_view(m_at, size_t(stop - m_at));
    if (stop == m_end)
        m_lineEnd = End::None;
    else if (!cr)
        m_lineEnd = End::Lf;
    else
        m_lineEnd = stop + 1 == m_lf && m_lf != m_end ? End::CrLf : End::Cr;
    m_at = stop == m_end ? m_end : stop + (m_lineEnd == End::CrLf ? 2 : 1);
    ++m_number;
    return true;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlankChar(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankChar(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isBlank(std::string_view line)
{
    return trimmed(line).empty();
}

bool equalsIgnoringCase(std::string_view text, std::string_view word)
{
    if (text.size() != word.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(word[i]))
            return false;
    }
    return true;
}

bool notAvailable(std::string_view field)
{
    return field.empty() || equalsIgnoringCase(field, "na");
}

bool readNumber(std::string_view field, double &value)
{
    const char *end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

TextTable::TextTable(QStringList &texts)
    : m_texts(texts)
{
    for (qsizetype i = 0; i < texts.size(); ++i)
        m_byText.insert(texts.at(i), quint32(i));
}

quint32 TextTable::index(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    m_key.assign(bytes);
    const auto known = m_byBytes.find(m_key);
    if (known != m_byBytes.end())
        return known->second;

    const QString text = decode(bytes);
    auto index = m_byText.constFind(text);
    if (index == m_byText.cend()) {
        m_texts.append(text);
        index = m_byText.insert(text, quint32(m_texts.size() - 1));
    }
    m_byBytes.emplace(m_key, index.value());
    return index.value();
}

QString readValues(Observation &observation, std::string_view date,
                   std::string_view magnitude, std::string_view error)
{
    if (!readNumber(date, observation.jd) || observation.jd < 0 || observation.jd >= LastJulianDate)
        return QStringLiteral("data non valida");

    observation.fainter = !magnitude.empty() && magnitude.front() == '<';
    if (observation.fainter)
        magnitude = trimmed(magnitude.substr(1));
    if (!readNumber(magnitude, observation.magnitude) || observation.magnitude < BrightestMagnitude
        || observation.magnitude > FaintestMagnitude)
        return QStringLiteral("magnitudine non valida");

    if (notAvailable(error))
        observation.error = std::numeric_limits<double>::quiet_NaN();
    else if (!readNumber(error, observation.error) || observation.error < 0)
        return QStringLiteral("errore non valido");
    return QString();
}

LineReader::LineReader(Observations &into, quint16 file)
    : m_into(into), m_file(file), m_texts(into.texts), m_firstSkipped(into.skipped.size())
{
}

QString LineReader::settle(Observation &observation, qint64 number, const QString &reason)
{
    if (reason.isEmpty()) {
        observation.file = m_file;
        m_into.observations.push_back(observation);
        return QString();
    }
    m_into.skipped.push_back({m_file, number, reason});
    if (m_into.skipped.size() - m_firstSkipped <= MostSkippedLines)
        return QString();
    return QStringLiteral("ha più di %1 righe che non si possono leggere.").arg(MostSkippedLines);
}

QString readLines(LineReader &reader, const QByteArray &bytes)
{
    Lines lines(bytes.cbegin(), bytes.cend());
    std::string_view line;
    while (lines.next(line)) {
        QString refusal = reader.line(line, lines.number());
        if (!refusal.isEmpty())
            return refusal;
    }
    return reader.end();
}

QString notAavso()
{
    return QStringLiteral("non è un file AAVSO Extended né un file del database AAVSO.");
}

} // namespace LightCurve::Reading

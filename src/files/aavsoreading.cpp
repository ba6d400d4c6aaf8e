#include "aavsoreading.h"

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

QString decode(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    const QString text = utf8(view);
    return utf8.hasError() ? QString::fromLatin1(view) : text;
}

bool isBlankChar(char c)
{
    return c == ' ' || c == '\t';
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

Lines::Lines(const QByteArray &bytes)
    : m_at(bytes.constData()), m_end(bytes.constData() + bytes.size())
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        m_at += 3;
}

bool Lines::next(std::string_view &line)
{
    if (m_at == m_end)
        return false;
    const void *found = std::memchr(m_at, '\n', size_t(m_end - m_at));
    const char *stop = found ? static_cast<const char *>(found) : m_end;
    line = std::string_view(m_at, size_t(stop - m_at));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_at = found ? stop + 1 : m_end;
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
    const auto known = m_byBytes.constFind(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (known != m_byBytes.cend())
        return known.value();

    const QString text = decode(bytes);
    quint32 index = m_byText.value(text, 0);
    if (index == 0) {
        index = quint32(m_texts.size());
        m_texts.append(text);
        m_byText.insert(text, index);
    }
    m_byBytes.insert(QByteArray(bytes.data(), qsizetype(bytes.size())), index);
    return index;
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

SkippedLines::SkippedLines(Observations &into, quint16 file)
    : m_into(into), m_file(file), m_first(into.skipped.size())
{
}

bool SkippedLines::add(qint64 line, const QString &reason)
{
    m_into.skipped.push_back({m_file, line, reason});
    return m_into.skipped.size() - m_first <= MostSkippedLines;
}

QString notAavso()
{
    return QStringLiteral("non è un file AAVSO Extended né un file del database AAVSO.");
}

QString tooManySkipped()
{
    return QStringLiteral("ha più di %1 righe che non si possono leggere.").arg(MostSkippedLines);
}

} // namespace LightCurve::Reading

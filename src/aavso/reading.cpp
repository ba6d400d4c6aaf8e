#include "reading.h"

#include "bands.h"
#include "vocabulary.h"

#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <cstring>

namespace Aavso::LightCurve::Reading {

namespace {

// Beyond any date since the Julian period began until far in the future.
constexpr double LastJulianDate = 1e7;

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
    return field.empty() || equalsIgnoringCase(field, Aavso::NotAvailable);
}

namespace {

constexpr std::ptrdiff_t DigitsInAWord = 19; // never beyond 2^64
constexpr double ExactPowersOfTen[DigitsInAWord + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                                         1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
constexpr std::uint64_t ExactIntegers = std::uint64_t(1) << 53;

// A plain decimal ("-12.345") of few digits: the integer of its digits and
// the power of ten it is divided by are both exact in a double, so one
// correctly rounded division gives the value from_chars gives. False for
// any other form, left to from_chars.
bool readPlainDecimal(const char *at, const char *const end, double &value)
{
    const bool negative = at != end && *at == '-';
    at += negative ? 1 : 0;
    std::uint64_t digits = 0;
    const auto readDigits = [&] {
        const char *const first = at;
        for (; at != end && unsigned(*at - '0') < 10; ++at)
            digits = digits * 10 + unsigned(*at - '0');
        return at - first;
    };
    const std::ptrdiff_t whole = readDigits();
    std::ptrdiff_t decimals = 0;
    if (at != end && *at == '.') {
        ++at;
        decimals = readDigits();
        if (decimals == 0)
            return false;
    }
    if (at != end || whole == 0 || whole + decimals > DigitsInAWord || digits > ExactIntegers)
        return false;
    const double magnitude = double(digits) / ExactPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

bool readNumber(std::string_view field, double &value)
{
    const char *end = field.data() + field.size();
    if (readPlainDecimal(field.data(), end, value))
        return true;
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

TextTable::TextTable(Observations &into)
    : m_into(into), m_slots(16)
{
    for (qsizetype i = 1; i < into.texts.size(); ++i) {
        const QByteArray bytes = into.texts.at(i).toUtf8();
        const std::string_view key(bytes.constData(), size_t(bytes.size()));
        insert(key, std::hash<std::string_view>()(key), quint32(i));
    }
}

TextTable::TextTable(Observations &into, const TextTable &from)
    : m_into(into), m_slots(from.m_slots), m_used(from.m_used), m_keys(from.m_keys)
{
    for (const auto &[name, band] : from.m_bands)
        m_bands.emplace(m_bandNames.emplace_back(name), band);
}

quint32 TextTable::find(std::string_view bytes, size_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot &slot = m_slots[at];
        if (slot.text == 0)
            return 0;
        if (slot.hash == hash && std::string_view(m_keys).substr(slot.start, slot.length) == bytes)
            return slot.text;
    }
}

quint32 TextTable::index(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const size_t hash = std::hash<std::string_view>()(bytes);
    if (const quint32 known = find(bytes, hash))
        return known;
    m_into.texts.append(decode(bytes));
    return insert(bytes, hash, quint32(m_into.texts.size() - 1));
}

std::vector<quint32> TextTable::join(const TextTable &later, quint32 firstNew)
{
    std::vector<quint32> here(size_t(later.m_into.texts.size()));
    for (quint32 text = 0; text < firstNew; ++text)
        here[text] = text;
    std::vector<const Slot *> owner(here.size(), nullptr);
    for (const Slot &slot : later.m_slots) {
        if (slot.text >= firstNew)
            owner[slot.text] = &slot;
    }
    // Every text a table adds, it adds through a slot of its own.
    for (size_t text = firstNew; text < here.size(); ++text) {
        const Slot &slot = *owner[text];
        const std::string_view bytes = std::string_view(later.m_keys).substr(slot.start, slot.length);
        here[text] = find(bytes, slot.hash);
        if (here[text] == 0) {
            m_into.texts.append(later.m_into.texts.at(qsizetype(text)));
            here[text] = insert(bytes, slot.hash, quint32(m_into.texts.size() - 1));
        }
    }
    return here;
}

quint32 TextTable::indexOfText(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return index(std::string_view(bytes.constData(), size_t(bytes.size())));
}

quint32 TextTable::insert(std::string_view bytes, size_t hash, quint32 text)
{
    if (2 * (m_used + 1) > m_slots.size())
        grow();
    const size_t mask = m_slots.size() - 1;
    size_t at = hash & mask;
    while (m_slots[at].text != 0)
        at = (at + 1) & mask;
    m_slots[at] = {hash, text, quint32(bytes.size()), m_keys.size()};
    m_keys.append(bytes);
    ++m_used;
    return text;
}

void TextTable::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (slot.text == 0)
            continue;
        size_t at = slot.hash & mask;
        while (m_slots[at].text != 0)
            at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}

TextTable::NamedBand TextTable::band(std::string_view bytes)
{
    if (bytes.empty())
        return {0, false};
    const auto known = m_bands.find(bytes);
    if (known != m_bands.end())
        return known->second;

    const QString written = decode(bytes);
    const Bands::Band *band = Bands::find(written);
    const NamedBand named{band ? indexOfText(band->code) : index(bytes), band != nullptr};
    m_bands.emplace(m_bandNames.emplace_back(bytes), named);
    return named;
}

quint32 TextTable::note(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    m_into.noteBytes.append(bytes.data(), qsizetype(bytes.size()));
    m_into.noteEnds.push_back(quint64(m_into.noteBytes.size()));
    return quint32(m_into.noteEnds.size() - 1);
}

QString readValues(Observation &observation, std::string_view date,
                   std::string_view magnitude, std::string_view error)
{
    if (!readNumber(date, observation.jd) || observation.jd < 0 || observation.jd >= LastJulianDate)
        return BadDate;

    observation.fainter = !magnitude.empty() && magnitude.front() == '<';
    if (observation.fainter)
        magnitude.remove_prefix(1);
    if (!magnitude.empty() && magnitude.back() == ':')
        magnitude.remove_suffix(1); // the number stands as given
    if (!readNumber(trimmed(magnitude), observation.magnitude)
        || !Aavso::Magnitudes.contains(observation.magnitude))
        return BadMagnitude;

    if (notAvailable(error))
        observation.error = std::numeric_limits<double>::quiet_NaN();
    else if (!readNumber(error, observation.error) || !Aavso::Errors.contains(observation.error))
        return BadError;
    return QString();
}

LineReader::LineReader(Observations &into, quint16 file)
    : m_into(into), m_file(file), m_texts(into), m_firstSkipped(into.skipped.size())
{
}

LineReader::LineReader(Observations &into, const LineReader &from)
    : m_into(into), m_file(from.m_file), m_texts(into, from.m_texts), m_firstSkipped(into.skipped.size()),
      m_firstNewText(quint32(into.texts.size()))
{
}

QString LineReader::join(LineReader &twin, qint64 lines, const QString &refusal)
{
    Observations &later = twin.m_into;
    if (m_into.skipped.size() - m_firstSkipped + later.skipped.size() > MostSkippedLines)
        return TooManyUnreadable.arg(MostSkippedLines);
    if (!refusal.isEmpty())
        return refusal;

    const std::vector<quint32> here = m_texts.join(twin.m_texts, twin.m_firstNewText);
    const quint32 notesBefore = quint32(m_into.noteEnds.size() - 1);
    const quint64 noteBytesBefore = m_into.noteEnds.back();
    m_into.noteBytes.append(later.noteBytes);
    m_into.noteEnds.reserve(m_into.noteEnds.size() + later.noteEnds.size() - 1);
    for (size_t note = 1; note < later.noteEnds.size(); ++note)
        m_into.noteEnds.push_back(noteBytesBefore + later.noteEnds[note]);
    later.noteBytes = QByteArray();

    std::vector<Observation> &observations = m_into.observations;
    observations.reserve(observations.size() + later.observations.size());
    for (Observation observation : later.observations) {
        observation.star = here[observation.star];
        observation.band = here[observation.band];
        observation.observer = here[observation.observer];
        observation.notes += observation.notes == 0 ? 0 : notesBefore;
        observations.push_back(observation);
    }
    for (SkippedLine &skipped : later.skipped)
        m_into.skipped.push_back({skipped.file, skipped.line + lines, std::move(skipped.reason)});
    m_into.files[m_file] = later.files[m_file];
    follow(twin);
    return QString();
}

QString LineReader::settle(Observation &observation, qint64 number, const QString &reason)
{
    if (reason.isEmpty()) {
        observation.file = m_file;
        std::vector<Observation> &observations = m_into.observations;
        if (observations.size() == observations.capacity())
            observations.reserve(grown(observations.capacity()));
        observations.push_back(observation);
        return QString();
    }
    m_into.skipped.push_back({m_file, number, reason});
    if (m_into.skipped.size() - m_firstSkipped <= MostSkippedLines)
        return QString();
    return TooManyUnreadable.arg(MostSkippedLines);
}

QString notAavso()
{
    return NoObservations;
}

} // namespace Aavso::LightCurve::Reading

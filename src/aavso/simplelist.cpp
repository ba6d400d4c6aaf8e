// The lists observers keep by hand, an observation a line: the Julian date,
// the magnitude, then perhaps its error and perhaps an observer code or a
// band, apart by blanks, tabs, commas or no-break spaces. "<" before the
// magnitude, with or without a blank after it, marks a fainter-than
// estimate, and ":" after it an uncertain one; lines starting with "#" are
// comments. Lines around the data (a mail with the data pasted in) are
// skipped, each with its reason. Dates from 10000 to 100000 are JD − 2400000,
// or MJD when a comment or a line of text before the first observation
// names MJD; a file keeps to the first form it uses. A third word that is a
// number is the error; one in letters is a band when Bands::find knows it,
// else the observer's code; a line that names no band has UnknownBand.

#include "reading.h"

#include <array>
#include <optional>
#include <string>

namespace Aavso::LightCurve {

using namespace Reading;

namespace {

// Date, "<", magnitude, error, observer or band; one more tells a line of text.
using Words = std::array<std::string_view, 6>;

constexpr Aavso::Range ReducedJulianDates{10000, 100000};
constexpr double ReducedStart = 2400000;
constexpr double ModifiedStart = 2400000.5;

bool isLetterOrDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// `line` with its no-break spaces made blanks: U+00A0 in UTF-8 (C2 A0) or in
// Latin-1 (an A0 byte after an ASCII one; after any other byte, A0 ends a
// UTF-8 character such as "à").
void blankNoBreakSpaces(std::string_view line, std::string &into)
{
    into.assign(line);
    for (size_t at = 0; at < into.size(); ++at) {
        if (static_cast<unsigned char>(into[at]) != 0xA0)
            continue;
        const unsigned char before = at == 0 ? 0 : static_cast<unsigned char>(into[at - 1]);
        if (before == 0xC2)
            into[at - 1] = ' ';
        if (before == 0xC2 || before < 0x80)
            into[at] = ' ';
    }
}

// The words of `line`, as many as it has up to one more than a line of data
// holds.
size_t splitWords(std::string_view line, Words &words)
{
    static constexpr std::string_view Separators = " \t,";
    size_t count = 0;
    for (size_t start = line.find_first_not_of(Separators);
         start != std::string_view::npos && count < words.size();) {
        const size_t stop = line.find_first_of(Separators, start);
        words[count++] = line.substr(start, stop - start);
        start = line.find_first_not_of(Separators, stop);
    }
    return count;
}

bool startsNumber(std::string_view word)
{
    const char c = word.front();
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-';
}

class SimpleListReader : public LineReader
{
public:
    SimpleListReader(Observations &into, quint16 file, const QString &star, bool mjdNamed)
        : LineReader(into, file), m_star(m_texts.indexOfText(star)), m_before(into.observations.size()),
          m_mjdNamed(mjdNamed)
    {
    }
    SimpleListReader(Observations &into, const SimpleListReader &from)
        : LineReader(into, from), m_star(from.m_star), m_before(into.observations.size()),
          m_mjdNamed(from.m_mjdNamed), m_dated(from.m_dated)
    {
    }

    QString line(std::string_view line, qint64 number) override
    {
        const std::string_view content = trimmed(line);
        if (content.empty())
            return QString();
        if (content.front() == '#') {
            noteMjd(content);
            return QString();
        }
        blankNoBreakSpaces(content, m_line);
        const size_t count = splitWords(m_line, m_words);
        if (count == 0)
            return QString(); // nothing but separators

        const bool fainterApart = count > 2 && m_words[1] == "<";
        const size_t magnitude = fainterApart ? 2 : 1;
        size_t next = magnitude + 1;
        const std::string_view error = next < count && startsNumber(m_words[next]) ? m_words[next++] : "";
        const std::string_view name = next < count ? m_words[next++] : "";

        Observation observation;
        QString reason;
        double jd = 0;
        if (!readNumber(m_words[0], jd)) {
            reason = NotData;
            noteMjd(content);
        } else if (!takeDateForm(jd)) {
            reason = BadDate;
        } else if (next < count) {
            reason = TooManyWords;
        } else {
            reason = readValues(observation, m_words[0], magnitude < count ? m_words[magnitude] : "", error);
        }
        if (reason.isEmpty()) {
            const TextTable::NamedBand band = m_texts.band(name);
            observation.star = m_star;
            observation.band = band.known ? band.text : m_texts.indexOfText(UnknownBand);
            observation.observer = band.known ? 0 : m_texts.index(name);
            observation.fainter = observation.fainter || fainterApart;
            observation.jd += dateStart(m_into.files[m_file].dates);
        }
        return settle(observation, number, reason);
    }

    QString end() override { return m_into.observations.size() > m_before ? QString() : notAavso(); }

    std::unique_ptr<LineReader> twin(Observations &into) const override
    {
        return std::make_unique<SimpleListReader>(into, *this);
    }

    // The first date fixes the form of the dates; until then a comment may name MJD.
    std::string state() const override
    {
        return {char(m_mjdNamed), char(m_dated), char(m_into.files[m_file].dates)};
    }

private:
    void noteMjd(std::string_view text) { m_mjdNamed = m_mjdNamed || (!m_dated && namesMjd(text)); }

    // Whether `jd` is written in the file's form of date, the first date
    // giving the form.
    bool takeDateForm(double jd)
    {
        const std::optional<DateForm> form = FullJulianDates.contains(jd) ? DateForm::Julian
            : !ReducedJulianDates.contains(jd)                            ? std::optional<DateForm>()
            : m_mjdNamed                                                  ? DateForm::Modified
                                                                          : DateForm::Reduced;
        if (!form)
            return false;
        DateForm &dates = m_into.files[m_file].dates;
        if (!m_dated) {
            dates = *form;
            m_dated = true;
        }
        return *form == dates;
    }

    // The full Julian date a date of `form` counts from.
    static double dateStart(DateForm form)
    {
        switch (form) {
        case DateForm::Julian: break;
        case DateForm::Reduced: return ReducedStart;
        case DateForm::Modified: return ModifiedStart;
        }
        return 0;
    }

    const quint32 m_star;
    const size_t m_before; // observations before this file's
    std::string m_line;
    Words m_words;
    bool m_mjdNamed;      // by a line before the first date
    bool m_dated = false; // the file's form of date is known
};

} // namespace

std::unique_ptr<LineReader> Reading::simpleListReader(Observations &into, quint16 file, const QString &star,
                                                      bool mjdNamed)
{
    return std::make_unique<SimpleListReader>(into, file, star, mjdNamed);
}

bool Reading::namesMjd(std::string_view line)
{
    for (size_t at = 0; at + 3 <= line.size(); ++at) {
        if (equalsIgnoringCase(line.substr(at, 3), "MJD") && (at == 0 || !isLetterOrDigit(line[at - 1]))
            && (at + 3 == line.size() || !isLetterOrDigit(line[at + 3])))
            return true;
    }
    return false;
}

} // namespace Aavso::LightCurve

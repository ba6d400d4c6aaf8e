#include "extended.h"

#include "reading.h"

#include <algorithm>
#include <charconv>

namespace Aavso {

using namespace LightCurve::Reading;

namespace {

// "#DELIM=" gives the character itself, any visible one but "#" (a tab
// too), its decimal code ("44", "9" for the tab), or the name of one. A tab
// stands alone after "=", so the value is taken as it is before blanks are
// trimmed.
bool readDelimiter(std::string_view raw, char &delimiter)
{
    static constexpr std::array<std::pair<std::string_view, char>, 5> names{{
        {"comma", ','}, {"tab", '\t'}, {"pipe", '|'}, {"semicolon", ';'}, {"exclamation", '!'}}};
    const auto usable = [](int c) { return c == '\t' || (c > ' ' && c <= '~' && c != '#'); };
    const std::string_view value = raw.size() == 1 ? raw : trimmed(raw);
    int code = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), code);
    if (error == std::errc() && end == value.data() + value.size()) {
        delimiter = char(code);
        return usable(code);
    }
    if (value.size() == 1 && usable(value[0])) {
        delimiter = value[0];
        return true;
    }
    for (const auto &[name, character] : names) {
        if (equalsIgnoringCase(value, name)) {
            delimiter = character;
            return true;
        }
    }
    return false;
}

// The record's fields, trimmed; as many as the line has, up to `most`.
size_t splitRecord(std::string_view line, char delimiter, size_t most, ExtendedScanner::Fields &fields)
{
    size_t count = 0;
    for (;;) {
        const size_t stop = line.find(delimiter);
        fields[count++] = trimmed(line.substr(0, stop));
        if (stop == std::string_view::npos || count == most)
            return count;
        line.remove_prefix(stop + 1);
    }
}

} // namespace

ExtendedScanner::Line ExtendedScanner::scan(std::string_view line)
{
    const std::string_view content = trimmed(line);
    if (content.empty())
        return Line::Blank;
    if (content.front() == '#') {
        // Blanks after the value stay: "#DELIM=" may be followed by a tab.
        return readParameter(line.substr(size_t(content.data() - line.data())));
    }
    if (!m_parameters.extended)
        return refuse(Fault::NotExtended);
    m_fieldCount = splitRecord(line, m_parameters.delimiter, std::min(m_fieldsWanted, m_fields.size()), m_fields);
    return Line::Record;
}

ExtendedScanner::Line ExtendedScanner::readParameter(std::string_view line)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return Line::Comment;
    const std::string_view name = trimmed(line.substr(1, equals - 1));
    const std::string_view raw = line.substr(equals + 1);
    const std::string_view value = trimmed(raw);
    Parameters &p = m_parameters;
    if (equalsIgnoringCase(name, Parameter::Type)) {
        p.extended = equalsIgnoringCase(value, "EXTENDED");
        if (!p.extended)
            return refuse(Fault::NotExtended, value);
    } else if (equalsIgnoringCase(name, Parameter::ObsCode)) {
        p.observer = value;
    } else if (equalsIgnoringCase(name, Parameter::Software)) {
        p.own = equalsIgnoringCase(value.substr(0, value.find(' ')), SoftwareName);
    } else if (equalsIgnoringCase(name, Parameter::Delimiter)) {
        if (!readDelimiter(raw, p.delimiter))
            return refuse(Fault::UnknownDelimiter, value);
        p.delimiterNamed = true;
    } else if (equalsIgnoringCase(name, Parameter::Date)) {
        if (equalsIgnoringCase(value, "EXCEL"))
            return refuse(Fault::ExcelDates, value);
        if (equalsIgnoringCase(value, "JD"))
            p.dates = Dates::Jd;
        else if (equalsIgnoringCase(value, "HJD"))
            p.dates = Dates::Hjd;
        else if (equalsIgnoringCase(value, "BJD"))
            p.dates = Dates::Bjd;
        else
            return refuse(Fault::UnknownDates, value);
    }
    return Line::Parameter;
}

ExtendedScanner::Line ExtendedScanner::refuse(Fault fault, std::string_view value)
{
    m_fault = fault;
    m_faultyValue = QString::fromUtf8(value.data(), qsizetype(value.size()));
    return Line::Refused;
}

} // namespace Aavso

namespace Aavso::LightCurve {

using namespace Reading;
using Aavso::ExtendedScanner;

namespace {

QString refusal(const ExtendedScanner &scanner)
{
    switch (scanner.fault()) {
    case ExtendedScanner::Fault::NotExtended:
        break;
    case ExtendedScanner::Fault::UnknownDelimiter:
        return UnknownDelimiter.arg(scanner.faultyValue());
    case ExtendedScanner::Fault::ExcelDates:
        return ExcelDates;
    case ExtendedScanner::Fault::UnknownDates:
        return UnknownDates.arg(scanner.faultyValue());
    }
    return notAavso();
}

class ExtendedReader : public LineReader
{
public:
    using LineReader::LineReader;
    ExtendedReader(Observations &into, const ExtendedReader &from)
        : LineReader(into, from), m_scanner(from.m_scanner), m_observer(from.m_observer)
    {
    }

    QString line(std::string_view line, qint64 number) override
    {
        using Field = ExtendedScanner::Field;
        switch (m_scanner.scan(line)) {
        case ExtendedScanner::Line::Blank:
        case ExtendedScanner::Line::Comment:
            return QString();
        case ExtendedScanner::Line::Parameter:
            m_observer = m_texts.index(m_scanner.parameters().observer);
            m_into.files[m_file].own = m_scanner.parameters().own;
            return QString();
        case ExtendedScanner::Line::Refused:
            return refusal(m_scanner);
        case ExtendedScanner::Line::Record:
            break;
        }

        const ExtendedScanner::Fields &fields = m_scanner.fields();
        const size_t count = m_scanner.fieldCount();
        Observation observation;
        QString reason;
        if (count > ExtendedScanner::RecordFields)
            reason = TooManyFields.arg(ExtendedScanner::RecordFields);
        else if (count < ExtendedScanner::RecordFields)
            reason = WrongFieldCount.arg(count).arg(ExtendedScanner::RecordFields);
        else if (notAvailable(fields[Field::StarId]))
            reason = MissingStar;
        else if (notAvailable(fields[Field::Filter]))
            reason = MissingBand;
        else
            reason = readValues(observation, fields[Field::Date], fields[Field::Magnitude], fields[Field::MagErr]);
        if (reason.isEmpty()) {
            observation.star = m_texts.index(fields[Field::StarId]);
            observation.band = m_texts.band(fields[Field::Filter]).text;
            observation.observer = m_observer;
            observation.notes = notAvailable(fields[Field::Notes]) ? 0 : m_texts.note(fields[Field::Notes]);
        }
        return settle(observation, number, reason);
    }

    QString end() override { return m_scanner.parameters().extended ? QString() : notAavso(); }

    std::unique_ptr<LineReader> twin(Observations &into) const override
    {
        return std::make_unique<ExtendedReader>(into, *this);
    }

    // A parameter line may come anywhere.
    std::string state() const override
    {
        const ExtendedScanner::Parameters &p = m_scanner.parameters();
        return std::string{char(p.extended), p.delimiter, char(p.delimiterNamed), char(p.dates), char(p.own)}
            + p.observer;
    }

    void follow(const LineReader &twin) override
    {
        m_scanner.setParameters(static_cast<const ExtendedReader &>(twin).m_scanner.parameters());
    }

private:
    ExtendedScanner m_scanner;
    quint32 m_observer = 0;
};

} // namespace

std::unique_ptr<LineReader> Reading::extendedReader(Observations &into, quint16 file)
{
    return std::make_unique<ExtendedReader>(into, file);
}

} // namespace Aavso::LightCurve

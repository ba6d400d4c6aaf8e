// The AAVSO Extended format: "#NAME=value" parameter lines, other "#" lines
// are comments, then one record of 15 fields per line:
// STARID,DATE,MAGNITUDE,MAGERR,FILTER,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,
// AIRMASS,GROUP,CHART,NOTES. Names and words are read in any letter case.

#include "reading.h"

#include <array>

namespace LightCurve {

using namespace Reading;

namespace {

constexpr size_t RecordFields = 15;
enum Field { StarId = 0, Date = 1, Magnitude = 2, MagErr = 3, Filter = 4, Notes = 14 };

struct Parameters
{
    char delimiter = ',';
    bool extended = false;
    quint32 observer = 0;
};

// "#DELIM=" gives the character itself, any visible one but "#", or the name
// of one. A tab stands alone after "=", so the value is taken as it is
// before blanks are trimmed.
bool readDelimiter(std::string_view raw, char &delimiter)
{
    static constexpr std::array<std::pair<std::string_view, char>, 5> names{{
        {"comma", ','}, {"tab", '\t'}, {"pipe", '|'}, {"semicolon", ';'}, {"exclamation", '!'}}};
    const std::string_view value = raw.size() == 1 ? raw : trimmed(raw);
    if (value.size() == 1 && (value[0] == '\t' || (value[0] > ' ' && value[0] <= '~' && value[0] != '#'))) {
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

// Empty when the parameter is usable (or a comment); otherwise why the
// whole file is refused.
QString readParameter(std::string_view line, Parameters &parameters, SourceFile &source,
                      TextTable &texts)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return QString();
    const std::string_view name = trimmed(line.substr(1, equals - 1));
    const std::string_view raw = line.substr(equals + 1);
    const std::string_view value = trimmed(raw);
    if (equalsIgnoringCase(name, "TYPE")) {
        parameters.extended = equalsIgnoringCase(value, "EXTENDED");
        return parameters.extended ? QString() : notAavso();
    }
    if (equalsIgnoringCase(name, "OBSCODE"))
        parameters.observer = texts.index(value);
    else if (equalsIgnoringCase(name, "SOFTWARE"))
        source.own = equalsIgnoringCase(value.substr(0, value.find(' ')), "Vevurid");
    else if (equalsIgnoringCase(name, "DELIM") && !readDelimiter(raw, parameters.delimiter))
        return QStringLiteral("delimitatore sconosciuto: \"%1\".")
            .arg(QString::fromUtf8(value.data(), qsizetype(value.size())));
    else if (equalsIgnoringCase(name, "DATE")) {
        if (equalsIgnoringCase(value, "EXCEL"))
            return QStringLiteral("le date sono in formato EXCEL: servono date giuliane (JD, HJD o BJD).");
        if (!equalsIgnoringCase(value, "JD") && !equalsIgnoringCase(value, "HJD")
            && !equalsIgnoringCase(value, "BJD"))
            return QStringLiteral("tipo di data sconosciuto: \"%1\".")
                .arg(QString::fromUtf8(value.data(), qsizetype(value.size())));
    }
    return QString();
}

// The record's fields, trimmed; as many as the line has, up to one more than
// a record holds.
size_t splitRecord(std::string_view line, char delimiter,
                   std::array<std::string_view, RecordFields + 1> &fields)
{
    size_t count = 0;
    for (;;) {
        const size_t stop = line.find(delimiter);
        fields[count++] = trimmed(line.substr(0, stop));
        if (stop == std::string_view::npos || count == fields.size())
            return count;
        line.remove_prefix(stop + 1);
    }
}

class ExtendedReader : public LineReader
{
public:
    using LineReader::LineReader;

    QString line(std::string_view line, qint64 number) override
    {
        const std::string_view content = trimmed(line);
        if (content.empty())
            return QString();
        if (content.front() == '#') {
            // Blanks after the value stay: "#DELIM=" may be followed by a tab.
            const std::string_view parameter = line.substr(size_t(content.data() - line.data()));
            return readParameter(parameter, m_parameters, m_into.files[m_file], m_texts);
        }
        if (!m_parameters.extended)
            return notAavso();

        const size_t count = splitRecord(line, m_parameters.delimiter, m_fields);
        Observation observation;
        QString reason;
        if (count > RecordFields)
            reason = QStringLiteral("più di %1 campi").arg(RecordFields);
        else if (count < RecordFields)
            reason = QStringLiteral("%1 campi invece di %2").arg(count).arg(RecordFields);
        else if (notAvailable(m_fields[StarId]))
            reason = QStringLiteral("stella mancante");
        else if (notAvailable(m_fields[Filter]))
            reason = QStringLiteral("filtro mancante");
        else
            reason = readValues(observation, m_fields[Date], m_fields[Magnitude], m_fields[MagErr]);
        if (reason.isEmpty()) {
            observation.star = m_texts.index(m_fields[StarId]);
            observation.band = m_texts.band(m_fields[Filter]).text;
            observation.observer = m_parameters.observer;
            observation.notes = notAvailable(m_fields[Notes]) ? 0 : m_texts.note(m_fields[Notes]);
        }
        return settle(observation, number, reason);
    }

    QString end() override { return m_parameters.extended ? QString() : notAavso(); }

private:
    Parameters m_parameters;
    std::array<std::string_view, RecordFields + 1> m_fields;
};

} // namespace

std::unique_ptr<LineReader> Reading::extendedReader(Observations &into, quint16 file)
{
    return std::make_unique<ExtendedReader>(into, file);
}

} // namespace LightCurve

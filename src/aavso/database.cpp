// The AAVSO International Database download: comma-separated, a header line
// naming the columns (in any order, with others between them), fields in
// double quotes where they hold a comma, a quote inside doubled.

#include "reading.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace LightCurve {

using namespace Reading;

namespace {

enum Column { Jd, Magnitude, Uncertainty, Band, Observer, StarName, Comments, ColumnCount };
constexpr std::array<std::string_view, ColumnCount> ColumnNames{
    "JD", "Magnitude", "Uncertainty", "Band", "Observer Code", "Star Name", "Comments"};
constexpr size_t Absent = size_t(-1);

// The fields of one line, trimmed and without their quotes; false when a
// quote is left open or text follows a closing quote. A quoted field is
// copied into `unquoted`, which holds room for the whole line beforehand so
// that the views into it stay valid.
bool splitCsv(std::string_view line, std::vector<std::string_view> &fields, std::string &unquoted)
{
    fields.clear();
    unquoted.clear();
    unquoted.reserve(line.size());
    for (;;) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '"') {
            const size_t start = unquoted.size();
            size_t at = 1;
            for (;; ++at) {
                if (at == line.size())
                    return false;
                if (line[at] == '"') {
                    if (at + 1 == line.size() || line[at + 1] != '"')
                        break;
                    ++at;
                }
                unquoted.push_back(line[at]);
            }
            fields.push_back(trimmed(std::string_view(unquoted).substr(start)));
            line = trimmed(line.substr(at + 1));
            if (!line.empty() && line.front() != ',')
                return false;
        } else {
            const size_t stop = line.find(',');
            fields.push_back(trimmed(line.substr(0, stop)));
            line = line.substr(std::min(stop, line.size()));
        }
        if (line.empty())
            return true;
        line.remove_prefix(1); // the comma
    }
}

// A visual estimate the observer was unsure of ends in ":"; the number
// stands as given.
std::string_view withoutDoubt(std::string_view magnitude)
{
    if (!magnitude.empty() && magnitude.back() == ':')
        magnitude.remove_suffix(1);
    return trimmed(magnitude);
}

class DatabaseReader : public LineReader
{
public:
    using LineReader::LineReader;

    QString line(std::string_view line, qint64 number) override
    {
        if (isBlank(line))
            return QString();
        if (!m_headerRead)
            return readHeader(line);

        Observation observation;
        QString reason;
        if (!splitCsv(line, m_fields, m_unquoted))
            reason = QStringLiteral("virgolette non valide");
        else if (m_fields.size() < m_needed)
            reason = QStringLiteral("%1 campi invece di %2").arg(m_fields.size()).arg(m_needed);
        else if (field(StarName).empty())
            reason = QStringLiteral("stella mancante");
        else if (field(Band).empty())
            reason = QStringLiteral("filtro mancante");
        else
            reason = readValues(observation, field(Jd), withoutDoubt(field(Magnitude)), field(Uncertainty));
        if (reason.isEmpty()) {
            observation.star = m_texts.index(field(StarName));
            observation.band = m_texts.index(field(Band));
            observation.observer = m_texts.index(field(Observer));
            observation.notes = m_texts.index(field(Comments));
        }
        return settle(observation, number, reason);
    }

    QString end() override { return m_headerRead ? QString() : notAavso(); }

private:
    QString readHeader(std::string_view line)
    {
        if (!splitCsv(line, m_fields, m_unquoted))
            return notAavso();
        for (size_t c = 0; c < ColumnCount; ++c) {
            const auto found = std::find_if(m_fields.cbegin(), m_fields.cend(), [&](std::string_view name) {
                return equalsIgnoringCase(name, ColumnNames[c]);
            });
            m_columns[c] = found == m_fields.cend() ? Absent : size_t(found - m_fields.cbegin());
            if (m_columns[c] == Absent && c != Comments)
                return notAavso();
            if (m_columns[c] != Absent)
                m_needed = std::max(m_needed, m_columns[c] + 1);
        }
        m_headerRead = true;
        return QString();
    }

    // Empty for a column the file does not have.
    std::string_view field(Column column) const
    {
        return m_columns[column] == Absent ? std::string_view() : m_fields[m_columns[column]];
    }

    bool m_headerRead = false;
    std::array<size_t, ColumnCount> m_columns{};
    size_t m_needed = 0; // fields a line must have
    std::vector<std::string_view> m_fields;
    std::string m_unquoted;
};

} // namespace

std::unique_ptr<LineReader> Reading::databaseReader(Observations &into, quint16 file)
{
    return std::make_unique<DatabaseReader>(into, file);
}

} // namespace LightCurve

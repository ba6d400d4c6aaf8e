// Observations as VSX's interface hands them out: fields apart by "@@@",
// unquoted, the first line naming the columns in any order, some absent.
// "fainterThan" 1 marks a fainter-than estimate, "val" D a discrepant one;
// an answer of the header alone holds no observation and is no error.

#include "reading.h"

#include <algorithm>
#include <array>
#include <vector>

namespace Aavso::LightCurve {

using namespace Reading;

namespace {

constexpr std::string_view Separator = "@@@";

enum Column { Jd, Magnitude, Uncertainty, Band, Observer, StarName, Comment, Validation, FainterThan, ColumnCount };
constexpr std::array<std::string_view, ColumnCount> ColumnNames{
    "JD", "mag", "uncert", "band", "by", "starName", "comment", "val", "fainterThan"};
// Without these a line is no observation.
constexpr std::array<Column, 3> Needed{Jd, Magnitude, Band};
constexpr size_t Absent = size_t(-1);
using Columns = std::array<size_t, ColumnCount>;

void split(std::string_view line, std::vector<std::string_view> &fields)
{
    fields.clear();
    for (;;) {
        const size_t at = line.find(Separator);
        fields.push_back(trimmed(line.substr(0, at)));
        if (at == std::string_view::npos)
            return;
        line.remove_prefix(at + Separator.size());
    }
}

// Where each column lies in the header `line`; false when it is none.
bool findColumns(std::string_view line, Columns &columns)
{
    if (line.find(Separator) == std::string_view::npos)
        return false;
    std::vector<std::string_view> names;
    split(line, names);
    for (size_t c = 0; c < ColumnCount; ++c) {
        const auto found = std::find_if(names.cbegin(), names.cend(), [&](std::string_view name) {
            return equalsIgnoringCase(name, ColumnNames[c]);
        });
        columns[c] = found == names.cend() ? Absent : size_t(found - names.cbegin());
    }
    return std::all_of(Needed.cbegin(), Needed.cend(), [&](Column c) { return columns[c] != Absent; });
}

class DelimitedReader : public LineReader
{
public:
    DelimitedReader(Observations &into, quint16 file, const QString &star)
        : LineReader(into, file), m_star(m_texts.indexOfText(star))
    {
    }
    DelimitedReader(Observations &into, const DelimitedReader &from)
        : LineReader(into, from), m_star(from.m_star), m_opened(from.m_opened), m_columns(from.m_columns),
          m_needed(from.m_needed)
    {
    }

    QString line(std::string_view line, qint64 number) override
    {
        if (isBlank(line))
            return QString();
        if (!m_opened) {
            if (!findColumns(line, m_columns))
                return notAavso();
            m_opened = true;
            for (const Column column : Needed)
                m_needed = std::max(m_needed, m_columns[column] + 1);
            return QString();
        }
        split(line, m_fields);
        Observation observation;
        QString reason;
        if (m_fields.size() < m_needed)
            reason = WrongFieldCount.arg(m_fields.size()).arg(m_needed);
        else if (field(Band).empty())
            reason = MissingBand;
        else
            reason = readValues(observation, field(Jd), field(Magnitude), field(Uncertainty));
        if (reason.isEmpty()) {
            observation.star = field(StarName).empty() ? m_star : m_texts.index(field(StarName));
            observation.band = m_texts.band(field(Band)).text;
            observation.observer = m_texts.index(field(Observer));
            observation.notes = m_texts.note(field(Comment));
            observation.fainter = observation.fainter || field(FainterThan) == "1";
            observation.discrepant = equalsIgnoringCase(field(Validation), "D");
        }
        return settle(observation, number, reason);
    }

    QString end() override { return m_opened ? QString() : notAavso(); }

    std::unique_ptr<LineReader> twin(Observations &into) const override
    {
        return std::make_unique<DelimitedReader>(into, *this);
    }

    // Set by the header for good.
    std::string state() const override { return m_opened ? "opened" : ""; }

private:
    // Empty for a column the answer or the line does not have.
    std::string_view field(Column column) const
    {
        return m_columns[column] < m_fields.size() ? m_fields[m_columns[column]] : std::string_view();
    }

    const quint32 m_star; // for an answer without starName
    bool m_opened = false;
    Columns m_columns{};
    size_t m_needed = 0; // fields a line must have: the needed columns'; the others may be left off
    std::vector<std::string_view> m_fields;
};

} // namespace

std::unique_ptr<LineReader> Reading::delimitedReader(Observations &into, quint16 file, const QString &star)
{
    return std::make_unique<DelimitedReader>(into, file, star);
}

bool Reading::opensDelimited(std::string_view line)
{
    Columns columns{};
    return findColumns(line, columns);
}

} // namespace Aavso::LightCurve

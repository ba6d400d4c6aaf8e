// The AAVSO International Database download: comma- or tab-separated, a
// header line naming the columns (in any order, with others between them) or
// none at all and the columns in the database's own order, or the older
// download's 16 fields. Fields are in double quotes where they hold the
// separator, a quote inside doubled or after a backslash. An uncertainty of
// 99.999 is the database's mark of none.

#include "reading.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace Aavso::LightCurve {

using namespace Reading;

namespace {

enum Column { Jd, Magnitude, Uncertainty, Band, Observer, StarName, Comments, Validation, ColumnCount };
constexpr std::array<std::string_view, ColumnCount> ColumnNames{
    "JD", "Magnitude", "Uncertainty", "Band", "Observer Code", "Star Name", "Comments", "Validation Flag"};
constexpr size_t Absent = size_t(-1);
using Columns = std::array<size_t, ColumnCount>;

// The older download, without a header: JD, magnitude, uncertainty, band,
// the band again, an empty field, a number, comment codes, observer, star,
// its designation, AUID, the star again, validation flag, observation
// number and an empty field.
constexpr size_t OlderFields = 16;
constexpr Columns OlderColumns{0, 1, 2, 3, 8, 9, Absent, 13};

constexpr std::string_view NoUncertainty = "99.999";

struct Fields
{
    std::vector<std::string_view> views;
    std::string unquoted; // the quoted fields' texts, which `views` point into
};

// Built in place from its two halves: a view pushed whole is written to the
// stack in halves and read back at once, which stalls the processor on
// every field.
void keep(std::vector<std::string_view> &views, std::string_view field)
{
    views.emplace_back(field.data(), field.size());
}

// The fields of one line, trimmed and without their quotes; false when a
// quote is left open or text follows a closing quote. A quoted field with an
// escaped quote is copied into `fields.unquoted`, which holds room for the
// whole line beforehand so that the views into it stay valid; any other
// field is viewed where it lies. Once `wanted` fields are there, the rest is
// only looked at if it holds a quote: without one, no field of it can be
// wrong.
bool split(std::string_view line, char separator, Fields &fields, size_t wanted = size_t(-1))
{
    fields.views.clear();
    fields.unquoted.clear();
    fields.unquoted.reserve(line.size());
    const char *at = line.data();
    const char *const end = at + line.size();
    // The separator is no blank, as it ends a field even when it is a tab.
    const auto skipBlanks = [&] {
        while (at != end && (*at == ' ' || (*at == '\t' && separator != '\t')))
            ++at;
    };
    for (;;) {
        if (at != end && *at == separator) { // an empty field, as most are
            keep(fields.views, std::string_view());
            ++at;
            continue;
        }
        skipBlanks();
        if (at != end && *at == '"') {
            const char *copied = ++at; // the bytes from here to `at` are yet to be copied
            bool escaped = false;
            const size_t start = fields.unquoted.size();
            for (;; ++at) {
                at = findEither(at, end, '"', '\\');
                if (at == end)
                    return false;
                if (at + 1 != end && at[1] == '"') { // an escaped quote: the quote stays, not its escape
                    fields.unquoted.append(copied, at);
                    copied = ++at;
                    escaped = true;
                } else if (*at == '"') {
                    break;
                }
            }
            std::string_view field(copied, size_t(at - copied));
            if (escaped) {
                fields.unquoted.append(field);
                field = std::string_view(fields.unquoted).substr(start);
            }
            keep(fields.views, trimmed(field));
            ++at;
            skipBlanks();
            if (at != end && *at != separator)
                return false;
        } else {
            const char *const stop = findEither(at, end, separator, separator);
            keep(fields.views, trimmed(std::string_view(at, size_t(stop - at))));
            at = stop;
        }
        if (at == end || (fields.views.size() >= wanted && !std::memchr(at, '"', size_t(end - at))))
            return true;
        ++at; // the separator
    }
}

// Where each column lies among `names`; false when one that every record
// needs is missing.
bool findColumns(const std::vector<std::string_view> &names, Columns &columns)
{
    for (size_t c = 0; c < ColumnCount; ++c) {
        const auto found = std::find_if(names.cbegin(), names.cend(), [&](std::string_view name) {
            return equalsIgnoringCase(name, ColumnNames[c]);
        });
        columns[c] = found == names.cend() ? Absent : size_t(found - names.cbegin());
        if (columns[c] == Absent && c != Comments && c != Validation)
            return false;
    }
    return true;
}

enum class Opening { Neither, Header, Record };

// How a download's first line opens it, split by the separator it is
// written with: a header naming the columns, or a record in the database's
// order (a full Julian date first, and all the columns always written).
Opening opening(std::string_view line, char &separator, Fields &fields, Columns &columns)
{
    for (const char candidate : {'\t', ','}) {
        separator = candidate;
        if (!split(line, separator, fields))
            continue;
        if (findColumns(fields.views, columns))
            return Opening::Header;
        double jd = 0;
        if (!readNumber(fields.views[Jd], jd) || !FullJulianDates.contains(jd))
            continue;
        if (fields.views.size() == OlderFields) {
            columns = OlderColumns;
            return Opening::Record;
        }
        if (fields.views.size() >= Aavso::DatabaseColumnsAlways) {
            const std::vector<std::string_view> order(Aavso::DatabaseColumns.cbegin(),
                                                      Aavso::DatabaseColumns.cend());
            findColumns(order, columns);
            return Opening::Record;
        }
    }
    return Opening::Neither;
}

class DatabaseReader : public LineReader
{
public:
    using LineReader::LineReader;
    DatabaseReader(Observations &into, const DatabaseReader &from)
        : LineReader(into, from), m_opened(from.m_opened), m_separator(from.m_separator),
          m_columns(from.m_columns), m_needed(from.m_needed)
    {
    }

    QString line(std::string_view line, qint64 number) override
    {
        if (isBlank(line))
            return QString();
        if (!m_opened) {
            const Opening how = opening(line, m_separator, m_fields, m_columns);
            if (how == Opening::Neither)
                return notAavso();
            m_opened = true;
            for (const size_t at : m_columns) {
                if (at != Absent)
                    m_needed = std::max(m_needed, at + 1);
            }
            if (how == Opening::Header)
                return QString();
        }

        Observation observation;
        QString reason;
        if (!split(line, m_separator, m_fields, m_needed))
            reason = BadQuotes;
        else if (m_fields.views.size() < m_needed)
            reason = WrongFieldCount.arg(m_fields.views.size()).arg(m_needed);
        else if (field(StarName).empty())
            reason = MissingStar;
        else if (field(Band).empty())
            reason = MissingBand;
        else
            reason = readValues(observation, field(Jd), field(Magnitude),
                                field(Uncertainty) == NoUncertainty ? std::string_view() : field(Uncertainty));
        if (reason.isEmpty()) {
            observation.star = m_texts.index(field(StarName));
            observation.band = m_texts.band(field(Band)).text;
            observation.observer = m_texts.index(field(Observer));
            observation.notes = m_texts.note(field(Comments));
            observation.discrepant = equalsIgnoringCase(field(Validation), "D");
        }
        return settle(observation, number, reason);
    }

    QString end() override { return m_opened ? QString() : notAavso(); }

    std::unique_ptr<LineReader> twin(Observations &into) const override
    {
        return std::make_unique<DatabaseReader>(into, *this);
    }

    // Set by the first line for good.
    std::string state() const override { return m_opened ? "opened" : ""; }

private:
    // Empty for a column the file does not have.
    std::string_view field(Column column) const
    {
        return m_columns[column] == Absent ? std::string_view() : m_fields.views[m_columns[column]];
    }

    bool m_opened = false;
    char m_separator = ',';
    Columns m_columns{};
    size_t m_needed = 0; // fields a line must have
    Fields m_fields;
};

} // namespace

std::unique_ptr<LineReader> Reading::databaseReader(Observations &into, quint16 file)
{
    return std::make_unique<DatabaseReader>(into, file);
}

bool Reading::opensDatabase(std::string_view line)
{
    char separator = 0;
    Fields fields;
    Columns columns{};
    return opening(line, separator, fields, columns) != Opening::Neither;
}

} // namespace Aavso::LightCurve

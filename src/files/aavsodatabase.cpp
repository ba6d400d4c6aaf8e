// The AAVSO International Database download: comma-separated, a header line
// naming the columns (in any order, with others between them), fields in
// double quotes where they hold a comma, a quote inside doubled.

#include "aavsoreading.h"

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

} // namespace

QString readDatabase(Observations &into, quint16 file, const QByteArray &bytes)
{
    TextTable texts(into.texts);
    SkippedLines skipped(into, file);
    std::vector<std::string_view> fields;
    std::string unquoted;
    Lines lines(bytes);
    std::string_view line;
    while (lines.next(line) && isBlank(line)) {
    }
    if (!splitCsv(line, fields, unquoted))
        return notAavso();
    std::array<size_t, ColumnCount> columns;
    size_t needed = 0; // fields a line must have
    for (size_t c = 0; c < ColumnCount; ++c) {
        const auto found = std::find_if(fields.cbegin(), fields.cend(), [&](std::string_view name) {
            return equalsIgnoringCase(name, ColumnNames[c]);
        });
        columns[c] = found == fields.cend() ? Absent : size_t(found - fields.cbegin());
        if (columns[c] == Absent && c != Comments)
            return notAavso();
        if (columns[c] != Absent)
            needed = std::max(needed, columns[c] + 1);
    }

    while (lines.next(line)) {
        if (isBlank(line))
            continue;
        Observation observation;
        QString reason;
        if (!splitCsv(line, fields, unquoted))
            reason = QStringLiteral("virgolette non valide");
        else if (fields.size() < needed)
            reason = QStringLiteral("%1 campi invece di %2").arg(fields.size()).arg(needed);
        else if (fields[columns[StarName]].empty())
            reason = QStringLiteral("stella mancante");
        else if (fields[columns[Band]].empty())
            reason = QStringLiteral("filtro mancante");
        else
            reason = readValues(observation, fields[columns[Jd]], fields[columns[Magnitude]],
                                fields[columns[Uncertainty]]);
        if (!reason.isEmpty()) {
            if (!skipped.add(lines.number(), reason))
                return tooManySkipped();
            continue;
        }
        observation.star = texts.index(fields[columns[StarName]]);
        observation.band = texts.index(fields[columns[Band]]);
        observation.observer = texts.index(fields[columns[Observer]]);
        if (columns[Comments] != Absent)
            observation.notes = texts.index(fields[columns[Comments]]);
        observation.file = file;
        into.observations.push_back(observation);
    }
    return QString();
}

} // namespace LightCurve

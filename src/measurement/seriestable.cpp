#include "seriestable.h"

#include "aavso/bands.h"
#include "core/fields.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "files/csv.h"
#include "photometry/magnitude.h"
#include "measurement/skylabel.h"

#include <QFileInfo>

#include <algorithm>

namespace Measurement {

using namespace Imaging;

namespace {

MapSheet copyOf(const Sheet &sheet)
{
    MapSheet copy;
    for (const QString &field : Fields::all())
        copy.setText(field, sheet.text(field));
    return copy;
}

// A number text of the sheet's with "." for its decimal point.
QString pointed(const QString &text)
{
    return QString(text).replace(QLocale().decimalPoint(), QStringLiteral("."));
}

QString fixed(const std::optional<double> &value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString();
}

// A number text of the sheet's to `decimals`; a text that is no number as it is.
QString rounded(const QString &text, int decimals)
{
    const std::optional<double> value = NumberRules::readTyped(text);
    return value ? fixed(value, decimals) : pointed(text);
}

QString csvCell(const SeriesRow &row, SeriesColumn::Column column)
{
    if (column == SeriesColumn::Magnitude)
        return pointed(row.magnitude());
    if (column == SeriesColumn::Error)
        return pointed(row.magnitudeError());
    return seriesCell(row, column);
}

SeriesRow rowOf(const SeriesImage &image, const Sheet &sheet, const QString &checkName, const QString &chart,
                const std::optional<SkyPlace> &place)
{
    SeriesRow row{QFileInfo(image.path).fileName(), image.problem, image.header, image.stars,
                  copyOf(sheet), std::nullopt, std::nullopt, std::nullopt};
    if (place)
        row.sky = exposureSky(*place, image.header).value;
    if (!row.problem.isEmpty())
        return row;
    const SheetEntry entry = sheetEntry(image.stars, image.header, Aavso::Bands::fitsFilterCode(image.header.filter));
    for (const auto &[field, text] : entry.fields)
        row.sheet.setText(field, text);
    FirstMessage said;
    Photometry::magnitude(row.sheet, said);
    if (!said.first.isEmpty()) {
        row.problem = said.first;
        return row;
    }
    row.checkMagnitude = checkMagnitude(image.stars, row.sheet).value;
    const auto &check = image.stars[std::size_t(Role::Check)];
    row.measurement = Aavso::imageMeasurement(entry.counts, check ? std::optional(check->net) : std::nullopt,
                                              usedAirmass(image.header, row.sky), checkName, chart);
    return row;
}

} // namespace

QString SeriesRow::magnitude() const
{
    return problem.isEmpty() ? sheet.text(QLatin1String(Field::MagnitudeVariable)) : QString();
}

QString SeriesRow::magnitudeError() const
{
    return problem.isEmpty() ? sheet.text(QLatin1String(Field::MagnitudeError)) : QString();
}

std::vector<SeriesRow> seriesRows(const std::vector<SeriesImage> &images, const Sheet &sheet,
                                  const QString &checkName, const QString &chart, const SkyHints &hints,
                                  QString *skyNote)
{
    const auto dated = std::find_if(images.begin(), images.end(),
                                    [](const SeriesImage &image) { return image.header.julianDate.has_value(); });
    const SkyTime::Outcome<SkyPlace> place =
        dated == images.end() ? SkyTime::Outcome<SkyPlace>{std::nullopt, SkyTime::Reason::Time}
                              : skyPlace(dated->header, hints);
    if (skyNote) {
        *skyNote = !place.value                      ? SkyNote::NotComputed.arg(place.problem)
                   : place.value->longitudeReversed ? SkyNote::LongitudeReversed
                                                    : QString();
    }
    std::vector<SeriesRow> rows;
    rows.reserve(images.size());
    for (const SeriesImage &image : images)
        rows.push_back(rowOf(image, sheet, checkName, chart, place.value));
    return rows;
}

QString seriesObject(const std::vector<SeriesRow> &rows, const Sheet &sheet)
{
    QString object = sheet.text(QLatin1String(Field::Object)).trimmed();
    if (!object.isEmpty() || rows.empty())
        return object;
    return rows.front().header.object.trimmed();
}

QString seriesCell(const SeriesRow &row, SeriesColumn::Column column)
{
    using namespace SeriesColumn;
    switch (column) {
    case File: return row.file;
    case JulianDate: return fixed(row.header.julianDate, 5);
    case HeliocentricDate: return row.sky ? julianDateText(row.sky->hjd) : QString();
    case BarycentricDate: return row.sky ? julianDateText(row.sky->bjdTdb) : QString();
    case Altitude: return row.sky ? QString::number(row.sky->altitude, 'f', 2) : QString();
    case Airmass: return fixed(usedAirmass(row.header, row.sky), 4);
    case Filter: return row.header.filter;
    case Magnitude: return rounded(row.magnitude(), MagnitudeDecimals);
    case Error: return rounded(row.magnitudeError(), MagnitudeDecimals);
    case Check: return row.problem.isEmpty() ? fixed(row.checkMagnitude, 3) : QString();
    case Problem: return row.problem;
    }
    return QString();
}

QByteArray seriesCsv(const std::vector<SeriesRow> &rows)
{
    QStringList header = SeriesColumn::Titles;
    for (int role = 0; role < RoleCount; ++role) {
        header << QStringLiteral("Netto %1").arg(roleName(Role(role)))
               << QStringLiteral("Cielo %1").arg(roleName(Role(role)));
    }
    Files::CsvWriter table;
    table.addRow(header);
    for (const SeriesRow &row : rows) {
        QStringList cells;
        for (int column = 0; column < int(SeriesColumn::Titles.size()); ++column)
            cells << csvCell(row, SeriesColumn::Column(column));
        for (const auto &star : row.stars) {
            const bool measured = star && star->refusal == Refusal::None;
            cells << (measured ? QString::number(star->net, 'f', 2) : QString())
                  << (measured ? QString::number(star->sky.level, 'f', 3) : QString());
        }
        table.addRow(cells);
    }
    return table.bytes();
}

QList<Aavso::Record> seriesRecords(const std::vector<SeriesRow> &rows, QString &problem)
{
    QList<Aavso::Record> records;
    for (const SeriesRow &row : rows) {
        if (!row.problem.isEmpty())
            continue;
        Aavso::Record record = Aavso::record(row.sheet, row.measurement);
        if (!record.problem.isEmpty()) {
            problem = record.problem;
            return {};
        }
        records << record;
    }
    return records;
}

std::optional<SeriesPoint> seriesPoint(const SeriesRow &row)
{
    // The reading rule takes an empty text for 0: a skipped image has none.
    if (!row.problem.isEmpty() || !row.header.julianDate)
        return std::nullopt;
    const std::optional<double> magnitude = NumberRules::read(row.magnitude());
    if (!magnitude)
        return std::nullopt;
    return SeriesPoint{*row.header.julianDate, *magnitude, NumberRules::read(row.magnitudeError())};
}

Aavso::LightCurve::Observations seriesObservations(const std::vector<SeriesRow> &rows, const QString &star)
{
    Aavso::LightCurve::Observations data;
    data.files.push_back({QString(), true});
    const auto textIndex = [&data](const QString &text) {
        qsizetype at = data.texts.indexOf(text);
        if (at < 0) {
            data.texts << text;
            at = data.texts.size() - 1;
        }
        return quint32(at);
    };
    for (const SeriesRow &row : rows) {
        const std::optional<SeriesPoint> measured = seriesPoint(row);
        if (!measured)
            continue;
        Aavso::LightCurve::Observation point;
        point.jd = measured->julianDate;
        point.magnitude = measured->magnitude;
        point.error = measured->error.value_or(point.error);
        point.star = textIndex(star);
        const Aavso::Bands::Band *band = Aavso::Bands::find(row.sheet.text(QLatin1String(Field::Filter)));
        point.band = textIndex(band ? band->code : row.sheet.text(QLatin1String(Field::Filter)).trimmed());
        point.observer = textIndex(row.sheet.text(QLatin1String(Field::Author)).trimmed());
        data.observations.push_back(point);
    }
    return data;
}

} // namespace Measurement

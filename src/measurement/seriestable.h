#pragma once
// A measured series as the observer sees it: each image's magnitudes are
// those "Al foglio" and then "MAGNITUDINE" would leave on the sheet, so the
// series and the sheet agree to the last digit; the same texts become the
// image's AAVSO record, the table's CSV and the light curve's points.

#include "measurement/series.h"
#include "measurement/exposuresky.h"
#include "measurement/sheetentry.h"
#include "aavso/extendedwriter.h"
#include "aavso/observations.h"
#include "core/mapsheet.h"

#include <QByteArray>

namespace Measurement {

struct SeriesRow
{
    QString file;    // the name, without the folder
    QString problem; // why the image gives no magnitude; empty when it does
    Imaging::ImageHeader header;
    Imaging::Measurements stars;
    MapSheet sheet; // the sheet after "Al foglio" and "MAGNITUDINE" on this image
    std::optional<double> checkMagnitude;
    std::optional<Aavso::ImageMeasurement> measurement; // what the record takes beyond the sheet
    std::optional<SkyTime::Sky> sky; // at the image's mid-exposure; none when it could not be computed

    QString magnitude() const; // the sheet's texts; empty for a skipped image
    QString magnitudeError() const;
};

// `sheet`: the sheet now, whose catalogue magnitudes, object, observer and
// filter the rows take; `checkName`, `chart` and `hints` as "Misura su
// immagine" has them. The site and the target are taken once, from the first
// dated image; `skyNote`, when given, tells once for the series why no sky
// was computed or that the site's longitude was read as west positive.
std::vector<SeriesRow> seriesRows(const std::vector<Measurement::SeriesImage> &images, const Sheet &sheet,
                                  const QString &checkName, const QString &chart, const SkyHints &hints = {},
                                  QString *skyNote = nullptr);

// The sheet's "Oggetto:", else the first image's OBJECT.
QString seriesObject(const std::vector<SeriesRow> &rows, const Sheet &sheet);

// The table's columns, the magnitude and its error as the sheet has them,
// then each star's net counts and sky, "." decimals, one line per image
// after a header line.
QByteArray seriesCsv(const std::vector<SeriesRow> &rows);

// The records of the images measured; the first image that cannot be one
// gives the problem instead.
QList<Aavso::Record> seriesRecords(const std::vector<SeriesRow> &rows, QString &problem);

// The variable's point of an image measured and dated; none for another.
struct SeriesPoint
{
    double julianDate = 0;
    double magnitude = 0;
    std::optional<double> error;
};
std::optional<SeriesPoint> seriesPoint(const SeriesRow &row);

// The variable's magnitudes as the observer's own points of the light curve.
Aavso::LightCurve::Observations seriesObservations(const std::vector<SeriesRow> &rows, const QString &star);

namespace SeriesColumn {
inline const QStringList Titles = {QStringLiteral("File"),          QStringLiteral("JD medio"),
                                   QStringLiteral("HJD medio"),     QStringLiteral("BJD_TDB medio"),
                                   QStringLiteral("Altezza"),       QStringLiteral("Massa d'aria"),
                                   QStringLiteral("Filtro"),        QStringLiteral("Magnitudine"),
                                   QStringLiteral("Errore"),        QStringLiteral("Mag. controllo"),
                                   QStringLiteral("Motivo dello scarto")};
enum Column { File, JulianDate, HeliocentricDate, BarycentricDate, Altitude, Airmass, Filter,
              Magnitude, Error, Check, Problem };
// The table's magnitudes and errors; the CSV keeps the sheet's every digit.
inline constexpr int MagnitudeDecimals = 3;
} // namespace SeriesColumn

// A cell of the table ("." decimals), as the window shows it.
QString seriesCell(const SeriesRow &row, SeriesColumn::Column column);

} // namespace Measurement

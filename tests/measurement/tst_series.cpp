#include "imaging/nightwriter.h"

#include "support/diskfiles.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include "aavso/observations.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "aavso/log.h"
#include "aavso/vocabulary.h"
#include "imaging/skycoordinates.h"
#include "measurement/seriestable.h"
#include "skytime/observation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Imaging;
using namespace Measurement;

namespace {

const Aperture Radii{4, 6, 9};
constexpr double Zero = 20; // m = Zero - 2.5 log10(flux)

double magnitudeOf(double flux) { return Zero - 2.5 * std::log10(flux); }

// The template of the night's first image: every star where it was drawn.
SeriesTemplate placedOn(const NightPlan &plan)
{
    SeriesTemplate placed{{}, Radii, {}, 0, {}};
    for (int star = 0; star < RoleCount; ++star)
        placed.positions[std::size_t(star)] = starAt(plan, star, 0);
    placed.comparisonNet = plan.stars[1][2] + plan.stars[2][2] + plan.stars[3][2];
    return placed;
}

// The sheet with the catalogue magnitudes of C1 to C3 and what the AAVSO record needs.
void fillSheet(FakeSheet &sheet, const NightPlan &plan)
{
    using namespace Field;
    sheet.fill({MagnitudeC1, MagnitudeC2, MagnitudeC3, Object, Author},
               {NumberRules::write(magnitudeOf(plan.stars[1][2])), NumberRules::write(magnitudeOf(plan.stars[2][2])),
                NumberRules::write(magnitudeOf(plan.stars[3][2])), QStringLiteral("RR Lyr"), QStringLiteral("XYZ")});
}

} // namespace

class TestSeries : public QObject
{
    Q_OBJECT
private slots:
    void follow_data();
    void follow();
    void night();
    void cancel();
    void placedBySky();
    void unlikeFirst_data();
    void unlikeFirst();
    void cells_data();
    void cells();
    void csv();
    void aavso();
    void skyOverTheNight_data();
    void skyOverTheNight();
};

void TestSeries::follow_data()
{
    QTest::addColumn<double>("dx");
    QTest::addColumn<double>("dy");
    QTest::addColumn<double>("turn"); // degrees
    QTest::addColumn<bool>("variableGone");
    QTest::addColumn<bool>("jumped"); // beyond the shift's reach: no star may be taken
    QTest::newRow("still") << 0.0 << 0.0 << 0.0 << false << false;
    QTest::newRow("10 px right") << 10.0 << 0.0 << 0.0 << false << false;
    QTest::newRow("10 px diagonally") << -7.1 << 7.1 << 0.0 << false << false;
    QTest::newRow("shift and half a degree") << 4.3 << -6.6 << 0.5 << false << false;
    QTest::newRow("variable gone") << 3.0 << 2.0 << 0.0 << true << false;
    // C3's box then holds the check star alone, and the shift puts it just there.
    QTest::newRow("jump: C3 on the check star") << 20.0 << 2.0 << 0.0 << false << true;
    // V and C1 land on C2 and the check star, 6 px apart from a rigid motion.
    QTest::newRow("jump: two stars on two others") << 0.0 << -22.0 << 0.0 << false << true;
}

void TestSeries::follow()
{
    QFETCH(double, dx);
    QFETCH(double, dy);
    QFETCH(double, turn);
    QFETCH(bool, variableGone);
    QFETCH(bool, jumped);
    NightPlan plan;
    plan.turn = turn;
    const SeriesTemplate placed = placedOn(plan);
    // The next image without the drift's circle: the stars moved by (dx, dy), then turned.
    NightPlan moved = plan;
    for (auto &star : moved.stars) {
        star[0] += dx;
        star[1] += dy;
    }
    moved.step = 0;
    if (variableGone)
        moved.stars[0][2] = 0;
    moved.images = 2;
    QTemporaryDir folder;
    const QStringList paths = writeNight(folder.path(), moved);
    QCOMPARE(paths.size(), 2);
    // Read as a series reads it: only the part following the field needs.
    PartialFits file(paths[1]);
    const FitsLoad load = file.read(followedPart(placed.positions, Radii));
    QVERIFY2(load.image, qPrintable(load.problem));
    const Measurements found = followField(*load.image, placed.positions, Radii, {});
    if (jumped) {
        QList<Refusal> refusals;
        for (const auto &measured : found)
            refusals << measured->refusal;
        QVERIFY(!refusals.contains(Refusal::None));
        QVERIFY(refusals.contains(Refusal::Unconfirmed));
        return;
    }
    for (int star = 0; star < RoleCount; ++star) {
        const auto &measured = found[std::size_t(star)];
        QVERIFY(measured);
        if (star == 0 && variableGone) {
            QCOMPARE(measured->refusal, Refusal::NoStar);
            continue;
        }
        QCOMPARE(measured->refusal, Refusal::None);
        const QPointF expected = starAt(moved, star, 1);
        QVERIFY2(std::hypot(measured->x - expected.x(), measured->y - expected.y()) < 0.05,
                 qPrintable(QStringLiteral("star %1 at %2 %3").arg(star).arg(measured->x).arg(measured->y)));
    }
}

void TestSeries::night()
{
    QTemporaryDir folder;
    NightPlan plan;
    const double dip = std::pow(10.0, -0.4 * 0.02);
    plan.variableFactor = [dip](int image) { return image >= 45 && image < 55 ? dip : 1.0; };
    plan.cloudy = 40;
    plan.saturated = 60;
    QStringList paths = writeNight(folder.path(), plan);
    QCOMPARE(paths.size(), plan.images);
    paths << folder.filePath(QStringLiteral("missing.fits"));
    int told = 0;
    const std::vector<SeriesImage> images =
        measureSeries(paths, placedOn(plan), [&told](int measured, int) { return ++told == measured; });
    QCOMPARE(int(images.size()), paths.size());
    QCOMPARE(told, paths.size()); // once per image, in order

    FakeSheet sheet;
    fillSheet(sheet, plan);
    const std::vector<SeriesRow> rows = seriesRows(images, sheet, QString(), QString());
    QCOMPARE(rows[40].problem, QString::fromUtf8(SeriesProblem::Clouds).arg(5));
    QCOMPARE(rows[60].problem, QString::fromUtf8(EntryProblem::Saturated).arg(roleName(Role::Variable)));
    QCOMPARE(rows[100].problem, QString::fromUtf8(LoadProblem::Missing).arg(QFileInfo(paths.last()).fileName()));
    double inDip = 0, outside = 0;
    for (int image = 0; image < plan.images; ++image) {
        if (image == 40 || image == 60)
            continue;
        const SeriesRow &row = rows[std::size_t(image)];
        QCOMPARE(row.problem, QString());
        QCOMPARE(row.file, QFileInfo(paths[image]).fileName());
        const double variable = *NumberRules::read(row.magnitude());
        const double expected = magnitudeOf(plan.stars[0][2] * plan.variableFactor(image));
        QVERIFY2(std::abs(variable - expected) < 0.002, qPrintable(QStringLiteral("image %1: %2 for %3")
                                                                       .arg(image).arg(variable).arg(expected)));
        QVERIFY(std::abs(*row.checkMagnitude - magnitudeOf(plan.stars[4][2])) < 0.002);
        (plan.variableFactor(image) < 1 ? inDip : outside) += variable;
    }
    QVERIFY(std::abs(inDip / 10 - outside / 88 - 0.02) < 0.002);
    // The skipped images have dates but no magnitude: no point for them.
    QCOMPARE(seriesObservations(rows, QStringLiteral("RR Lyr")).observations.size(), std::size_t(98));
}

void TestSeries::cancel()
{
    QTemporaryDir folder;
    NightPlan plan;
    plan.images = 20;
    const QStringList paths = writeNight(folder.path(), plan);
    const std::vector<SeriesImage> images =
        measureSeries(paths, placedOn(plan), [](int measured, int total) { return measured < total / 2; });
    QCOMPARE(int(images.size()), 10);
    for (int image = 0; image < 10; ++image) {
        QCOMPARE(images[std::size_t(image)].path, paths[image]);
        QCOMPARE(images[std::size_t(image)].problem, QString());
    }
}

// Every image placed by its own plate solution, though the field jumps 22 px
// between images, beyond following; lost only on the image without one.
void TestSeries::placedBySky()
{
    NightPlan plan;
    plan.images = 5;
    plan.step = 25;
    plan.solved = [](int image) { return image != 2; };
    QTemporaryDir folder;
    const QStringList paths = writeNight(folder.path(), plan);
    SeriesTemplate placed = placedOn(plan);
    const PartialFits first(paths[0]);
    const std::optional<SkyFrame> frame = SkyFrame::read(first.headerCards(), first.size().width(), first.size().height()).frame;
    for (int star = 0; star < RoleCount; ++star)
        placed.sky[std::size_t(star)] = frame->toSky(*placed.positions[std::size_t(star)]);
    const std::vector<SeriesImage> images = measureSeries(paths, placed, [](int, int) { return true; });
    QCOMPARE(int(images.size()), plan.images);
    for (int image = 0; image < plan.images; ++image) {
        QCOMPARE(images[std::size_t(image)].problem.isEmpty(), image != 2);
        for (int star = 0; star < RoleCount && image != 2; ++star) {
            const StarMeasurement &found = *images[std::size_t(image)].stars[std::size_t(star)];
            const QPointF expected = starAt(plan, star, image);
            QVERIFY(std::hypot(found.x - expected.x(), found.y - expected.y()) < 0.05);
        }
    }
}

void TestSeries::unlikeFirst_data()
{
    QTest::addColumn<QByteArray>("filter");
    QTest::addColumn<int>("binning");
    QTest::addColumn<QString>("problem"); // for the middle image of three

    const QString otherFilter = QString::fromUtf8(SeriesProblem::OtherFilter);
    QTest::newRow("R in a V series") << QByteArray("'R'") << 1 << otherFilter.arg("\"R\"", "\"V\"");
    QTest::newRow("v for V") << QByteArray("'v'") << 1 << QString();
    QTest::newRow("2 x 2 binned") << QByteArray("'V'") << 2
                                  << QString::fromUtf8(SeriesProblem::OtherSize).arg(80).arg(60).arg(160).arg(120);
}

void TestSeries::unlikeFirst()
{
    QFETCH(QByteArray, filter);
    QFETCH(int, binning);
    QFETCH(QString, problem);
    NightPlan plan;
    plan.images = 3;
    QTemporaryDir folder;
    QStringList paths = writeNight(folder.path(), plan);
    NightPlan other = plan;
    other.filter = filter;
    other.width /= binning;
    other.height /= binning;
    QTemporaryDir otherFolder;
    paths[1] = writeNight(otherFolder.path(), other)[1];
    const std::vector<SeriesImage> images = measureSeries(paths, placedOn(plan), [](int, int) { return true; });
    QCOMPARE(images[1].problem, problem);
    QCOMPARE(images[1].stars[0].has_value(), problem.isEmpty());
    QCOMPARE(images[2].problem, QString());
}

void TestSeries::cells_data()
{
    QTest::addColumn<QString>("magnitude"); // the sheet's texts, Italian
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QStringList>("shown"); // the table's magnitude and error
    QTest::addColumn<QStringList>("saved"); // the CSV's
    QTest::newRow("every digit")
        << "11,1218492465737" << "0,0188384780828646" << QString()
        << QStringList{"11.122", "0.019"} << QStringList{"11.1218492465737", "0.0188384780828646"};
    QTest::newRow("rounded up into the units") << "9,99951" << "0,0005" << QString()
                                               << QStringList{"10.000", "0.001"} << QStringList{"9.99951", "0.0005"};
    QTest::newRow("exponent form") << "-1,25" << "1E-05" << QString() << QStringList{"-1.250", "0.000"}
                                   << QStringList{"-1.25", "1E-05"};
    QTest::newRow("skipped image") << "11,5" << "0,01" << "nuvole" << QStringList{"", ""} << QStringList{"", ""};
}

void TestSeries::cells()
{
    QFETCH(QString, magnitude);
    QFETCH(QString, error);
    QFETCH(QString, problem);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, saved);
    const LocaleGuard italian{QLocale(QLocale::Italian)};
    SeriesRow row{};
    row.file = QStringLiteral("a.fits");
    row.problem = problem;
    row.sheet.setText(QLatin1String(Field::MagnitudeVariable), magnitude);
    row.sheet.setText(QLatin1String(Field::MagnitudeError), error);
    QCOMPARE((QStringList{seriesCell(row, SeriesColumn::Magnitude), seriesCell(row, SeriesColumn::Error)}), shown);
    for (const QString &cell : shown)
        QVERIFY(cell.isEmpty() || cell.section(u'.', 1).size() == SeriesColumn::MagnitudeDecimals);
    const QStringList line = QString::fromUtf8(seriesCsv({row}).split('\n').value(1)).trimmed().split(u',');
    QCOMPARE((QStringList{line.value(SeriesColumn::Magnitude), line.value(SeriesColumn::Error)}), saved);
}

void TestSeries::csv()
{
    QTemporaryDir folder;
    NightPlan plan;
    plan.images = 4;
    plan.cloudy = 2;
    const std::vector<SeriesImage> images = measureSeries(writeNight(folder.path(), plan), placedOn(plan),
                                                          [](int, int) { return true; });
    FakeSheet sheet;
    fillSheet(sheet, plan);
    const std::vector<SeriesRow> rows = seriesRows(images, sheet, QString(), QString());
    const QList<QByteArray> lines = seriesCsv(rows).split('\n');
    QCOMPARE(lines.size(), 1 + plan.images + 1); // the header, the images, nothing after the last end
    QVERIFY(lines.last().isEmpty());
    const QStringList header = QString::fromUtf8(lines[0]).trimmed().split(u',');
    QCOMPARE(header.mid(0, SeriesColumn::Titles.size()), SeriesColumn::Titles);
    QCOMPARE(header.size(), SeriesColumn::Titles.size() + 2 * RoleCount);
    for (int image = 0; image < plan.images; ++image) {
        const SeriesRow &row = rows[std::size_t(image)];
        // The cloud's reason holds no comma, so a split reads every line.
        const QStringList cells = QString::fromUtf8(lines[image + 1]).trimmed().split(u',');
        QCOMPARE(cells.size(), header.size());
        QCOMPARE(cells[SeriesColumn::File], row.file);
        QCOMPARE(cells[SeriesColumn::JulianDate].toDouble(), std::round(*row.header.julianDate * 1e5) / 1e5);
        QCOMPARE(cells[SeriesColumn::Problem], row.problem);
        QCOMPARE(cells[SeriesColumn::Filter], QStringLiteral("V"));
        QCOMPARE(NumberRules::read(cells[SeriesColumn::Magnitude], QLocale::c()), NumberRules::read(row.magnitude()));
        for (int star = 0; star < RoleCount; ++star) {
            const double net = cells[SeriesColumn::Titles.size() + 2 * star].toDouble();
            QVERIFY(std::abs(net - row.stars[std::size_t(star)]->net) <= 0.005);
        }
    }
}

void TestSeries::aavso()
{
    QTemporaryDir folder;
    NightPlan plan;
    plan.images = 6;
    const std::vector<SeriesImage> images = measureSeries(writeNight(folder.path(), plan), placedOn(plan),
                                                          [](int, int) { return true; });
    FakeSheet sheet;
    fillSheet(sheet, plan);
    const std::vector<SeriesRow> rows = seriesRows(images, sheet, QStringLiteral("000-BBC-123"), QStringLiteral("X12345"));
    QString problem;
    const QList<Aavso::Record> records = seriesRecords(rows, problem);
    QCOMPARE(problem, QString());
    QCOMPARE(records.size(), plan.images);

    // The first half first: the whole series then adds only the second half.
    const QString log = folder.filePath(QStringLiteral("log.txt"));
    RecordingMessages messages;
    QVERIFY(Aavso::exportSeries(records.mid(0, 3), messages, log));
    QVERIFY(Aavso::exportSeries(records, messages, log));
    const QByteArray written = bytesOf(log);
    QVERIFY(Aavso::exportSeries(records, messages, log));
    QCOMPARE(messages.texts(), QStringList({Aavso::SeriesAdded.arg(QStringLiteral("log.txt")).arg(3).arg(0),
                                            Aavso::SeriesAdded.arg(QStringLiteral("log.txt")).arg(3).arg(3),
                                            Aavso::SeriesAdded.arg(QStringLiteral("log.txt")).arg(0).arg(6)}));
    QCOMPARE(bytesOf(log), written);

    Aavso::LightCurve::Observations read;
    QCOMPARE(Aavso::LightCurve::addFile(read, log), QString());
    QCOMPARE(int(read.observations.size()), plan.images);
    for (int image = 0; image < plan.images; ++image) {
        const Aavso::LightCurve::Observation &o = read.observations[std::size_t(image)];
        const SeriesRow &row = rows[std::size_t(image)];
        QCOMPARE(o.jd, std::round(*row.header.julianDate * 1e5) / 1e5);
        QCOMPARE(o.magnitude, std::round(*NumberRules::read(row.magnitude()) * 1e3) / 1e3);
        QCOMPARE(read.texts[o.band], QStringLiteral("V"));
        QVERIFY(read.files[o.file].own);
    }
}

using Cards = QList<QPair<QByteArray, QByteArray>>;

void TestSeries::skyOverTheNight_data()
{
    QTest::addColumn<Cards>("cards"); // the target's place and the site
    QTest::addColumn<double>("longitude"); // computed with; NaN: nothing computed
    QTest::addColumn<QString>("note");
    QTest::newRow("RR Lyr, decimal site") << Cards{
        {"OBJCTRA", "'19 25 27.9'"}, {"OBJCTDEC", "'+42 47 04'"}, {"SITELAT", "45.46"}, {"SITELONG", "9.19"}}
                                          << 9.19 << QString();
    // Read as east, the target (RA 1 h) starts below the horizon.
    QTest::newRow("west written positive") << Cards{
        {"RA", "15.0"}, {"DEC", "20.0"}, {"LAT-OBS", "'+32:12:00'"}, {"LONG-OBS", "'+110:54:00'"}}
                                           << -110.9 << SkyNote::LongitudeReversed;
    QTest::newRow("no site") << Cards{{"RA", "15.0"}, {"DEC", "20.0"}} << qQNaN()
                             << SkyNote::NotComputed.arg(Imaging::Reason::NoSite);
}

// Twelve images an hour apart, without AIRMASS, each computed at its own
// time; the AAVSO record's airmass is the table's, "na" for none.
void TestSeries::skyOverTheNight()
{
    QFETCH(Cards, cards);
    QFETCH(double, longitude);
    QFETCH(QString, note);
    NightPlan plan;
    plan.images = 12;
    plan.start = QDateTime(QDate(2024, 3, 14), QTime(19, 30), Qt::UTC);
    plan.exposure = 2400;
    plan.airmass = false;
    plan.cards = cards;
    QTemporaryDir folder;
    const std::vector<SeriesImage> images = measureSeries(writeNight(folder.path(), plan), placedOn(plan),
                                                          [](int, int) { return true; });
    FakeSheet sheet;
    fillSheet(sheet, plan);
    QString skyNote;
    const std::vector<SeriesRow> rows = seriesRows(images, sheet, QString(), QString(), {}, &skyNote);
    QCOMPARE(skyNote, note);
    const QList<QByteArray> lines = seriesCsv(rows).split('\n');
    QString problem;
    const QList<Aavso::Record> records = seriesRecords(rows, problem);
    QCOMPARE(records.size(), plan.images);
    const qsizetype amass = std::find(Aavso::FieldNames.begin(), Aavso::FieldNames.end(), QByteArray("AMASS"))
                            - Aavso::FieldNames.begin();
    const SkyTime::Site site{Imaging::parseHeaderNumber(images[0].header.keys.value("SITELAT")).value_or(32.2), longitude, 0};
    const SkyTime::Target target = *images[0].header.target.value;
    int above = 0;
    for (int image = 0; image < plan.images; ++image) {
        const QStringList cells = QString::fromUtf8(lines[image + 1]).split(u',');
        std::optional<SkyTime::Sky> sky;
        if (!qIsNaN(longitude))
            sky = SkyTime::observe(site, target, *rows[std::size_t(image)].header.julianDate).value;
        // The first RR Lyr images rise through the altitudes too low for one.
        const std::optional<double> airmass =
            sky && sky->altitude >= SkyTime::LeastAirmassAltitude ? SkyTime::airmass(sky->altitude) : std::nullopt;
        above += airmass.has_value();
        QCOMPARE(cells[SeriesColumn::Airmass], airmass ? QString::number(*airmass, 'f', 4) : QString());
        QCOMPARE(rows[std::size_t(image)].measurement->airmass, cells[SeriesColumn::Airmass]);
        QCOMPARE(records[image].line.split(',').value(amass),
                 airmass ? cells[SeriesColumn::Airmass].toLatin1() : QByteArray(Aavso::NotAvailable));
        QCOMPARE(cells[SeriesColumn::Altitude], sky ? QString::number(sky->altitude, 'f', 2) : QString());
        QCOMPARE(cells[SeriesColumn::HeliocentricDate], sky ? QString::number(sky->hjd, 'f', 6) : QString());
        QCOMPARE(cells[SeriesColumn::BarycentricDate], sky ? QString::number(sky->bjdTdb, 'f', 6) : QString());
    }
    QVERIFY(qIsNaN(longitude) || (above >= 6 && above < plan.images)); // the night holds both
}

QTEST_GUILESS_MAIN(TestSeries)
#include "tst_series.moc"

// An image without sky coordinates given those of its sequence by two
// clicks, or those astrometry.net found, in the measuring session; and the
// copy that keeps them.

#include "../astrometry/skyfield.h"
#include "imaging/fitswriter.h"

#include "support/fakesheet.h"

#include "astrometry/alignment.h"
#include "measurement/session.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace Measurement;
using Imaging::Role;

namespace {

const Imaging::Aperture Radii{5, 8, 12};

// A 400 × 300 field at 1.5″/pixel, rotated and mirrored, with its sequence:
// the catalogue's brighter stars on the image, one of them the variable.
struct Night
{
    SkyField field;
    Aavso::Sequence sequence;
    std::size_t variable = 0; // in the catalogue
    std::size_t other = 0;    // in the sequence's stars
};

Night night(bool namesVariable)
{
    FieldPlan plan;
    plan.width = 400;
    plan.height = 300;
    plan.stars = 90;
    plan.rotation = 140;
    plan.mirrored = true;
    plan.extra = 15;
    plan.seed = 11;
    Night night{skyField(plan), {}, 0, 0};
    night.sequence.chartId = QStringLiteral("X99");
    const auto inside = [&night](const QPointF &at) {
        return at.x() > 20 && at.y() > 20 && at.x() < night.field.width - 21 && at.y() < night.field.height - 21;
    };
    bool variableChosen = false;
    for (std::size_t i = 0; i < night.field.catalogue.size(); ++i) {
        if (night.field.magnitudes[i] >= 11.5 || !inside(night.field.pixelOf(night.field.catalogue[i])))
            continue;
        if (!variableChosen && namesVariable) {
            night.variable = i;
            night.sequence.variablePosition = night.field.catalogue[i];
            variableChosen = true;
            continue;
        }
        Aavso::SequenceStar star;
        star.label = QString::number(int(night.field.magnitudes[i] * 10));
        star.auid = QStringLiteral("000-BBB-%1").arg(i, 3, 10, QLatin1Char('0'));
        star.position = night.field.catalogue[i];
        star.bands[QStringLiteral("V")] = {night.field.magnitudes[i], 0.01};
        night.sequence.stars.push_back(star);
    }
    if (!namesVariable) { // a CSV table: the variable is the first row
        const Sky::Position &first = night.sequence.stars.front().position;
        const auto same = [&first](const Sky::Position &star) { return star.ra == first.ra && star.dec == first.dec; };
        night.variable = std::size_t(std::find_if(night.field.catalogue.cbegin(), night.field.catalogue.cend(), same)
                                     - night.field.catalogue.cbegin());
    }
    night.other = night.sequence.stars.size() - 1;
    return night;
}

QString write(const QTemporaryDir &dir, const SkyField &field, const QList<QPair<QByteArray, QByteArray>> &cards,
              bool compressed = false)
{
    FitsPlan plan;
    plan.bitpix = compressed ? USHORT_IMG : FLOAT_IMG;
    plan.axes = {field.width, field.height};
    plan.values.assign(field.image.pixels.cbegin(), field.image.pixels.cend());
    if (compressed) {
        for (double &value : plan.values)
            value = std::round(value);
    }
    plan.compressed = compressed;
    plan.cards = cards;
    plan.cards << QPair<QByteArray, QByteArray>{"FILTER", "'V'"};
    const QString path = dir.filePath(compressed ? QStringLiteral("notte.fz") : QStringLiteral("notte.fits"));
    return writeFits(path, plan) ? path : QString();
}

} // namespace

class TestSkyFinding : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Imaging::setFitsHelperFolders({QStringLiteral(VEVURID_HELPER_FOLDER)}); }
    void twoClicks_data();
    void twoClicks();
    void refusedClicks_data();
    void refusedClicks();
    void solution_data();
    void solution();
};

void TestSkyFinding::twoClicks_data()
{
    QTest::addColumn<bool>("namesVariable");
    QTest::newRow("JSON, the variable's place given") << true;
    QTest::newRow("CSV, the variable a row") << false;
}

void TestSkyFinding::twoClicks()
{
    QFETCH(bool, namesVariable);
    const Night night = ::night(namesVariable);
    QTemporaryDir dir;
    const QString path = write(dir, night.field, {});
    FakeSheet sheet;
    Session session(sheet);
    QVERIFY(session.open(path, Radii).problem.isEmpty());
    QVERIFY(session.lacksSkyCoordinates());
    QCOMPARE(session.setSequence(night.sequence, Radii), SessionText::NoSkyCoordinates);
    QVERIFY(session.aligning());
    const QPointF variable = night.field.pixelOf(night.field.catalogue[night.variable]) + QPointF(1.2, -0.8);
    const std::optional<std::size_t> firstRow = namesVariable ? std::nullopt : std::optional<std::size_t>(0);
    QCOMPARE(session.alignmentClick(variable, firstRow, Radii), SkyFinding::SecondStar);
    const QPointF other = night.field.pixelOf(night.sequence.stars[night.other].position) + QPointF(-1, 1);
    const QString status = session.alignmentClick(other, night.other, Radii);
    const QString aligned = Astrometry::AlignText::Aligned;
    QVERIFY2(status.startsWith(aligned.left(aligned.indexOf(QLatin1Char('%')))), qPrintable(status));
    QVERIFY(!session.aligning());
    QVERIFY(session.frame());
    QVERIFY(!session.foundCards().isEmpty());
    // The variable stands where the sky puts it, and comparison stars are placed by the sequence.
    const QPointF truth = night.field.pixelOf(night.field.catalogue[night.variable]);
    const QPointF placed = *session.positions()[std::size_t(Role::Variable)];
    QVERIFY(std::hypot(placed.x() - truth.x(), placed.y() - truth.y()) < 0.2);
    QVERIFY(session.positions()[std::size_t(Role::C1)]);
    QVERIFY(session.sequenceStar(Role::C1));
    const QPointF corner(night.field.width - 1, night.field.height - 1);
    const std::optional<QPointF> back = session.frame()->toPixel(
        Astrometry::fromPlane(night.field.truth.centre, Astrometry::pixelToPlane(night.field.truth, corner)));
    QVERIFY(back && std::hypot(back->x() - corner.x(), back->y() - corner.y()) < 0.1);

    const QString copy = dir.filePath(QStringLiteral("notte-wcs.fits"));
    QCOMPARE(session.saveWithFoundCards(copy), SkyFinding::Saved.arg(QStringLiteral("notte-wcs.fits")));
    Session again(sheet);
    QVERIFY(again.open(copy, Radii).problem.isEmpty());
    QVERIFY(again.frame());
    QVERIFY(again.foundCards().isEmpty()); // the header's own now
    const std::optional<QPointF> reread = again.frame()->toPixel(*session.frame()->toSky(corner));
    QVERIFY(reread && std::hypot(reread->x() - corner.x(), reread->y() - corner.y()) < 1e-6);
}

void TestSkyFinding::refusedClicks_data()
{
    QTest::addColumn<bool>("namesVariable");
    QTest::addColumn<QByteArray>("scale"); // PIXSCALE; empty for none
    QTest::addColumn<bool>("firstRow");
    QTest::addColumn<bool>("secondRow");
    QTest::addColumn<bool>("onSky"); // the first click on empty sky
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const QString otherScale = Astrometry::AlignText::OtherScale.arg(QLocale().toString(1.5, 'f', 2),
                                                                     QLocale().toString(1.2, 'f', 2));
    QTest::newRow("CSV, no row for the variable")
        << false << QByteArray() << false << true << false << SkyFinding::ChooseRow << SkyFinding::SecondStar;
    QTest::newRow("no row for the second star")
        << true << QByteArray() << false << false << false << SkyFinding::SecondStar << SkyFinding::ChooseRow;
    QTest::newRow("header scale 20 % off")
        << true << QByteArray("1.2") << false << true << false << SkyFinding::SecondStar << otherScale;
    QTest::newRow("empty sky")
        << true << QByteArray() << false << true << true
        << SessionText::NotPlaced.arg(Imaging::roleName(Role::Variable), Imaging::refusalText(Imaging::Refusal::NoStar))
        << SkyFinding::SecondStar; // the next click is the variable's again
}

void TestSkyFinding::refusedClicks()
{
    QFETCH(bool, namesVariable);
    QFETCH(QByteArray, scale);
    QFETCH(bool, firstRow);
    QFETCH(bool, secondRow);
    QFETCH(bool, onSky);
    QFETCH(QString, first);
    QFETCH(QString, second);
    Night night = ::night(namesVariable);
    const QPointF empty(200, 150);
    if (onSky) {
        for (int y = int(empty.y()) - 20; y <= int(empty.y()) + 20; ++y)
            std::fill_n(night.field.image.pixels.begin() + y * night.field.width + int(empty.x()) - 20, 41, 100.0f);
    }
    QTemporaryDir dir;
    QList<QPair<QByteArray, QByteArray>> cards;
    if (!scale.isEmpty())
        cards << QPair<QByteArray, QByteArray>{"PIXSCALE", scale};
    FakeSheet sheet;
    Session session(sheet);
    QVERIFY(session.open(write(dir, night.field, cards), Radii).problem.isEmpty());
    session.setSequence(night.sequence, Radii);
    const QPointF variable = onSky ? empty : night.field.pixelOf(night.field.catalogue[night.variable]);
    QCOMPARE(session.alignmentClick(variable, firstRow ? std::optional<std::size_t>(0) : std::nullopt, Radii), first);
    const QPointF other = night.field.pixelOf(night.sequence.stars[night.other].position);
    QCOMPARE(session.alignmentClick(other, secondRow ? std::optional(night.other) : std::nullopt, Radii), second);
    QVERIFY(!session.frame());
    QVERIFY(session.aligning());
    QVERIFY(session.foundCards().isEmpty());
}

void TestSkyFinding::solution_data()
{
    QTest::addColumn<bool>("solved");
    QTest::addColumn<QByteArray>("pixelSize"); // XPIXSZ, µm, with a focal length of 1000 mm
    QTest::addColumn<QString>("narrow");
    QTest::addColumn<bool>("compressed"); // the image's size, not its table's
    QTest::newRow("solved") << true << QByteArray() << QString() << false;
    QTest::newRow("not solved") << false << QByteArray() << QString() << false;
    // 400 pixels of 7.27 µm at 1000 mm: 10′.
    QTest::newRow("narrow") << false << QByteArray("7.27")
                            << Astrometry::narrowField(400, 300, 7.27e-3 / 1000 * 206264.806) << false;
    QTest::newRow("compressed, solved") << true << QByteArray() << QString() << true;
}

void TestSkyFinding::solution()
{
    QFETCH(bool, solved);
    QFETCH(QByteArray, pixelSize);
    QFETCH(QString, narrow);
    QFETCH(bool, compressed);
    const Night night = ::night(true);
    QTemporaryDir dir;
    QList<QPair<QByteArray, QByteArray>> cards{{"OBJCTRA", "'10 01 00'"}, {"OBJCTDEC", "'+32 30 00'"}};
    if (!pixelSize.isEmpty())
        cards << QPair<QByteArray, QByteArray>{"XPIXSZ", pixelSize} << QPair<QByteArray, QByteArray>{"FOCALLEN", "1000"};
    FakeSheet sheet;
    Session session(sheet);
    QVERIFY(session.open(write(dir, night.field, cards, compressed), Radii).problem.isEmpty());
    QString said;
    const Astrometry::SolveRequest request = session.solveRequest(said);
    QCOMPARE(said, narrow);
    QCOMPARE(request.width, 400);
    QCOMPARE(request.height, 300);
    QVERIFY(request.pointing && std::abs(request.pointing->ra - 150.25) < 1e-9 && request.pointing->dec == 32.5);
    QVERIFY(request.stars.size() >= 50);
    session.setTypedScale(2.5);
    QCOMPARE(*session.solveRequest(said).scale, 2.5);
    Astrometry::Solution solution;
    solution.problem = Astrometry::SolveText::NoSolution;
    if (solved) {
        solution = {Astrometry::wcsCards(night.field.truth), 31, 1.5, 140, QString()};
    }
    const QString status = session.adoptSolution(solution, Radii);
    QCOMPARE(status, solved ? Astrometry::solvedText(solution) : Astrometry::SolveText::NoSolution);
    QCOMPARE(bool(session.frame()), solved);
    QCOMPARE(session.lacksSkyCoordinates(), !solved);
    QCOMPARE(session.foundCards().isEmpty(), !solved);
}

QTEST_GUILESS_MAIN(TestSkyFinding)
#include "tst_skyfinding.moc"

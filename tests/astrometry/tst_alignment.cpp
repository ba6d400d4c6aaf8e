// The stars found on a generated field, the two-click alignment against its
// catalogue, and the linear system's cards as WCSLIB reads them back.

#include "skyfield.h"

#include "astrometry/alignment.h"
#include "astrometry/linearwcs.h"
#include "astrometry/starlist.h"
#include "imaging/skycoordinates.h"

#include <QLocale>
#include <QTest>

#include <cmath>

using namespace Astrometry;

Q_DECLARE_METATYPE(FieldPlan)

namespace {

double distance(const QPointF &a, const QPointF &b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

bool onImage(const SkyField &field, const QPointF &at, double margin)
{
    return at.x() >= margin && at.y() >= margin && at.x() <= field.width - 1 - margin
        && at.y() <= field.height - 1 - margin;
}

// The drawn catalogue star nearest `target`, on the image.
std::size_t drawnNear(const SkyField &field, const QPointF &target)
{
    std::size_t best = 0;
    double bestDistance = 1e300;
    for (std::size_t i = 0; i < field.catalogue.size(); ++i) {
        const QPointF at = field.pixelOf(field.catalogue[i]);
        if (field.drawn[i] && onImage(field, at, 10) && distance(at, target) < bestDistance) {
            best = i;
            bestDistance = distance(at, target);
        }
    }
    return best;
}

// A click on a star, centred as the window centres it: the found star under it.
QPointF clicked(const std::vector<FoundStar> &found, const QPointF &at)
{
    QPointF nearest = at;
    double nearestDistance = 3;
    for (const FoundStar &star : found) {
        if (distance(star.at, at) < nearestDistance) {
            nearest = star.at;
            nearestDistance = distance(star.at, at);
        }
    }
    return nearest;
}

AlignInput inputFor(const SkyField &field, const std::vector<FoundStar> &found)
{
    AlignInput input;
    const std::size_t first = drawnNear(field, QPointF(field.width * 0.2, field.height * 0.25));
    const std::size_t second = drawnNear(field, QPointF(field.width * 0.8, field.height * 0.7));
    input.first = field.catalogue[first];
    input.second = field.catalogue[second];
    input.firstPixel = clicked(found, field.pixelOf(input.first));
    input.secondPixel = clicked(found, field.pixelOf(input.second));
    // A sequence holds the field's brighter stars.
    for (std::size_t i = 0; i < field.catalogue.size(); ++i) {
        if (field.magnitudes[i] < 11.5)
            input.sequence.push_back(field.catalogue[i]);
    }
    input.found = found;
    input.width = field.width;
    input.height = field.height;
    return input;
}

// The largest distance, over a grid spanning the frame, between where the
// field's own system and `cards` put the same sky.
double worstMiss(const SkyField &field, const QByteArray &cards)
{
    const Imaging::SkyFrameRead read = Imaging::SkyFrame::read(cards, field.width, field.height);
    if (!read.frame)
        return 1e300;
    double worst = 0;
    for (int i = 0; i <= 4; ++i) {
        for (int j = 0; j <= 4; ++j) {
            const QPointF at((field.width - 1) * i / 4.0, (field.height - 1) * j / 4.0);
            const Sky::Position sky = fromPlane(field.truth.centre, pixelToPlane(field.truth, at));
            const std::optional<QPointF> back = read.frame->toPixel(sky);
            worst = std::max(worst, back ? distance(*back, at) : 1e300);
        }
    }
    return worst;
}

} // namespace

class TestAlignment : public QObject
{
    Q_OBJECT
private slots:
    void foundStars();
    void recoversField_data();
    void recoversField();
    void refusals_data();
    void refusals();
    void cardsRoundTrip_data();
    void cardsRoundTrip();
};

void TestAlignment::foundStars()
{
    FieldPlan plan;
    plan.extra = 0;
    const SkyField field = skyField(plan);
    const std::vector<FoundStar> found = findStars(field.image, 1000);
    // Every drawn star clear of the border and of its neighbours is found where it was drawn.
    int expected = 0, missed = 0;
    for (std::size_t i = 0; i < field.catalogue.size(); ++i) {
        const QPointF at = field.pixelOf(field.catalogue[i]);
        if (!onImage(field, at, 5))
            continue;
        const bool crowded = std::any_of(field.catalogue.cbegin(), field.catalogue.cend(), [&](const Sky::Position &other) {
            const double apart = distance(field.pixelOf(other), at);
            return apart > 0 && apart < 10;
        });
        if (crowded)
            continue;
        ++expected;
        const bool seen = std::any_of(found.cbegin(), found.cend(),
                                      [&at](const FoundStar &star) { return distance(star.at, at) < 0.2; });
        missed += seen ? 0 : 1;
    }
    QVERIFY(expected > 50);
    QCOMPARE(missed, 0);
    for (std::size_t i = 1; i < found.size(); ++i)
        QVERIFY(found[i - 1].flux >= found[i].flux);
    QCOMPARE(int(findStars(field.image, 10).size()), 10);
    // A flat frame has no star.
    Imaging::FitsImage flat = field.image;
    std::fill(flat.pixels.begin(), flat.pixels.end(), 100.0f);
    QVERIFY(findStars(flat).empty());
}

void TestAlignment::recoversField_data()
{
    QTest::addColumn<FieldPlan>("plan");
    FieldPlan upright;
    QTest::newRow("upright") << upright;
    FieldPlan rotated = upright;
    rotated.rotation = 37;
    rotated.seed = 2;
    QTest::newRow("rotated by 37°") << rotated;
    FieldPlan mirrored = upright;
    mirrored.mirrored = true;
    mirrored.rotation = 200;
    mirrored.seed = 3;
    QTest::newRow("mirrored, rotated by 200°") << mirrored;
    FieldPlan binned = upright;
    binned.scale = 3;
    binned.width = 320;
    binned.height = 240;
    binned.stars = 60;
    binned.seed = 4;
    QTest::newRow("binned 2 × 2") << binned;
    FieldPlan gaps = rotated;
    gaps.missingEvery = 4;
    gaps.extra = 40;
    gaps.seed = 5;
    QTest::newRow("stars missing and extra") << gaps;
    // Two degrees across: the plane touching the sky at the variable, near a
    // corner, is no longer the image's to a tenth of a pixel.
    FieldPlan wide = upright;
    wide.width = 2000;
    wide.height = 2000;
    wide.scale = 3.6;
    wide.stars = 300;
    wide.seed = 6;
    QTest::newRow("2° across") << wide;
}

void TestAlignment::recoversField()
{
    QFETCH(FieldPlan, plan);
    const SkyField field = skyField(plan);
    const AlignInput input = inputFor(field, findStars(field.image));
    const Alignment alignment = alignToSequence(input);
    QVERIFY2(alignment.wcs, qPrintable(alignment.problem));
    QVERIFY(alignment.problem.isEmpty());
    QVERIFY(alignment.matched >= 10);
    QVERIFY(alignment.matched <= alignment.onImage);
    QVERIFY(alignment.meanMiss < 0.1);
    const double miss = worstMiss(field, wcsCards(*alignment.wcs));
    QVERIFY2(miss < 0.1, qPrintable(QString::number(miss)));
    QVERIFY(std::abs(scaleArcsec(*alignment.wcs) - plan.scale) < 0.01);
}

void TestAlignment::refusals_data()
{
    QTest::addColumn<int>("foundKept"); // brightest found stars given; all when negative
    QTest::addColumn<double>("headerScale"); // of the true scale; 0 for none
    QTest::addColumn<bool>("sameStar");
    QTest::addColumn<QString>("problem");
    const QLocale locale;
    const auto otherScale = [&locale](double header) {
        return AlignText::OtherScale.arg(locale.toString(1.5, 'f', 2), locale.toString(1.5 * header, 'f', 2));
    };
    // Off by the fit's scale against the header's: 1 / 0.92 is 8.7 %, 1 / 0.9 is 11.1 %.
    QTest::newRow("header 8 % larger") << -1 << 1.08 << false << QString();
    QTest::newRow("header 12 % larger") << -1 << 1.12 << false << otherScale(1.12);
    QTest::newRow("header 8 % smaller") << -1 << 0.92 << false << QString();
    QTest::newRow("header 10 % smaller") << -1 << 0.9 << false << otherScale(0.9);
    QTest::newRow("no header scale") << -1 << 0.0 << false << QString();
    QTest::newRow("two found stars") << 2 << 0.0 << false << AlignText::TooFew.arg(2);
    QTest::newRow("the same star twice") << -1 << 0.0 << true << AlignText::SameStar;
}

void TestAlignment::refusals()
{
    QFETCH(int, foundKept);
    QFETCH(double, headerScale);
    QFETCH(bool, sameStar);
    QFETCH(QString, problem);
    FieldPlan plan;
    const SkyField field = skyField(plan);
    std::vector<FoundStar> found = findStars(field.image);
    AlignInput input = inputFor(field, found);
    if (foundKept >= 0) {
        // Only the two clicked stars are found.
        input.found = {{input.firstPixel, 1}, {input.secondPixel, 1}};
    }
    if (headerScale > 0)
        input.headerScale = plan.scale * headerScale;
    if (sameStar) {
        input.second = input.first;
        input.secondPixel = input.firstPixel;
    }
    const Alignment alignment = alignToSequence(input);
    QCOMPARE(alignment.problem, problem);
    QCOMPARE(bool(alignment.wcs), problem.isEmpty());
}

void TestAlignment::cardsRoundTrip_data()
{
    QTest::addColumn<double>("rotation");
    QTest::addColumn<bool>("mirrored");
    QTest::newRow("north up") << 0.0 << false;
    QTest::newRow("rotated by 90°") << 90.0 << false;
    QTest::newRow("rotated by 359.5°") << 359.5 << false;
    QTest::newRow("mirrored, rotated by 45°") << 45.0 << true;
}

void TestAlignment::cardsRoundTrip()
{
    QFETCH(double, rotation);
    QFETCH(bool, mirrored);
    FieldPlan plan;
    plan.rotation = rotation;
    plan.mirrored = mirrored;
    plan.centre = {359.9, -89.5}; // beside the pole and where right ascension wraps
    const LinearWcs wcs = plannedWcs(plan);
    QCOMPARE(std::round(rotationDegrees(wcs) * 10) / 10, rotation);
    QCOMPARE(scaleArcsec(wcs), plan.scale);
    const QByteArray cards = wcsCards(wcs);
    QCOMPARE(cards.size() % 80, 0);
    SkyField field;
    field.truth = wcs;
    field.width = plan.width;
    field.height = plan.height;
    QVERIFY(worstMiss(field, cards) < 1e-6);
}

QTEST_GUILESS_MAIN(TestAlignment)
#include "tst_alignment.moc"

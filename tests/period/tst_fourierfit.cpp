#include "period/fourierfit.h"

#include <QTest>

#include <cmath>

using namespace Period;

class TestFourierFit : public QObject
{
    Q_OBJECT
private slots:
    void pointsLeaveOutFainterAndHiddenDiscrepant_data();
    void pointsLeaveOutFainterAndHiddenDiscrepant();
    void fitsKnownCurve_data();
    void fitsKnownCurve();
    void phase_data();
    void phase();
};

void TestFourierFit::pointsLeaveOutFainterAndHiddenDiscrepant_data()
{
    QTest::addColumn<bool>("discrepant");
    QTest::addColumn<bool>("weighted");
    QTest::addColumn<QList<double>>("jds");
    QTest::newRow("as shown") << false << false << QList<double>{1, 2, 4};
    QTest::newRow("discrepant shown") << true << false << QList<double>{1, 2, 3, 4};
    QTest::newRow("weighted: errors only") << true << true << QList<double>{1, 3};
}

void TestFourierFit::pointsLeaveOutFainterAndHiddenDiscrepant()
{
    QFETCH(bool, discrepant);
    QFETCH(bool, weighted);
    QFETCH(QList<double>, jds);
    Aavso::LightCurve::Observations data;
    data.files.push_back({});
    data.texts << "X Cyg" << "V" << "B";
    const double none = std::nan("");
    // jd, error, band, fainter, discrepant; written out of date order
    const std::tuple<double, double, quint32, bool, bool> rows[] = {
        {4, none, 2, false, false}, {2, none, 2, false, false}, {1, 0.01, 2, false, false},
        {3, 0.02, 2, false, true}, {5, 0.01, 2, true, false}, {6, 0.01, 3, false, false}};
    for (const auto &[jd, error, band, fainter, flagged] : rows) {
        Aavso::LightCurve::Observation o;
        o.jd = jd;
        o.error = error;
        o.star = 1;
        o.band = band;
        o.fainter = fainter;
        o.discrepant = flagged;
        data.observations.push_back(o);
    }
    const Points points = pointsOf(data, Aavso::LightCurve::curveOf(data, Aavso::LightCurve::starKey("X Cyg")), 2, discrepant);
    const Series series = seriesOf(points, weighted);
    QCOMPARE(series.size(), size_t(jds.size()));
    QCOMPARE(series.middle, (jds.first() + jds.last()) / 2);
    QCOMPARE(series.span, jds.last() - jds.first());
    for (qsizetype i = 0; i < jds.size(); ++i)
        QCOMPARE(series.t[size_t(i)] + series.middle, jds[i]);
    if (weighted) // 1/0.01² against 1/0.02², adding up to one
        QCOMPARE(series.w[0], 0.8);
}

void TestFourierFit::fitsKnownCurve_data()
{
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<double>("second");  // semi-amplitude of the signal's second harmonic
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("semiAmplitude"); // half the curve's range
    QTest::newRow("one harmonic") << 1 << 0.0 << 40 << true << 0.5;
    QTest::newRow("six harmonics of a sine") << 6 << 0.0 << 40 << true << 0.5;
    QTest::newRow("two harmonics") << 2 << 0.1 << 40 << true << 0.5;
    QTest::newRow("two harmonics, sharper") << 2 << 0.2 << 40 << true << 0.528125;
    QTest::newRow("as many points as terms") << 2 << 0.1 << 5 << false << 0.0;
}

void TestFourierFit::fitsKnownCurve()
{
    QFETCH(int, harmonics);
    QFETCH(double, second);
    QFETCH(int, count);
    QFETCH(bool, valid);
    QFETCH(double, semiAmplitude);
    // Brightest at 2450000.3 and whole periods from it, a second harmonic
    // that keeps it so.
    const double period = 2.7, brightest = 2450000.3, twoPi = 6.283185307179586;
    Points points;
    for (int i = 0; i < count; ++i) {
        const double jd = 2450000 + i * 1.37, cycles = (jd - brightest) / period;
        points.jd.push_back(jd);
        points.magnitude.push_back(12 - 0.5 * std::cos(twoPi * cycles) - second * std::cos(2 * twoPi * cycles));
        points.error.push_back(0.01);
    }
    const Series series = seriesOf(points, false);
    const FourierFit fit = fourierFit(series, period, harmonics);
    QCOMPARE(fit.valid(), valid);
    if (!valid)
        return;
    QVERIFY(std::abs(fit.mean - 12) < 1e-9);
    QVERIFY(std::abs(fit.semiAmplitude - semiAmplitude) < 1e-9);
    QVERIFY(fit.residualSigma < 1e-9);
    QVERIFY(std::abs(fit.epoch - series.middle) <= period / 2);
    const double off = std::remainder(fit.epoch - brightest, period);
    QVERIFY2(std::abs(off) < 1e-6, qPrintable(QString::number(off)));
    QVERIFY(std::abs(fit.magnitudeAt(brightest + 3 * period) - (11.5 - second)) < 1e-9);
}

void TestFourierFit::phase_data()
{
    QTest::addColumn<double>("jd");
    QTest::addColumn<double>("period");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("drawnLow");
    QTest::addColumn<double>("drawnHigh");
    const double epoch = 2450000;
    QTest::newRow("at the epoch") << epoch << 0.5 << 0.0 << 0.0 << 1.0;
    QTest::newRow("quarter after") << epoch + 0.125 << 0.5 << 0.25 << 0.25 << 1.25;
    QTest::newRow("half") << epoch + 0.25 << 0.5 << 0.5 << -0.5 << 0.5;
    QTest::newRow("three cycles before") << epoch - 1.5 << 0.5 << 0.0 << 0.0 << 1.0;
    QTest::newRow("negative cycle") << epoch - 0.375 << 0.5 << 0.25 << 0.25 << 1.25;
    QTest::newRow("late in a negative cycle") << epoch - 0.125 << 0.5 << 0.75 << -0.25 << 0.75;
    // (jd − epoch)/period is −4.7e−18: one less its fraction rounds to 1.
    QTest::newRow("a rounding before the epoch") << std::nextafter(epoch, 0.0) << 1e8 << 0.0 << 0.0 << 1.0;
}

void TestFourierFit::phase()
{
    QFETCH(double, jd);
    QFETCH(double, period);
    QFETCH(double, expected);
    QFETCH(double, drawnLow);
    QFETCH(double, drawnHigh);
    const double found = Period::phase(jd, period, 2450000);
    QCOMPARE(found, expected);
    const std::array<double, 2> drawn = drawnPhases(found);
    QCOMPARE(drawn[0], drawnLow);
    QCOMPARE(drawn[1], drawnHigh);
}

QTEST_GUILESS_MAIN(TestFourierFit)
#include "tst_fourierfit.moc"

#include "period/periodogram.h"
#include "support/sanitizer.h"

#include <QTest>

#include <cmath>
#include <fstream>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

Q_DECLARE_METATYPE(Period::Grid)

using namespace Period;

namespace {

constexpr double TwoPi = 6.283185307179586;

// `years` of observing seasons eight months long (none when `allYear`), at
// random times, of sines of `periods` days with semi-amplitudes 0.5, 0.4, ...
// and noise of 0.05 magnitudes.
Points generated(const QList<double> &periods, int years, int count, bool allYear, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> day(0, allYear ? DaysPerYear : 240);
    std::uniform_int_distribution<int> year(0, years - 1);
    std::normal_distribution<double> noise(0, 0.05);
    std::vector<double> jd;
    for (int i = 0; i < count; ++i)
        jd.push_back(2440000 + year(random) * DaysPerYear + day(random));
    std::sort(jd.begin(), jd.end());
    Points points;
    for (double t : jd) {
        double magnitude = 10 + noise(random);
        for (qsizetype p = 0; p < periods.size(); ++p)
            magnitude += (0.5 - 0.1 * double(p)) * std::sin(TwoPi * t / periods[p]);
        points.jd.push_back(t);
        points.magnitude.push_back(magnitude);
        points.error.push_back(0.02 + 0.06 * std::uniform_real_distribution<double>()(random));
    }
    return points;
}

// Lets the process map only `more` bytes beyond what it maps now, for one
// scope.
class AddressSpaceLimit
{
public:
    explicit AddressSpaceLimit(rlim_t more)
    {
        getrlimit(RLIMIT_AS, &m_saved);
        rlim_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit limit{pages * rlim_t(sysconf(_SC_PAGESIZE)) + more, m_saved.rlim_max};
        m_set = setrlimit(RLIMIT_AS, &limit) == 0;
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_saved); }
    AddressSpaceLimit(const AddressSpaceLimit &) = delete;
    AddressSpaceLimit &operator=(const AddressSpaceLimit &) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};

} // namespace

class TestPeriodogram : public QObject
{
    Q_OBJECT
private slots:
    void grid_data();
    void grid();
    void findsKnownPeriods_data();
    void findsKnownPeriods();
    void noiseStaysUnderFalseAlarmLevel();
    void stepsMatchDirectSums_data();
    void stepsMatchDirectSums();
    void stopsWhenAsked();
    void search_data();
    void search();
    void periodError_data();
    void periodError();
    void csvReadsBack();
};

void TestPeriodogram::grid_data()
{
    QTest::addColumn<double>("span");
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");
    QTest::newRow("under 100 days") << 99.9 << 0.05 << 49.95;
    QTest::newRow("100 days") << 100.0 << 1.0 << 50.0;
    QTest::newRow("95 years") << 95 * DaysPerYear << 1.0 << 95 * DaysPerYear / 2;
}

void TestPeriodogram::grid()
{
    QFETCH(double, span);
    QFETCH(double, shortest);
    QFETCH(double, longest);
    const Range range = defaultRange(span);
    QCOMPARE(range.shortest, shortest);
    QCOMPARE(range.longest, longest);
    const Grid grid = gridOf(range, span);
    QCOMPARE(grid.frequency(0), 1 / longest);
    QVERIFY(std::abs(grid.frequency(grid.count - 1) - 1 / shortest) < 1e-9);
    QVERIFY(grid.step <= 1 / (StepsPerPeakWidth * span));
    QVERIFY(grid.step > 0.99 / (StepsPerPeakWidth * span));
    QCOMPARE(gridOf({longest, shortest}, span).count, 0); // the wrong way round
}

void TestPeriodogram::findsKnownPeriods_data()
{
    QTest::addColumn<QList<double>>("periods");
    QTest::addColumn<int>("years");
    QTest::addColumn<bool>("allYear");
    QTest::addColumn<bool>("weighted");
    QTest::newRow("7.1767 d, 20 years with gaps") << QList<double>{7.1767} << 20 << false << false;
    QTest::newRow("7.1767 d, weighted") << QList<double>{7.1767} << 20 << false << true;
    QTest::newRow("two periods") << QList<double>{3.3219, 11.714} << 5 << true << false;
}

void TestPeriodogram::findsKnownPeriods()
{
    QFETCH(QList<double>, periods);
    QFETCH(int, years);
    QFETCH(bool, allYear);
    QFETCH(bool, weighted);
    const Series series = seriesOf(generated(periods, years, 1500, allYear, 7), weighted);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    std::vector<Peak> found = peaks(series, grid, periodogram(series, grid));
    QCOMPARE(found.size(), size_t(10));
    QVERIFY(std::abs(found[0].period() - periods[0]) < 1e-4);
    QCOMPARE(std::round(found[0].semiAmplitude * 10) / 10, 0.5);
    QVERIFY(falseAlarm(found[0].power, series.size(), grid, series.span) < 1e-6);
    QVERIFY(found[0].periodError() > 0 && found[0].periodError() < periods[0] * periods[0] / series.span);
    markAliases(found, found[0], series.span);
    QVERIFY(!found[0].alias);
    // Another period's sine moves a peak a little, within its width; such
    // a peak is no alias of the first.
    for (double period : periods) {
        const auto peak = std::find_if(found.begin(), found.end(), [&](const Peak &p) {
            return std::abs(p.period() - period) < p.periodError();
        });
        QVERIFY2(peak != found.end(), qPrintable(QString::number(period)));
        QVERIFY(!peak->alias);
    }
    if (!allYear) {
        const auto aliasAt = [&](double frequency) {
            return std::any_of(found.begin(), found.end(), [&](const Peak &p) {
                return p.alias && std::abs(p.frequency - frequency) < 1 / series.span;
            });
        };
        QVERIFY(aliasAt(found[0].frequency + 1 / DaysPerYear));
        QVERIFY(aliasAt(found[0].frequency - 1 / DaysPerYear));
    }
}

void TestPeriodogram::noiseStaysUnderFalseAlarmLevel()
{
    Points points = generated({}, 10, 2000, false, 11);
    const Series series = seriesOf(points, false);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    const std::vector<Peak> found = peaks(series, grid, periodogram(series, grid), 1);
    QCOMPARE(found.size(), size_t(1));
    QVERIFY2(falseAlarm(found[0].power, series.size(), grid, series.span) > 0.01,
             qPrintable(QString::number(found[0].power)));
}

void TestPeriodogram::stepsMatchDirectSums_data()
{
    QTest::addColumn<bool>("weighted");
    QTest::newRow("equal weights") << false;
    QTest::newRow("weighted") << true;
}

void TestPeriodogram::stepsMatchDirectSums()
{
    QFETCH(bool, weighted);
    // Long enough, and to periods short enough, that the phasors turn
    // through 10⁵ radians in 10⁵ steps; longer, and the sines and cosines of
    // such angles, direct or not, differ by more than the turning does.
    const Series series = seriesOf(generated({0.61}, 10, 203, false, 3), weighted);
    const Grid grid = gridOf({0.1, 100}, series.span);
    QVERIFY(grid.count > 100000);
    const std::vector<double> power = periodogram(series, grid);
    QCOMPARE(qsizetype(power.size()), grid.count);
    double worst = 0;
    for (qsizetype k = 0; k < grid.count; ++k)
        worst = std::max(worst, std::abs(power[size_t(k)] - powerAt(series, grid.frequency(k))));
    QVERIFY2(worst < 1e-9, qPrintable(QString::number(worst)));
}

void TestPeriodogram::stopsWhenAsked()
{
    const Series series = seriesOf(generated({5}, 20, 500, false, 5), false);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    int calls = 0;
    QVERIFY(periodogram(series, grid, [&calls](double) { return ++calls < 3; }).empty());
    QCOMPARE(calls, 3);
    QVERIFY(periodogram(seriesOf(generated({5}, 1, 3, false, 5), false), grid).empty()); // too few points
}

void TestPeriodogram::search_data()
{
    QTest::addColumn<bool>("constant");
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<bool>("memoryShort");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    const Grid century = gridOf({0.001, 50000}, 100000);
    const Grid most{0.01, 1e-7, MostFrequencies};
    const Grid overMost{0.01, 1e-7, MostFrequencies + 1};
    QTest::newRow("a variable star") << false << Grid{0.01, 0.001, 1000} << false
                                     << int(Search::Outcome::Found) << QString();
    QTest::newRow("every magnitude alike") << true << Grid{0.01, 0.001, 1000} << false
                                           << int(Search::Outcome::NoVariation) << NoVariation;
    QTest::newRow("a century from 0.001 d")
        << false << century << false << int(Search::Outcome::TooManyFrequencies)
        << TooManyFrequencies.arg(century.count).arg(MostFrequencies);
    QTest::newRow("one frequency too many")
        << false << overMost << false << int(Search::Outcome::TooManyFrequencies)
        << TooManyFrequencies.arg(MostFrequencies + 1).arg(MostFrequencies);
    QTest::newRow("as many as allowed, memory short")
        << false << most << true << int(Search::Outcome::OutOfMemory) << NoMemory;
}

void TestPeriodogram::search()
{
    QFETCH(bool, constant);
    QFETCH(Grid, grid);
    QFETCH(bool, memoryShort);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    Points points = generated({2}, 1, 50, true, 9);
    if (constant)
        points.magnitude.assign(points.magnitude.size(), 10.0);
    const Series series = seriesOf(points, false);
    std::optional<AddressSpaceLimit> limit;
    if (memoryShort) {
        if (UnderAddressSanitizer)
            QSKIP("AddressSanitizer ends the process when memory runs out");
        limit.emplace(64 << 20); // far under the powers of `grid`
        QVERIFY(limit->set());
    }
    const Search found = Period::search(series, grid);
    limit.reset();
    QCOMPARE(int(found.outcome), outcome);
    QCOMPARE(found.message, message);
    QCOMPARE(found.peaks.empty(), outcome != int(Search::Outcome::Found));
    if (!found.peaks.empty())
        QVERIFY(std::abs(found.peaks[0].period() - 2) < 0.01);
}

// The grid's power under half the refined peak's gives no width: no
// uncertainty, rather than a negative one.
void TestPeriodogram::periodError_data()
{
    QTest::addColumn<double>("scale"); // of the grid's power
    QTest::addColumn<bool>("given");
    QTest::newRow("the grid's own power") << 1.0 << true;
    QTest::newRow("a third of it") << 0.3 << false;
}

void TestPeriodogram::periodError()
{
    QFETCH(double, scale);
    QFETCH(bool, given);
    const Series series = seriesOf(generated({5}, 3, 300, false, 5), false);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    std::vector<double> power = periodogram(series, grid);
    for (double &p : power)
        p *= scale;
    const qsizetype highest = std::max_element(power.begin(), power.end()) - power.begin();
    const double error = peakNear(series, grid, power, highest).periodError();
    QCOMPARE(std::isfinite(error), given);
    QVERIFY(std::isnan(error) || error > 0);
}

void TestPeriodogram::csvReadsBack()
{
    const Series series = seriesOf(generated({2}, 1, 50, true, 9), false);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    const std::vector<double> power = periodogram(series, grid);
    const QList<QByteArray> lines = csv(grid, power).split('\n');
    QVERIFY(lines.first().endsWith('\r'));
    QCOMPARE(lines.size(), grid.count + 2); // the header, and nothing after the last line end
    QCOMPARE(lines.first().trimmed(), CsvHeader);
    for (qsizetype k = 0; k < grid.count; k += grid.count / 7) {
        const QList<QByteArray> fields = lines[k + 1].split(',');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0].toDouble(), 1 / grid.frequency(k));
        QCOMPARE(fields[1].toDouble(), grid.frequency(k));
        QCOMPARE(fields[2].toDouble(), power[size_t(k)]);
    }
}

QTEST_GUILESS_MAIN(TestPeriodogram)
#include "tst_periodogram.moc"

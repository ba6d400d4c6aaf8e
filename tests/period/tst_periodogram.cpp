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
Q_DECLARE_METATYPE(Period::Method)
Q_DECLARE_METATYPE(Period::Points)

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

// `count` observations within one night of `hours`, of a sine of `period` days.
Points oneNight(double period, double hours, int count)
{
    std::mt19937 random(17);
    std::uniform_real_distribution<double> at(0, hours / 24);
    std::normal_distribution<double> noise(0, 0.01);
    Points points;
    for (int i = 0; i < count; ++i) {
        const double t = 2460000.3 + at(random);
        points.jd.push_back(t);
        points.magnitude.push_back(12 + 0.2 * std::sin(TwoPi * t / period) + noise(random));
        points.error.push_back(0.01);
    }
    return points;
}

// `points` with those after the first `kept` moved `years` later.
Points gapped(Points points, size_t kept, int years)
{
    for (size_t i = kept; i < points.jd.size(); ++i)
        points.jd[i] += years * DaysPerYear;
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
    void stopsWhenAsked_data();
    void stopsWhenAsked();
    void fastFindsExactPeaks_data();
    void fastFindsExactPeaks();
    void peaksSeeThroughErrors_data();
    void peaksSeeThroughErrors();
    void methodFor_data();
    void methodFor();
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
    const std::vector<double> power = periodogram(series, grid, {}, Method::Exact);
    QCOMPARE(qsizetype(power.size()), grid.count);
    double worst = 0;
    for (qsizetype k = 0; k < grid.count; ++k)
        worst = std::max(worst, std::abs(power[size_t(k)] - powerAt(series, grid.frequency(k))));
    QVERIFY2(worst < 1e-9, qPrintable(QString::number(worst)));
}

void TestPeriodogram::stopsWhenAsked_data()
{
    QTest::addColumn<Method>("method");
    QTest::newRow("exact") << Method::Exact;
    QTest::newRow("fast") << Method::Fast;
}

void TestPeriodogram::stopsWhenAsked()
{
    QFETCH(Method, method);
    const Series series = seriesOf(generated({5}, 20, 500, false, 5), false);
    // Many blocks of either method's size.
    const Grid grid = gridOf({0.1, series.span / 2}, series.span);
    int calls = 0;
    QVERIFY(periodogram(series, grid, [&calls](double) { return ++calls < 3; }, method).empty());
    QCOMPARE(calls, 3);
    calls = 0;
    const Search stopped = Period::search(series, grid, [&calls](double) { return ++calls < 2; }, 10, method);
    QCOMPARE(int(stopped.outcome), int(Search::Outcome::Stopped));
    QVERIFY(stopped.peaks.empty());
    // Stopped at the first question once the grid is done: in the peaks.
    int done = 0;
    const Search late = Period::search(series, grid, [&done](double share) { return share < 1 || ++done < 2; },
                                       10, method);
    QCOMPARE(int(late.outcome), int(Search::Outcome::Stopped));
    QVERIFY(late.power.empty());
    QCOMPARE(done, 2);
    QVERIFY(periodogram(seriesOf(generated({5}, 1, 3, false, 5), false), grid, {}, method).empty()); // too few points
}

void TestPeriodogram::fastFindsExactPeaks_data()
{
    QTest::addColumn<Points>("points");
    QTest::addColumn<bool>("weighted");
    QTest::addColumn<double>("period"); // the highest peak's
    QTest::newRow("uneven, 20 seasons") << generated({7.1767}, 20, 3000, false, 21) << true << 7.1767;
    QTest::newRow("two periods, all year") << generated({3.3219, 11.714}, 5, 2000, true, 22) << false << 3.3219;
    QTest::newRow("a Mira over 50 years") << generated({332}, 50, 5000, false, 23) << true << 332.0;
    QTest::newRow("gaps of 30 years") << gapped(generated({5.366}, 4, 1200, false, 24), 600, 30) << false << 5.366;
    QTest::newRow("a single night") << oneNight(0.0712, 7, 400) << false << 0.0712;
    QTest::newRow("49 points") << generated({2.5}, 2, 49, false, 25) << false << 2.5;
}

// The fast method's peaks are the exact method's: the same frequencies,
// powers, amplitudes and uncertainties.
void TestPeriodogram::fastFindsExactPeaks()
{
    QFETCH(Points, points);
    QFETCH(bool, weighted);
    QFETCH(double, period);
    const Series series = seriesOf(points, weighted);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    const Search exact = Period::search(series, grid, {}, 10, Method::Exact);
    const Search fast = Period::search(series, grid, {}, 10, Method::Fast);
    QCOMPARE(int(fast.outcome), int(Search::Outcome::Found));
    QVERIFY(std::abs(exact.peaks[0].period() - period) < exact.peaks[0].periodError());
    QCOMPARE(fast.peaks.size(), exact.peaks.size());
    const auto close = [](double a, double b) { return std::abs(a - b) <= 1e-6 * std::abs(b); };
    for (size_t i = 0; i < exact.peaks.size(); ++i) {
        const Peak &f = fast.peaks[i], &e = exact.peaks[i];
        const QByteArray row = QByteArray::number(qulonglong(i));
        QVERIFY2(close(f.frequency, e.frequency), row);
        QVERIFY2(close(f.power, e.power), row);
        QVERIFY2(close(f.semiAmplitude, e.semiAmplitude), row);
        QVERIFY2(close(f.periodError(), e.periodError()), row);
    }
    // The fast grid itself is close, not equal.
    double worst = 0;
    for (size_t k = 0; k < exact.power.size(); ++k)
        worst = std::max(worst, std::abs(fast.power[k] - exact.power[k]));
    QVERIFY2(worst < 1e-4 * exact.peaks[0].power, qPrintable(QString::number(worst)));
}

// The peaks come out exact whatever errors the power given to find them has,
// provided it still shows them: they are climbed and measured anew.
void TestPeriodogram::peaksSeeThroughErrors_data()
{
    QTest::addColumn<QList<double>>("periods");
    QTest::addColumn<double>("error"); // relative to the highest power
    const QList<double> star{7.1767};
    QTest::newRow("a period, none") << star << 0.0;
    QTest::newRow("a period, a millionth") << star << 1e-6;
    QTest::newRow("a period, a thousandth") << star << 1e-3;
    // Noise alone has peaks of about the same power: errors change their order.
    QTest::newRow("noise, a thousandth") << QList<double>{} << 1e-3;
    QTest::newRow("noise, one per cent") << QList<double>{} << 1e-2;
    QTest::newRow("noise, five per cent") << QList<double>{} << 5e-2;
    QTest::newRow("noise, twenty per cent") << QList<double>{} << 0.2;
}

void TestPeriodogram::peaksSeeThroughErrors()
{
    QFETCH(QList<double>, periods);
    QFETCH(double, error);
    const Series series = seriesOf(generated(periods, 10, 800, false, 31), false);
    const Grid grid = gridOf(defaultRange(series.span), series.span);
    const std::vector<double> power = periodogram(series, grid, {}, Method::Exact);
    const std::vector<Peak> exact = peaks(series, grid, power);
    // Errors that lower whole peaks, as a smooth error of a method would, and
    // so change their order; and a scatter from point to point.
    std::vector<double> noisy = power;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> off(-error, error);
    for (size_t k = 0; k < noisy.size(); ++k)
        noisy[k] = std::max(0.0, power[k] - (error * std::pow(std::sin(0.0123 * double(k)), 2) + off(random) / 10) *
                                                exact[0].power);
    const std::vector<Peak> found = peaks(series, grid, noisy);
    QCOMPARE(found.size(), exact.size());
    for (size_t i = 0; i < exact.size(); ++i) {
        QCOMPARE(found[i].frequency, exact[i].frequency);
        QCOMPARE(found[i].power, exact[i].power);
        QCOMPARE(found[i].halfWidth, exact[i].halfWidth);
    }
}

void TestPeriodogram::methodFor_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<qsizetype>("frequencies");
    QTest::addColumn<Method>("method");
    const auto enough = [](size_t points) { return qsizetype(std::ceil(FastFromWork / double(points))); };
    QTest::newRow("too few points for any grid") << int(FastFromPoints - 1) << MostFrequencies << Method::Exact;
    QTest::newRow("enough points, grid too small")
        << int(FastFromPoints) << enough(FastFromPoints) - 1 << Method::Exact;
    QTest::newRow("enough points, grid just large enough")
        << int(FastFromPoints) << enough(FastFromPoints) << Method::Fast;
    QTest::newRow("many points, small grid") << 20000 << enough(20000) - 1 << Method::Exact;
    QTest::newRow("many points, large grid") << 20000 << enough(20000) << Method::Fast;
}

// The method chosen, and the search's power is the exact method's where it
// is chosen, and then only.
void TestPeriodogram::methodFor()
{
    QFETCH(int, points);
    QFETCH(qsizetype, frequencies);
    QFETCH(Method, method);
    QCOMPARE(Period::methodFor(size_t(points), frequencies), method);
    if (double(frequencies) * points > 1e9)
        return; // too long to compute exactly here
    const Series series = seriesOf(generated({2.5}, 10, points, false, 41), false);
    const Grid grid{0.01, 1 / (StepsPerPeakWidth * series.span), frequencies};
    const std::vector<double> exact = periodogram(series, grid, {}, Method::Exact);
    QCOMPARE(Period::search(series, grid).power == exact, method == Method::Exact);
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

// A grid three peak widths apart whose two points nearest the peak are each
// a width and a half from it, where the power is under half the refined
// peak's, gives no width: no uncertainty, rather than a negative one.
void TestPeriodogram::periodError_data()
{
    QTest::addColumn<double>("offset"); // of the peak from the nearest grid point, in steps
    QTest::addColumn<bool>("given");
    QTest::newRow("a grid point on the peak") << 0.0 << true;
    QTest::newRow("the peak between two grid points") << 0.5 << false;
}

void TestPeriodogram::periodError()
{
    QFETCH(double, offset);
    QFETCH(bool, given);
    const Series series = seriesOf(generated({5}, 3, 300, false, 5), false);
    const Grid fine = gridOf({4, 6}, series.span);
    const double peak = peaks(series, fine, periodogram(series, fine), 1)[0].frequency;
    const double step = 3 / series.span;
    const Grid grid{peak - (20 + offset) * step, step, 40};
    const std::vector<double> power = periodogram(series, grid);
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

#include "measurement/exposuresky.h"
#include "measurement/skylabel.h"

#include <QLocale>
#include <QTest>

#include <cmath>

using namespace Measurement;

namespace {

struct Typed
{
    QString text;
    QVector<double> expected; // latitude, longitude, height
    QString problem;
};

struct Labels
{
    double header, altitude, computed; // NaN: none; no altitude, no sky
    bool reversed;
    double hjd;
    QString expected;
    double used; // the airmass a record takes; NaN: none
};

std::optional<double> given(double value) { return std::isnan(value) ? std::nullopt : std::optional<double>(value); }

} // namespace

Q_DECLARE_METATYPE(Typed)
Q_DECLARE_METATYPE(Labels)

class TestExposureSky : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian)); } // nothing may follow it
    void typedSites_data();
    void typedSites();
    void labels_data();
    void labels();
    void exposures_data();
    void exposures();
};

void TestExposureSky::typedSites_data()
{
    QTest::addColumn<Typed>("typed");
    const QString box = Reason::SiteBox + QLatin1Char(' ');
    QTest::newRow("comma and semicolon") << Typed{" 45,4642; 9.19\t", {45.4642, 9.19, 0}, {}};
    QTest::newRow("blank") << Typed{"  ", {}, {}};
    QTest::newRow("colon") << Typed{"45:30 9", {}, box + Reason::SiteBoxUnreadable};
    QTest::newRow("four") << Typed{"45 9 1 2", {}, box + Reason::SiteBoxUnreadable};
    QTest::newRow("lon 361") << Typed{"45 361 0", {}, box + SkyTime::Reason::Longitude};
}

void TestExposureSky::typedSites()
{
    QFETCH(Typed, typed);
    const SkyTime::Outcome<SkyTime::Site> site = parseTypedSite(typed.text);
    QCOMPARE(site.problem, typed.problem);
    QVector<double> read;
    if (site.value)
        read = {site.value->latitude, site.value->longitude, site.value->height};
    QCOMPARE(read, typed.expected);
}

void TestExposureSky::labels_data()
{
    using namespace Label;
    QTest::addColumn<Labels>("labels");
    const auto refused = [](const char *value) {
        return ImplausibleAirmass.arg(QLatin1String(value), QString::number(LeastAirmass), QString::number(MostAirmass));
    };
    QTest::newRow("header first") << Labels{1.5, 60, 1.2, true, 2460001.44305533,
                                            Airmass.arg("1.5000", FromHeader) + Hjd.arg("2460001.443055"), 1.5};
    QTest::newRow("header at the least") << Labels{LeastAirmass, 60, 1.2, false, qQNaN(),
                                                   Airmass.arg("1.0000", FromHeader), LeastAirmass};
    QTest::newRow("header at the most") << Labels{MostAirmass, qQNaN(), qQNaN(), false, qQNaN(),
                                                  Airmass.arg("40.0000", FromHeader), MostAirmass};
    QTest::newRow("header under the least") << Labels{0.99, 60, 1.2, false, qQNaN(),
                                                      refused("0.99") + Airmass.arg("1.2000", Computed), 1.2};
    QTest::newRow("header over the most, no sky") << Labels{1e30, qQNaN(), qQNaN(), false, qQNaN(), refused("1e+30"), qQNaN()};
    QTest::newRow("computed") << Labels{qQNaN(), 60, 1.23456, false, qQNaN(), Airmass.arg("1.2346", Computed), 1.23456};
    QTest::newRow("turned") << Labels{qQNaN(), 5, 12.99996, true, qQNaN(), Airmass.arg("13.0000", ComputedReversed), 12.99996};
    QTest::newRow("too low, rounded down") << Labels{qQNaN(), 4.996, qQNaN(), false, 2460001.44305533,
                                                     TooLow.arg("4.99") + Hjd.arg("2460001.443055"), qQNaN()};
    QTest::newRow("on the horizon") << Labels{qQNaN(), 0, qQNaN(), false, qQNaN(), TooLow.arg("0.00"), qQNaN()};
    QTest::newRow("below the horizon") << Labels{qQNaN(), -0.01, qQNaN(), true, qQNaN(), BelowHorizon, qQNaN()};
    QTest::newRow("header refused, below the horizon") << Labels{-1, -30, qQNaN(), false, qQNaN(),
                                                                 refused("-1") + BelowHorizon, qQNaN()};
    QTest::newRow("nothing") << Labels{qQNaN(), qQNaN(), qQNaN(), true, qQNaN(), QString(), qQNaN()};
}

void TestExposureSky::labels()
{
    QFETCH(Labels, labels);
    std::optional<SkyTime::Sky> sky;
    if (!std::isnan(labels.altitude))
        sky = SkyTime::Sky{labels.altitude, given(labels.computed), labels.hjd, 0};
    const QString shown = airmassLabel(given(labels.header), sky, labels.reversed);
    QCOMPARE(shown + hjdLabel(given(labels.hjd)), labels.expected);
    Imaging::ImageHeader header;
    header.airmass = given(labels.header);
    QCOMPARE(usedAirmass(header, sky), given(labels.used));
}

void TestExposureSky::exposures_data()
{
    using namespace Label;
    QTest::addColumn<double>("seconds"); // NaN: none
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    const QLocale italian(QLocale::Italian);
    QTest::newRow("none") << qQNaN() << italian << Exposure.arg(Unknown);
    QTest::newRow("0 s") << 0.0 << italian << Exposure.arg("0");
    QTest::newRow("half a second, Italian") << 0.5 << italian << Exposure.arg("0,5");
    QTest::newRow("a day, no group separator") << Imaging::MostExposure << italian << Exposure.arg("86400");
    QTest::newRow("over a day, C") << Imaging::MostExposure + 0.5 << QLocale::c() << ImplausibleExposure.arg("86400.5");
    QTest::newRow("1e12") << 1e12 << italian << ImplausibleExposure.arg("1E+12");
    QTest::newRow("negative") << -1.0 << italian << ImplausibleExposure.arg("-1");
}

void TestExposureSky::exposures()
{
    QFETCH(double, seconds);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(exposureLabel(given(seconds), locale), expected);
}

QTEST_GUILESS_MAIN(TestExposureSky)
#include "tst_exposuresky.moc"

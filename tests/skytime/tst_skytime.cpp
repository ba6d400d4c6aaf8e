#include "skytime/observation.h"
#include "skytime/place.h"

#include <QLocale>
#include <QTest>

#include <cmath>

using namespace SkyTime;

namespace {

const double latA = 46 + 52 / 60.0 + 0.408 / 3600; // +46:52:00.408
const double lonA = 96 + 27 / 60.0 + 11.8 / 3600;  // 96:27:11.8
const Site siteA{latA, -lonA, 300}, siteB{45.4642, 9.19, 120};
const Target t1{150, 20}, t2{300, -30};
// Civil Julian dates (UTC, days of 86400 s); a leap second ends 2016.
const double feb25at0300 = 2460000.625, feb25at2230 = 2460001.4375, aug10at0100 = 2460166.5 + 1 / 24.0,
             mar14at1200 = 2460384.0;
const double leapDayEnd = 2457754.5 - 0.5 / 86400; // 2016-12-31T23:59:59.5

struct Reference
{
    Site site;
    Target target;
    double jd, altitude, airmass, hjd, bjd; // airmass 0: none
};


struct Choice
{
    Site site;
    Target target;
    double jd, used; // used: the longitude chosen
    QString problem;
};


} // namespace

Q_DECLARE_METATYPE(Reference)
Q_DECLARE_METATYPE(Choice)

class TestSkyTime : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian)); } // nothing may follow it
    void sky_data();
    void sky();
    void airmassLimit_data();
    void airmassLimit();
    void longitudeSign_data();
    void longitudeSign();
};

// From astropy 5.2.1 (Debian 12): AltAz with pressure 0 and delta_ut1_utc = 0,
// Hardie's airmass of that altitude; HJD = civil JD + light_travel_time(
// 'heliocentric'); BJD_TDB = Time.tdb + light_travel_time('barycentric').
void TestSkyTime::sky_data()
{
    QTest::addColumn<Reference>("ref");
    QTest::newRow("high") << Reference{siteB, t1, feb25at2230, 63.562210, 1.116544, 2460001.44305533, 2460001.44389714};
    QTest::newRow("middle") << Reference{siteA, t1, feb25at0300, 43.336475, 1.455620, 2460000.63056997, 2460000.63141181};
    QTest::newRow("low") << Reference{siteB, t2, aug10at0100, 5.475451, 9.515800, 2460166.54706811, 2460166.54785643};
    QTest::newRow("just below") << Reference{siteA, t1, feb25at2230, -0.613681, 0, 2460001.44305511, 2460001.44389692};
    QTest::newRow("t1 leap day") << Reference{siteA, t1, leapDayEnd, -16.464520, 0, 2457754.50400504, 2457754.50479108};
    QTest::newRow("t2 leap day") << Reference{siteB, t2, leapDayEnd, -72.536831, 0, 2457754.49459202, 2457754.49536963};
}

void TestSkyTime::sky()
{
    QFETCH(Reference, ref);
    const Outcome<Sky> sky = observe(ref.site, ref.target, ref.jd);
    QVERIFY2(sky.value, qPrintable(sky.problem));
    QVERIFY2(std::abs(sky.value->altitude - ref.altitude) < 1e-4, qPrintable(QString::number(sky.value->altitude)));
    QCOMPARE(sky.value->airmass.has_value(), ref.airmass > 0);
    QVERIFY(std::abs(sky.value->airmass.value_or(0) - ref.airmass) < 1e-4);
    QVERIFY2(std::abs(sky.value->hjd - ref.hjd) < 1e-6, qPrintable(QString::number(sky.value->hjd, 'f', 6)));
    QVERIFY2(std::abs(sky.value->bjdTdb - ref.bjd) < 1e-6, qPrintable(QString::number(sky.value->bjdTdb, 'f', 6)));
}

// Hardie's polynomial, evaluated by hand, down to its least altitude; below,
// where it turns down (-55.76 at 1.13°), none.
void TestSkyTime::airmassLimit_data()
{
    QTest::addColumn<double>("altitude");
    QTest::addColumn<double>("expected"); // NaN: none
    QTest::newRow("5°") << LeastAirmassAltitude << 10.2106037;
    QTest::newRow("4.999°") << LeastAirmassAltitude - 0.001 << qQNaN();
    QTest::newRow("1.13°") << 1.13 << qQNaN();
    QTest::newRow("below the horizon") << -0.5 << qQNaN();
    QTest::newRow("NaN") << qQNaN() << qQNaN();
}

void TestSkyTime::airmassLimit()
{
    QFETCH(double, altitude);
    QFETCH(double, expected);
    const std::optional<double> computed = airmass(altitude);
    QCOMPARE(computed.has_value(), !qIsNaN(expected));
    QVERIFY2(!computed || std::abs(*computed - expected) < 1e-7, qPrintable(QString::number(computed.value_or(0), 'f', 9)));
}

// The sign rule, and the values that give neither a choice nor a sky. From
// astropy as above, at -96.45° and +96.45°: t1 at 03:00 43.3° and -16.5°, at
// 22:30 -0.6° and 21.7°; t2 at 22:30 -25.4° and -9.8°; t1 on 10 August 16.7°
// and 20.7° (the higher one is no reason to turn). At 12:00 of 14 March 2024,
// by observe() (checked against astropy above), from Milan (siteB) as
// written and turned: RA 259.5° -8.39° and 4.47°, RA 267.4° -2.87° and
// 9.97°, RA 267.5° -2.80° and 10.04° (all Dec 0); from Chile (-30.24°,
// -70.7°) RA 160°, Dec -20° -14.58° and 4.27°.
void TestSkyTime::longitudeSign_data()
{
    QTest::addColumn<Choice>("choice");
    const Site west{latA, lonA, 300};
    QTest::newRow("east as written") << Choice{siteA, t1, feb25at0300, -lonA, {}};
    QTest::newRow("written west positive") << Choice{west, t1, feb25at0300, -lonA, {}};
    QTest::newRow("turned the other way") << Choice{siteA, t1, feb25at2230, lonA, {}};
    QTest::newRow("down both ways") << Choice{siteA, t2, feb25at2230, -lonA, {}};
    QTest::newRow("up both ways") << Choice{siteA, t1, aug10at0100, -lonA, {}};
    QTest::newRow("turned too low: east kept") << Choice{siteB, {259.5, 0}, mar14at1200, siteB.longitude, {}};
    QTest::newRow("turned just under the least") << Choice{siteB, {267.4, 0}, mar14at1200, siteB.longitude, {}};
    QTest::newRow("turned just over the least") << Choice{siteB, {267.5, 0}, mar14at1200, -siteB.longitude, {}};
    QTest::newRow("Chilean west kept") << Choice{{-30.24, -70.7, 2200}, {160, -20}, mar14at1200, -70.7, {}};
    QTest::newRow("latitude NaN") << Choice{{qQNaN(), 0, 0}, t1, feb25at0300, 0, Reason::Latitude};
    QTest::newRow("dec -90.1") << Choice{siteB, {0, -90.1}, feb25at0300, 0, Reason::Target};
    QTest::newRow("JD NaN") << Choice{siteB, t1, qQNaN(), 0, Reason::Time};
    QTest::newRow("JD before the calendar") << Choice{siteB, t1, -1e9, 0, Reason::Time};
}

void TestSkyTime::longitudeSign()
{
    QFETCH(Choice, choice);
    const Outcome<LongitudeChoice> chosen = chooseLongitudeSign(choice.site, choice.target, choice.jd);
    QCOMPARE(chosen.problem, choice.problem);
    QCOMPARE(observe(choice.site, choice.target, choice.jd).problem, choice.problem);
    QCOMPARE(chosen.value.has_value(), choice.problem.isEmpty());
    if (chosen.value) {
        QCOMPARE(chosen.value->site.longitude, choice.used);
        QCOMPARE(chosen.value->reversed, choice.used != choice.site.longitude);
    }
}

QTEST_GUILESS_MAIN(TestSkyTime)
#include "tst_skytime.moc"

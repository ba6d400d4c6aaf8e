#include "skytime/label.h"
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
const double feb25at0300 = 2460000.625, feb25at2230 = 2460001.4375, aug10at0100 = 2460166.5 + 1 / 24.0;
const double leapDayEnd = 2457754.5 - 0.5 / 86400; // 2016-12-31T23:59:59.5

struct Reference
{
    Site site;
    Target target;
    double jd, altitude, airmass, hjd, bjd; // airmass 0: none
};

struct Reading
{
    QString kind; // "site": header keys, "typed": the box's text, "target": header keys
    QStringList input;
    QVector<double> expected; // latitude, longitude, height or RA, Dec
    QString problem;
};

struct Choice
{
    Site site;
    Target target;
    double jd, used; // used: the longitude chosen
    QString problem;
};

struct Labels
{
    double header, computed; // NaN: none
    bool reversed;
    double hjd;
    QString expected;
};

std::optional<double> given(double value) { return std::isnan(value) ? std::nullopt : std::optional<double>(value); }

} // namespace

Q_DECLARE_METATYPE(Reference)
Q_DECLARE_METATYPE(Reading)
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(Labels)

class TestSkyTime : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian)); } // nothing may follow it
    void sky_data();
    void sky();
    void readings_data();
    void readings();
    void longitudeSign_data();
    void longitudeSign();
    void labels_data();
    void labels();
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
    QVERIFY2(std::abs(sky.value->hjd - ref.hjd) < 1e-6, qPrintable(julianDateText(sky.value->hjd)));
    QVERIFY2(std::abs(sky.value->bjdTdb - ref.bjd) < 1e-6, qPrintable(julianDateText(sky.value->bjdTdb)));
}

// Precessed targets from astropy: SkyCoord(150, 20, frame=FK5(equinox=...)).transform_to(ICRS()).
void TestSkyTime::readings_data()
{
    QTest::addColumn<Reading>("reading");
    const auto row = [](const char *name, const Reading &reading) { QTest::newRow(name) << reading; };
    const QString box = Reason::SiteBox + QLatin1Char(' ');
    row("colons", {"site", {"SITELAT=+46:52:00.408", "SITELONG=-96:27:11.8", "SITEELEV=300"}, {latA, -lonA, 300}, {}});
    row("decimal, D", {"site", {"OBSGEO-B=45.4642", "OBSGEO-L=9.19", "OBSGEO-H=1.2D2"}, {45.4642, 9.19, 120}, {}});
    row("minus 0°", {"site", {"LATITUDE=-00 30 00", "LONGITUD=-0:15"}, {-0.5, -0.25, 0}, {}});
    row("next pair", {"site", {"SITELAT=N", "SITELONG=9", "OBSLAT=-90", "OBSLONG=360", "OBSALT=5"}, {-90, 360, 5}, {}});
    row("60 minutes", {"site", {"LAT-OBS=45:60:00", "LONG-OBS=9"}, {}, Reason::NoSite});
    row("lat 90.0001", {"site", {"SITELAT=90.0001", "SITELONG=9"}, {}, Reason::Latitude});
    row("typed", {"typed", {" 45,4642; 9.19\t"}, {45.4642, 9.19, 0}, {}});
    row("typed blank", {"typed", {"  "}, {}, {}});
    row("typed colon", {"typed", {"45:30 9"}, {}, box + Reason::SiteBoxUnreadable});
    row("typed four", {"typed", {"45 9 1 2"}, {}, box + Reason::SiteBoxUnreadable});
    row("typed lon 361", {"typed", {"45 361 0"}, {}, box + Reason::Longitude});
    row("OBJCTRA hours", {"target", {"OBJCTRA=20 00 00.0", "OBJCTDEC=-30 00 00", "RA=150", "DEC=20"}, {300, -30}, {}});
    row("RA degrees", {"target", {"RA=150.0", "DEC=2.0E+01", "EQUINOX=2000.0"}, {150, 20}, {}});
    row("RA hours", {"target", {"RA=10:00:00", "DEC=-00:30:00"}, {150, -0.5}, {}});
    row("J2025", {"target", {"RA=150", "DEC=20", "EQUINOX=J2025"}, {149.6541394, 20.1203221}, {}});
    row("1950 is B", {"target", {"RA=150", "DEC=20", "EPOCH=1950"}, {150.6902832, 19.7580765}, {}});
    row("24h 00m 01s", {"target", {"OBJCTRA=24 00 01", "OBJCTDEC=0"}, {}, Reason::Target});
    row("no target", {"target", {"OBJECT=SS Cyg", "RA=150"}, {}, Reason::NoTarget});
}

void TestSkyTime::readings()
{
    QFETCH(Reading, reading);
    HeaderKeys keys;
    for (const QString &pair : reading.input)
        keys.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    QVector<double> read;
    QString problem;
    if (reading.kind == QLatin1String("target")) {
        const Outcome<Target> target = targetFromHeader(keys);
        problem = target.problem;
        if (target.value)
            read = {target.value->ra, target.value->dec};
    } else {
        const bool typed = reading.kind == QLatin1String("typed");
        const Outcome<Site> site = typed ? parseTypedSite(reading.input.value(0)) : siteFromHeader(keys);
        problem = site.problem;
        if (site.value)
            read = {site.value->latitude, site.value->longitude, site.value->height};
    }
    QCOMPARE(problem, reading.problem);
    QCOMPARE(read.size(), reading.expected.size());
    for (int i = 0; i < read.size(); ++i)
        QVERIFY2(std::abs(read[i] - reading.expected[i]) < 1e-5, qPrintable(QString::number(read[i], 'f', 7)));
}

// The sign rule, and the values that give neither a choice nor a sky. From
// astropy as above, at -96.45° and +96.45°: t1 at 03:00 43.3° and -16.5°, at
// 22:30 -0.6° and 21.7°; t2 at 22:30 -25.4° and -9.8°; t1 on 10 August 16.7°
// and 20.7° (the higher one is no reason to turn).
void TestSkyTime::longitudeSign_data()
{
    QTest::addColumn<Choice>("choice");
    const Site west{latA, lonA, 300};
    QTest::newRow("east as written") << Choice{siteA, t1, feb25at0300, -lonA, {}};
    QTest::newRow("written west positive") << Choice{west, t1, feb25at0300, -lonA, {}};
    QTest::newRow("turned the other way") << Choice{siteA, t1, feb25at2230, lonA, {}};
    QTest::newRow("down both ways") << Choice{siteA, t2, feb25at2230, -lonA, {}};
    QTest::newRow("up both ways") << Choice{siteA, t1, aug10at0100, -lonA, {}};
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

void TestSkyTime::labels_data()
{
    using namespace Label;
    QTest::addColumn<Labels>("labels");
    QTest::newRow("header first") << Labels{1.5, 1.2, true, 2460001.44305533,
                                            Airmass.arg("1.5000", FromHeader) + Hjd.arg("2460001.443055")};
    QTest::newRow("computed") << Labels{qQNaN(), 1.23456, false, qQNaN(), Airmass.arg("1.2346", Computed)};
    QTest::newRow("turned") << Labels{qQNaN(), 12.99996, true, qQNaN(), Airmass.arg("13.0000", ComputedReversed)};
    QTest::newRow("nothing") << Labels{qQNaN(), qQNaN(), true, qQNaN(), QString()};
}

void TestSkyTime::labels()
{
    QFETCH(Labels, labels);
    const QString shown = airmassLabel(given(labels.header), given(labels.computed), labels.reversed);
    QCOMPARE(shown + hjdLabel(given(labels.hjd)), labels.expected);
}

QTEST_GUILESS_MAIN(TestSkyTime)
#include "tst_skytime.moc"

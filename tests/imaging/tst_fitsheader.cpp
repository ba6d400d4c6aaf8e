#include "imaging/fitsheader.h"

#include <QTest>

#include <cmath>
#include <ctime>

using namespace Imaging;

namespace {

// Europe/Rome for one test, the old zone back afterwards, even on failure.
struct RomeTime
{
    const QByteArray saved = qgetenv("TZ");
    RomeTime() { set("Europe/Rome"); }
    ~RomeTime() { set(saved); }
    static void set(const QByteArray &zone)
    {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        tzset();
    }
};

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

QString shown(const std::optional<double> &value) { return value ? QString::number(*value) : QStringLiteral("?"); }

const double latA = 46 + 52 / 60.0 + 0.408 / 3600; // +46:52:00.408
const double lonA = 96 + 27 / 60.0 + 11.8 / 3600;  // 96:27:11.8

struct Place
{
    bool target; // else the site
    HeaderKeys keys;
    QVector<double> expected; // latitude, longitude, height or RA, Dec
    QString problem;
};

} // namespace

Q_DECLARE_METATYPE(HeaderKeys)
Q_DECLARE_METATYPE(Place)

class TestFitsHeader : public QObject
{
    Q_OBJECT
private slots:
    void dates_data();
    void dates();
    void julianDates_data();
    void julianDates();
    void values_data();
    void values();
    void places_data();
    void places();
};

void TestFitsHeader::dates_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QDateTime>("expected"); // invalid: absent

    QTest::newRow("zone -0700") << "2017-12-19T18:33:43.317-0700" << "" << utc(2017, 12, 20, 1, 33, 43, 317);
    QTest::newRow("zone +01:00") << "2023-02-25T00:30:00+01:00" << "" << utc(2023, 2, 24, 23, 30, 0);
    QTest::newRow("blank for T") << "2024-03-15 03:30:00" << "" << utc(2024, 3, 15, 3, 30, 0);
    QTest::newRow("no zone is UTC") << "2023-02-25T22:30:00" << "01:00:00" << utc(2023, 2, 25, 22, 30, 0);
    QTest::newRow("rounds into the next day") << "2023-02-28T23:59:59.9996Z" << "" << utc(2023, 3, 1, 0, 0, 0);
    QTest::newRow("date and TIME-OBS") << "2023-02-25" << "22:30:00.5" << utc(2023, 2, 25, 22, 30, 0, 500);
    QTest::newRow("old form is 19yy") << "25/02/23" << "22:30:00" << utc(1923, 2, 25, 22, 30, 0);
    QTest::newRow("date without time") << "2023-02-25" << "" << QDateTime();
    QTest::newRow("29 February 2023") << "2023-02-29T00:00:00" << "" << QDateTime();
    QTest::newRow("second 60") << "2023-02-25T23:59:60" << "" << QDateTime();
    QTest::newRow("zone beyond 14 h") << "2023-02-25T22:30:00+15:00" << "" << QDateTime();
    QTest::newRow("words") << "yesterday" << "22:30:00" << QDateTime();
}

void TestFitsHeader::dates()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QDateTime, expected);
    const RomeTime rome;
    const std::optional<QDateTime> parsed = parseFitsDate(date, time);
    QCOMPARE(parsed.value_or(QDateTime()), expected);
    QCOMPARE(parsed.value_or(utc(2000, 1, 1, 0, 0, 0)).timeSpec(), Qt::UTC);
}

void TestFitsHeader::julianDates_data()
{
    QTest::addColumn<HeaderKeys>("keys");
    QTest::addColumn<double>("jd"); // NaN: absent

    // 2023-02-25 00:00 UTC is JD 2460000.5; a century earlier is 36525 days.
    QTest::newRow("DATE-OBS + EXPTIME/2")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "120"}} << 2460000.5 + 60 / 86400.0;
    QTest::newRow("DATE-AVG first")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "120"}, {"DATE-AVG", "2023-02-25T06:00:00"}}
        << 2460000.75;
    QTest::newRow("old form, EXPOSURE as text")
        << HeaderKeys{{"DATE-OBS", "25/02/23"}, {"TIME-OBS", "12:00:00"}, {"EXPOSURE", "060.00"}}
        << 2460001.0 - 36525 + 30 / 86400.0;
    QTest::newRow("no exposure") << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}} << std::nan("");
    QTest::newRow("a day, the most") << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "86400"}}
                                     << 2460001.0;
    QTest::newRow("0 s") << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "0"}} << 2460000.5;
    QTest::newRow("EXPTIME 1e12")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "1e12"}} << std::nan("");
    QTest::newRow("EXPTIME 1e300")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "1e300"}} << std::nan("");
    QTest::newRow("EXPOSURE 86400.5")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPOSURE", "86400.5"}} << std::nan("");
    QTest::newRow("negative")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "-0.001"}} << std::nan("");
    QTest::newRow("DATE-AVG whatever the exposure")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPOSURE", "3.3e13"}, {"DATE-AVG", "2023-02-25T06:00:00"}}
        << 2460000.75;
    QTest::newRow("MJD-OBS + EXPTIME/2") << HeaderKeys{{"MJD-OBS", "60000.0"}, {"EXPTIME", "120"}}
                                         << 2460000.5 + 60 / 86400.0;
    QTest::newRow("JD as text, unreadable DATE-OBS")
        << HeaderKeys{{"DATE-OBS", "yesterday"}, {"JD", "2460000.25"}, {"EXPOSURE", "60"}} << 2460000.25 + 30 / 86400.0;
    QTest::newRow("DATE-OBS, then MJD-OBS, then JD")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T06:00:00"}, {"MJD-OBS", "1"}, {"JD", "1"}, {"EXPTIME", "0"}} << 2460000.75;
    QTest::newRow("MJD-OBS before JD") << HeaderKeys{{"MJD-OBS", "60000.25"}, {"JD", "1"}, {"EXPTIME", "0"}} << 2460000.75;
    QTest::newRow("JD past the millisecond") << HeaderKeys{{"JD", "1e14"}, {"EXPTIME", "0"}} << std::nan("");
}

void TestFitsHeader::julianDates()
{
    QFETCH(HeaderKeys, keys);
    QFETCH(double, jd);
    const RomeTime rome;
    const ImageHeader header = readHeader(keys);
    QCOMPARE(header.midExposure.has_value(), !std::isnan(jd));
    QVERIFY2(std::isnan(jd) ? !header.julianDate : std::fabs(*header.julianDate - jd) < 0.0005 / 86400,
             qPrintable(shown(header.julianDate)));
}

void TestFitsHeader::values_data()
{
    QTest::addColumn<HeaderKeys>("keys");
    QTest::addColumn<QString>("read"); // gain, read noise, saturation, airmass, filter

    QTest::newRow("first names") << HeaderKeys{{"GAIN", "1.5"}, {"RDNOISE", "9"}, {"SATURATE", "60000"},
                                               {"DATAMAX", "4000"}, {"AIRMASS", "1.2"}, {"FILTER", "V "}}
                                 << "1.5 9 60000 1.2 V";
    QTest::newRow("second names") << HeaderKeys{{"EGAIN", "0.37"}, {"READNOIS", "7.5"}, {"DATAMAX", "4095"}}
                                  << "0.37 7.5 4095 ? ";
    QTest::newRow("CVF, Fortran exponent, unreadable first")
        << HeaderKeys{{"GAIN", "n/a"}, {"CVF", "2.5D-1"}, {"AIRMASS", " 1.05E0 "}} << "0.25 ? ? 1.05 ";
    QTest::newRow("0 for unknown, not finite")
        << HeaderKeys{{"GAIN", "0"}, {"SATURATE", "0"}, {"RDNOISE", "0"}, {"AIRMASS", "1e999"}} << "? 0 ? ? ";
    QTest::newRow("first wheel clear") << HeaderKeys{{"FILTER1", "Clear"}, {"FILTER2", "V"}} << "? ? ? ? V";
    QTest::newRow("second wheel open") << HeaderKeys{{"FILTER1", "B"}, {"FILTER2", "OPEN"}} << "? ? ? ? B";
    QTest::newRow("first wheel empty or none") << HeaderKeys{{"FILTER1", "None"}, {"FILTER2", "Rc"}} << "? ? ? ? Rc";
    QTest::newRow("both open") << HeaderKeys{{"FILTER1", "Empty"}, {"FILTER2", "Clear"}} << "? ? ? ? Empty";
}

void TestFitsHeader::values()
{
    QFETCH(HeaderKeys, keys);
    QFETCH(QString, read);
    const ImageHeader h = readHeader(keys);
    QCOMPARE(QStringList({shown(h.gain), shown(h.readNoise), shown(h.saturation), shown(h.airmass), h.filter}).join(' '),
             read);
}

// Precessed targets from astropy: SkyCoord(150, 20, frame=FK5(equinox=...)).transform_to(ICRS()).
void TestFitsHeader::places_data()
{
    QTest::addColumn<Place>("place");
    const auto row = [](const char *name, const Place &place) { QTest::newRow(name) << place; };
    row("colons", {false, {{"SITELAT", "+46:52:00.408"}, {"SITELONG", "-96:27:11.8"}, {"SITEELEV", "300"}}, {latA, -lonA, 300}, {}});
    row("decimal, D", {false, {{"OBSGEO-B", "45.4642"}, {"OBSGEO-L", "9.19"}, {"OBSGEO-H", "1.2D2"}}, {45.4642, 9.19, 120}, {}});
    row("minus 0°", {false, {{"LATITUDE", "-00 30 00"}, {"LONGITUD", "-0:15"}}, {-0.5, -0.25, 0}, {}});
    row("next pair", {false, {{"SITELAT", "N"}, {"SITELONG", "9"}, {"OBSLAT", "-90"}, {"OBSLONG", "360"}, {"OBSALT", "5"}},
                      {-90, 360, 5}, {}});
    row("letters", {false, {{"SITELAT", "45.4642N"}, {"SITELONG", "9.19E"}}, {45.4642, 9.19, 0}, {}});
    row("letters after a blank, lower case", {false, {{"SITELAT", "32:12 n"}, {"SITELONG", "110:54 w"}}, {32.2, -110.9, 0}, {}});
    row("45W, 33S", {false, {{"LAT-OBS", "33S"}, {"LONG-OBS", "45W"}}, {-33, -45, 0}, {}});
    row("sign and letter", {false, {{"SITELAT", "45"}, {"SITELONG", "-9.19E"}, {"OBSLAT", "45"}, {"OBSLONG", "+9W"}},
                            {}, Reason::NoSite});
    row("letter of the other angle", {false, {{"SITELAT", "45E"}, {"SITELONG", "9N"}}, {}, Reason::NoSite});
    row("pairs not mixed", {false, {{"SITELAT", "45"}, {"LONG-OBS", "9"}}, {}, Reason::NoSite});
    row("60 minutes", {false, {{"LAT-OBS", "45:60:00"}, {"LONG-OBS", "9"}}, {}, Reason::NoSite});
    row("lat 90.0001", {false, {{"SITELAT", "90.0001"}, {"SITELONG", "9"}}, {}, SkyTime::Reason::Latitude});
    row("OBJCTRA hours", {true, {{"OBJCTRA", "20 00 00.0"}, {"OBJCTDEC", "-30 00 00"}, {"RA", "150"}, {"DEC", "20"}},
                          {300, -30}, {}});
    row("RA degrees", {true, {{"RA", "150.0"}, {"DEC", "2.0E+01"}, {"EQUINOX", "2000.0"}}, {150, 20}, {}});
    row("RA hours", {true, {{"RA", "10:00:00"}, {"DEC", "-00:30:00"}}, {150, -0.5}, {}});
    row("J2025", {true, {{"RA", "150"}, {"DEC", "20"}, {"EQUINOX", "J2025"}}, {149.6541394, 20.1203221}, {}});
    row("1950 is B", {true, {{"RA", "150"}, {"DEC", "20"}, {"EPOCH", "1950"}}, {150.6902832, 19.7580765}, {}});
    row("24h 00m 01s", {true, {{"OBJCTRA", "24 00 01"}, {"OBJCTDEC", "0"}}, {}, SkyTime::Reason::Target});
    row("no target", {true, {{"OBJECT", "SS Cyg"}, {"RA", "150"}}, {}, Reason::NoTarget});
}

void TestFitsHeader::places()
{
    QFETCH(Place, place);
    const ImageHeader header = readHeader(place.keys);
    QVector<double> read;
    QString problem;
    if (place.target) {
        problem = header.target.problem;
        if (header.target.value)
            read = {header.target.value->ra, header.target.value->dec};
    } else {
        problem = header.site.problem;
        if (header.site.value)
            read = {header.site.value->latitude, header.site.value->longitude, header.site.value->height};
    }
    QCOMPARE(problem, place.problem);
    QCOMPARE(read.size(), place.expected.size());
    for (int i = 0; i < read.size(); ++i)
        QVERIFY2(std::abs(read[i] - place.expected[i]) < 1e-5, qPrintable(QString::number(read[i], 'f', 7)));
}

QTEST_GUILESS_MAIN(TestFitsHeader)
#include "tst_fitsheader.moc"

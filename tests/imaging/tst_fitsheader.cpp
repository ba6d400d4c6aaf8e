#include "imaging/fitsheader.h"

#include <QTest>

#include <cmath>
#include <ctime>
#include <optional>

using namespace Imaging;

namespace {

// Runs a test in another time zone and restores the old one, even on failure.
class TimeZoneGuard
{
public:
    explicit TimeZoneGuard(const QByteArray &zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_saved(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneGuard()
    {
        if (m_had)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }
    TimeZoneGuard(const TimeZoneGuard &) = delete;
    TimeZoneGuard &operator=(const TimeZoneGuard &) = delete;

private:
    bool m_had;
    QByteArray m_saved;
};

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

} // namespace

Q_DECLARE_METATYPE(HeaderKeys)
Q_DECLARE_METATYPE(std::optional<double>)

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
    void filters_data();
    void filters();
};

void TestFitsHeader::dates_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QDateTime>("expected"); // invalid: absent

    QTest::newRow("zone -0700") << "2017-12-19T18:33:43.317-0700" << "" << utc(2017, 12, 20, 1, 33, 43, 317);
    QTest::newRow("zone +01:00") << "2023-02-25T00:30:00+01:00" << "" << utc(2023, 2, 24, 23, 30, 0);
    QTest::newRow("zone Z") << "2023-02-25T22:30:00Z" << "" << utc(2023, 2, 25, 22, 30, 0);
    QTest::newRow("no zone is UTC") << "2023-02-25T22:30:00" << "" << utc(2023, 2, 25, 22, 30, 0);
    QTest::newRow("TIME-OBS ignored after a time") << "2023-02-25T22:30:00" << "01:00:00" << utc(2023, 2, 25, 22, 30, 0);
    QTest::newRow("microseconds") << "2023-02-25T22:30:00.123456" << "" << utc(2023, 2, 25, 22, 30, 0, 123);
    QTest::newRow("rounds into the next day") << "2023-02-28T23:59:59.9996" << "" << utc(2023, 3, 1, 0, 0, 0);
    QTest::newRow("date and TIME-OBS") << "2023-02-25" << "22:30:00.5" << utc(2023, 2, 25, 22, 30, 0, 500);
    QTest::newRow("old form is 19yy") << "25/02/23" << "22:30:00" << utc(1923, 2, 25, 22, 30, 0);
    QTest::newRow("old form, year 49") << "01/12/49" << "00:00:01" << utc(1949, 12, 1, 0, 0, 1);
    QTest::newRow("date without time") << "2023-02-25" << "" << QDateTime();
    QTest::newRow("old form without time") << "25/02/23" << "" << QDateTime();
    QTest::newRow("month 13") << "2023-13-01T00:00:00" << "" << QDateTime();
    QTest::newRow("29 February 2023") << "2023-02-29T00:00:00" << "" << QDateTime();
    QTest::newRow("hour 24") << "2023-02-25T24:00:00" << "" << QDateTime();
    QTest::newRow("second 60") << "2023-02-25T23:59:60" << "" << QDateTime();
    QTest::newRow("zone beyond 14 h") << "2023-02-25T22:30:00+15:00" << "" << QDateTime();
    QTest::newRow("no seconds") << "2023-02-25T22:30" << "" << QDateTime();
    QTest::newRow("words") << "yesterday" << "22:30:00" << QDateTime();
}

void TestFitsHeader::dates()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QDateTime, expected);

    const TimeZoneGuard rome("Europe/Rome");
    const std::optional<QDateTime> parsed = parseFitsDate(date, time);
    QCOMPARE(parsed.has_value(), expected.isValid());
    if (parsed) {
        QCOMPARE(*parsed, expected);
        QCOMPARE(parsed->timeSpec(), Qt::UTC);
    }
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
    QTest::newRow("DATE-AVG alone") << HeaderKeys{{"DATE-AVG", "2023-02-25T06:00:00"}} << 2460000.75;
    QTest::newRow("old form and EXPOSURE")
        << HeaderKeys{{"DATE-OBS", "25/02/23"}, {"TIME-OBS", "12:00:00"}, {"EXPOSURE", "060.00"}}
        << 2460001.0 - 36525 + 30 / 86400.0;
    QTest::newRow("zone offset") << HeaderKeys{{"DATE-OBS", "2023-02-25T01:00:00+01:00"}, {"EXPTIME", "0"}} << 2460000.5;
    QTest::newRow("no exposure") << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}} << std::nan("");
    QTest::newRow("negative exposure")
        << HeaderKeys{{"DATE-OBS", "2023-02-25T00:00:00"}, {"EXPTIME", "-1"}} << std::nan("");
    QTest::newRow("MJD-OBS is not read") << HeaderKeys{{"MJD-OBS", "60000.0"}, {"EXPTIME", "1"}} << std::nan("");
}

void TestFitsHeader::julianDates()
{
    QFETCH(HeaderKeys, keys);
    QFETCH(double, jd);

    const TimeZoneGuard rome("Europe/Rome");
    const ImageHeader header = readHeader(keys);
    QCOMPARE(header.julianDate.has_value(), !std::isnan(jd));
    QCOMPARE(header.midExposure.has_value(), !std::isnan(jd));
    if (header.julianDate)
        QVERIFY2(std::fabs(*header.julianDate - jd) < 0.0005 / 86400,
                 qPrintable(QString::number(*header.julianDate, 'f', 8)));
}

void TestFitsHeader::values_data()
{
    QTest::addColumn<HeaderKeys>("keys");
    QTest::addColumn<std::optional<double>>("gain");
    QTest::addColumn<std::optional<double>>("readNoise");
    QTest::addColumn<std::optional<double>>("saturation");
    QTest::addColumn<std::optional<double>>("airmass");

    const std::optional<double> none;
    QTest::newRow("first names") << HeaderKeys{{"GAIN", "1.5"}, {"RDNOISE", "9"}, {"SATURATE", "60000"}, {"AIRMASS", "1.2"}}
                                 << std::optional(1.5) << std::optional(9.0) << std::optional(60000.0) << std::optional(1.2);
    QTest::newRow("second names") << HeaderKeys{{"EGAIN", "0.37"}, {"READNOIS", "7.5"}, {"DATAMAX", "4095"}}
                                  << std::optional(0.37) << std::optional(7.5) << std::optional(4095.0) << none;
    QTest::newRow("CVF, Fortran exponent") << HeaderKeys{{"CVF", "2.5D-1"}, {"AIRMASS", " 1.05E0 "}}
                                           << std::optional(0.25) << none << none << std::optional(1.05);
    QTest::newRow("first readable name") << HeaderKeys{{"GAIN", "n/a"}, {"EGAIN", "3"}}
                                         << std::optional(3.0) << none << none << none;
    QTest::newRow("unknown written as 0") << HeaderKeys{{"GAIN", "0"}, {"SATURATE", "0"}, {"RDNOISE", "0"}}
                                          << none << std::optional(0.0) << none << none;
    QTest::newRow("not finite") << HeaderKeys{{"GAIN", "inf"}, {"RDNOISE", "nan"}, {"AIRMASS", "1e999"}}
                                << none << none << none << none;
}

void TestFitsHeader::values()
{
    QFETCH(HeaderKeys, keys);
    QFETCH(std::optional<double>, gain);
    QFETCH(std::optional<double>, readNoise);
    QFETCH(std::optional<double>, saturation);
    QFETCH(std::optional<double>, airmass);

    const ImageHeader header = readHeader(keys);
    QCOMPARE(header.gain, gain);
    QCOMPARE(header.readNoise, readNoise);
    QCOMPARE(header.saturation, saturation);
    QCOMPARE(header.airmass, airmass);
}

void TestFitsHeader::filters_data()
{
    QTest::addColumn<HeaderKeys>("keys");
    QTest::addColumn<QString>("filter");

    QTest::newRow("FILTER") << HeaderKeys{{"FILTER", "V "}, {"FILTER1", "B"}} << "V";
    QTest::newRow("first wheel clear") << HeaderKeys{{"FILTER1", "Clear"}, {"FILTER2", "V"}} << "V";
    QTest::newRow("second wheel open") << HeaderKeys{{"FILTER1", "B"}, {"FILTER2", "OPEN"}} << "B";
    QTest::newRow("first wheel empty") << HeaderKeys{{"FILTER1", ""}, {"FILTER2", "Rc"}} << "Rc";
    QTest::newRow("first wheel none") << HeaderKeys{{"FILTER1", "None"}, {"FILTER2", "Ic"}} << "Ic";
    QTest::newRow("first wheel Empty") << HeaderKeys{{"FILTER1", "Empty"}, {"FILTER2", "Ha"}} << "Ha";
    QTest::newRow("both open") << HeaderKeys{{"FILTER1", "Open"}, {"FILTER2", "Clear"}} << "Open";
    QTest::newRow("only the second, open") << HeaderKeys{{"FILTER2", "Clear"}} << "Clear";
    QTest::newRow("none at all") << HeaderKeys{{"OBJECT", "SS Cyg"}} << "";
}

void TestFitsHeader::filters()
{
    QFETCH(HeaderKeys, keys);
    QFETCH(QString, filter);
    QCOMPARE(readHeader(keys).filter, filter);
}

QTEST_GUILESS_MAIN(TestFitsHeader)
#include "tst_fitsheader.moc"

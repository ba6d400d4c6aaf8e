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

} // namespace

Q_DECLARE_METATYPE(HeaderKeys)

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
};

void TestFitsHeader::dates_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QDateTime>("expected"); // invalid: absent

    QTest::newRow("zone -0700") << "2017-12-19T18:33:43.317-0700" << "" << utc(2017, 12, 20, 1, 33, 43, 317);
    QTest::newRow("zone +01:00") << "2023-02-25T00:30:00+01:00" << "" << utc(2023, 2, 24, 23, 30, 0);
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
    QTest::newRow("MJD-OBS is not read") << HeaderKeys{{"MJD-OBS", "60000.0"}, {"EXPTIME", "1"}} << std::nan("");
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

QTEST_GUILESS_MAIN(TestFitsHeader)
#include "tst_fitsheader.moc"

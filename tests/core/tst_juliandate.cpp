#include "core/juliandate.h"

#include <QTest>

#include <cmath>

class TestJulianDate : public QObject
{
    Q_OBJECT
private slots:
    void julianDates_data();
    void julianDates();
};

void TestJulianDate::julianDates_data()
{
    QTest::addColumn<double>("jd");
    QTest::addColumn<QDateTime>("utc");

    const auto at = [](int y, int m, int d, int h, int min, int s, int ms) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::UTC);
    };
    QTest::newRow("J2000") << 2451545.0 << at(2000, 1, 1, 12, 0, 0, 0);
    QTest::newRow("midnight") << 2460000.5 << at(2023, 2, 25, 0, 0, 0, 0);
    QTest::newRow("one and a half seconds") << 2460000.5 + 1.5 / 86400 << at(2023, 2, 25, 0, 0, 1, 500);
    QTest::newRow("last millisecond of a leap day") << 2460370.5 - 0.001 / 86400 << at(2024, 2, 29, 23, 59, 59, 999);
    QTest::newRow("leap day 2000") << 2451603.5 << at(2000, 2, 29, 0, 0, 0, 0);
    QTest::newRow("1900 has no leap day") << 2415079.5 << at(1900, 3, 1, 0, 0, 0, 0);
    QTest::newRow("leap day 1896") << 2413618.75 << at(1896, 2, 29, 6, 0, 0, 0);
    QTest::newRow("modified JD zero") << 2400000.5 << at(1858, 11, 17, 0, 0, 0, 0);
    QTest::newRow("not a number") << std::nan("") << QDateTime();
    QTest::newRow("beyond exact milliseconds") << 1.1e8 << QDateTime();
}

void TestJulianDate::julianDates()
{
    QFETCH(double, jd);
    QFETCH(QDateTime, utc);
    if (!utc.isValid()) {
        QVERIFY(!JulianDate::toUtc(jd).isValid());
        QVERIFY(std::isnan(JulianDate::fromUtc(utc)));
        return;
    }
    QCOMPARE(JulianDate::toUtc(jd), utc);
    QCOMPARE(JulianDate::toUtc(jd).timeSpec(), Qt::UTC);
    QVERIFY2(std::fabs(JulianDate::fromUtc(utc) - jd) < 0.0005 / 86400, qPrintable(QString::number(JulianDate::fromUtc(utc), 'f', 10)));
    QCOMPARE(JulianDate::toUtc(JulianDate::fromUtc(utc)), utc);
}

QTEST_GUILESS_MAIN(TestJulianDate)
#include "tst_juliandate.moc"

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
    double header, computed; // NaN: none
    bool reversed;
    double hjd;
    QString expected;
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
    QTest::newRow("header first") << Labels{1.5, 1.2, true, 2460001.44305533,
                                            Airmass.arg("1.5000", FromHeader) + Hjd.arg("2460001.443055")};
    QTest::newRow("computed") << Labels{qQNaN(), 1.23456, false, qQNaN(), Airmass.arg("1.2346", Computed)};
    QTest::newRow("turned") << Labels{qQNaN(), 12.99996, true, qQNaN(), Airmass.arg("13.0000", ComputedReversed)};
    QTest::newRow("nothing") << Labels{qQNaN(), qQNaN(), true, qQNaN(), QString()};
}

void TestExposureSky::labels()
{
    QFETCH(Labels, labels);
    const QString shown = airmassLabel(given(labels.header), given(labels.computed), labels.reversed);
    QCOMPARE(shown + hjdLabel(given(labels.hjd)), labels.expected);
}

QTEST_GUILESS_MAIN(TestExposureSky)
#include "tst_exposuresky.moc"

#include "transform/bandpair.h"

#include <QTest>

using namespace Transform;
Q_DECLARE_METATYPE(Transform::Bands)

namespace {

BandMeasurement band(const QString &filter, const QString &chart = "X1", const QString &c3 = "000-AAA-003")
{
    return {filter, chart, {"000-AAA-001", "000-AAA-002", c3}, {}, {}, {}};
}

} // namespace

class TestBandPair : public QObject
{
    Q_OBJECT
private slots:
    void transformedRecord_data()
    {
        QTest::addColumn<QByteArray>("checkName");
        QTest::addColumn<int>("group");
        QTest::addColumn<double>("check");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QByteArray>("fields"); // TRANS to NOTES
        const QString wrongGroup = Aavso::GroupWrong.arg(Aavso::MostGroupDigits);
        QTest::newRow("check star") << QByteArray("K1") << 8 << 11.0344 << "Tbv=1.182 \u00e0" << QString()
                                    << QByteArray("YES,STD,ENSEMBLE,na,K1,11.034,1.2000,8,X1,Tbv=1.182 a C1=1");
        QTest::newRow("largest group, none") << QByteArray("na") << 99999 << -30.0004 << QString() << QString()
                                             << QByteArray("YES,STD,ENSEMBLE,na,na,11.111,1.2000,99999,X1,C1=1");
        QTest::newRow("group 0") << QByteArray("K1") << 0 << 11.0 << QString() << wrongGroup << QByteArray();
        QTest::newRow("six digits") << QByteArray("K1") << 100000 << 11.0 << QString() << wrongGroup << QByteArray();
        QTest::newRow("comma") << QByteArray("K1") << 3 << 11.0 << "Tbv=1,182"
                               << Aavso::Delimiter.arg(Aavso::TransformedBox) << QByteArray();
        QTest::newRow("check too faint") << QByteArray("K1") << 3 << 40.0006 << QString()
                                         << Aavso::CheckOutOfRange.arg("40.001") << QByteArray();
    }
    void transformedRecord()
    {
        QFETCH(QByteArray, checkName);
        QFETCH(int, group);
        QFETCH(double, check);
        QFETCH(QString, notes);
        QFETCH(QString, problem);
        QFETCH(QByteArray, fields);
        const QByteArray start = "SS CYG,2460000.50000,12.000,0.010,V,";
        const Aavso::Record measured{QString(), "RMA", start + "NO,STD,ENSEMBLE,na," + checkName + ",11.111,1.2000,na,X1,C1=1",
                                     "SS CYG", 246000050000, "V"};
        const Aavso::Record record = Aavso::transformedRecord(measured, {group, check, notes});
        QCOMPARE(record.problem, problem);
        QCOMPARE(record.line, problem.isEmpty() ? start + fields : measured.line);
    }

    void readyPairs_data()
    {
        QTest::addColumn<Bands>("bands");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("B, V and R") << Bands{{"B", band("B")}, {"V", band("V")}, {"R", band("R")}}
                                    << QStringList{"Trasforma B e V", "Trasforma V e R"};
        QTest::newRow("another chart") << Bands{{"B", band("B", "X2")}, {"V", band("V")}} << QStringList();
        QTest::newRow("another C3") << Bands{{"B", band("B", "X1", "000-AAA-009")}, {"V", band("V")}} << QStringList();
        QTest::newRow("V and I, no Ti_vi") << Bands{{"V", band("V")}, {"I", band("I")}} << QStringList();
    }
    void readyPairs()
    {
        QFETCH(Bands, bands);
        QFETCH(QStringList, buttons);
        Coefficients coefficients;
        for (const char *name : {"Tbv", "Tb_bv", "Tv_bv", "Tvr", "Tv_vr", "Tr_vr", "Tvi", "Tv_vi"})
            coefficients.values << Coefficient{name, 0.5};
        QStringList ready;
        for (const Pair pair : Transform::readyPairs(bands, coefficients))
            ready << buttonText(pair);
        QCOMPARE(ready, buttons);
    }
};

QTEST_GUILESS_MAIN(TestBandPair)
#include "tst_bandpair.moc"

#include "transform/bandpair.h"
#include "transform/logfields.h"

#include "aavso/vocabulary.h"
#include "core/mapsheet.h"

#include <QTest>

#include <algorithm>

using namespace Transform;

namespace {

// A record as record() makes it, naming a check star, or none ("na").
Aavso::Record measured(const char *checkName)
{
    return {QString(), "RMA",
            QByteArray("SS CYG,2460000.50000,12.000,0.010,V,NO,STD,ENSEMBLE,na,") + checkName
                + ",11.111,1.2000,na,X1,ENSEMBLE C1=1 C2=2 C3=3",
            "SS CYG", 246000050000, "V"};
}

QString field(const Aavso::Record &record, std::string_view name)
{
    const QList<QByteArray> fields = record.line.split(',');
    const auto at = std::find(Aavso::FieldNames.begin(), Aavso::FieldNames.end(), name);
    return QString::fromLatin1(fields.value(int(at - Aavso::FieldNames.begin())));
}

BandMeasurement band(const QString &filter, const QString &chart = "X1", const QString &c3 = "000-AAA-003")
{
    BandMeasurement b;
    b.filter = filter;
    b.chart = chart;
    b.comparisons = {"000-AAA-001", "000-AAA-002", c3};
    return b;
}

Coefficients coefficients(const QStringList &names)
{
    Coefficients c;
    for (const QString &name : names)
        c.values << Coefficient{name, 0.5};
    return c;
}

} // namespace

Q_DECLARE_METATYPE(Transform::Bands)

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
        QTest::addColumn<QStringList>("fields"); // TRANS, GROUP, KMAG, NOTES
        const QString ensemble = "ENSEMBLE C1=1 C2=2 C3=3";
        const QString notes = "Tbv=1.182 Tv_bv=-0.115";
        QTest::newRow("transformed") << QByteArray("000-AAA-004") << 8 << 11.0344 << notes << QString()
                                     << QStringList{"YES", "8", "11.034", notes + ' ' + ensemble};
        QTest::newRow("largest group") << QByteArray("K") << 99999 << -30.0004 << QString() << QString()
                                       << QStringList{"YES", "99999", "-30.000", ensemble};
        QTest::newRow("no check star keeps na") << QByteArray("na") << 1 << 11.0 << notes << QString()
                                                << QStringList{"YES", "1", "11.111", notes + ' ' + ensemble};
        QTest::newRow("group 0") << QByteArray("K") << 0 << 11.0 << notes
                                 << Aavso::GroupWrong.arg(Aavso::MostGroupDigits) << QStringList();
        QTest::newRow("six digits") << QByteArray("K") << 100000 << 11.0 << notes
                                    << Aavso::GroupWrong.arg(Aavso::MostGroupDigits) << QStringList();
        QTest::newRow("comma") << QByteArray("K") << 3 << 11.0 << "Tbv=1,182"
                               << Aavso::Delimiter.arg(Aavso::TransformedBox) << QStringList();
        QTest::newRow("accent") << QByteArray("K") << 3 << 11.0 << "Tbv=1.182 \u00e0" << QString()
                                << QStringList{"YES", "3", "11.000", "Tbv=1.182 a " + ensemble};
        QTest::newRow("check too faint") << QByteArray("K") << 3 << 40.0006 << notes
                                         << Aavso::CheckOutOfRange.arg("40.001") << QStringList();
    }
    void transformedRecord()
    {
        QFETCH(QByteArray, checkName);
        QFETCH(int, group);
        QFETCH(double, check);
        QFETCH(QString, notes);
        QFETCH(QString, problem);
        QFETCH(QStringList, fields);
        const Aavso::Record record = Aavso::transformedRecord(measured(checkName), {group, check, notes});
        QCOMPARE(record.problem, problem);
        if (problem.isEmpty())
            QCOMPARE((QStringList{field(record, "TRANS"), field(record, "GROUP"), field(record, "KMAG"),
                                  field(record, "NOTES")}),
                     fields);
    }

    void readyPairs_data()
    {
        QTest::addColumn<Bands>("bands");
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("buttons");
        const QStringList bv = {"Tbv", "Tb_bv", "Tv_bv"}, vr = {"Tvr", "Tv_vr", "Tr_vr"};
        QTest::newRow("B and V") << Bands{{"B", band("B")}, {"V", band("V")}} << bv << QStringList{"Trasforma B e V"};
        QTest::newRow("another chart") << Bands{{"B", band("B", "X2")}, {"V", band("V")}} << bv << QStringList();
        QTest::newRow("another C3") << Bands{{"B", band("B", "X1", "000-AAA-009")}, {"V", band("V")}} << bv
                                    << QStringList();
        QTest::newRow("Tv_bv missing") << Bands{{"B", band("B")}, {"V", band("V")}} << bv.mid(0, 2) << QStringList();
        QTest::newRow("three filters") << Bands{{"B", band("B")}, {"V", band("V")}, {"R", band("R")}} << vr + bv
                                       << QStringList{"Trasforma B e V", "Trasforma V e R"};
        QTest::newRow("V alone") << Bands{{"V", band("V")}} << vr + bv << QStringList();
    }
    void readyPairs()
    {
        QFETCH(Bands, bands);
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, buttons);
        QStringList ready;
        for (const Pair pair : Transform::readyPairs(bands, ::coefficients(coefficients)))
            ready << buttonText(pair);
        QCOMPARE(ready, buttons);
    }

    // The log's refusal stops both records.
    void recordsRefusedByTheLog()
    {
        QString problem;
        const QList<Aavso::Record> records = pairRecords(Pair::BV, {}, band("B"), band("V"), coefficients({}),
                                                         MapSheet(), "SS CYG,2460000.5,12,0.01,V,NO,STD,na,na,na,na,na,3,na,na\n#TYPE=EXTENDED\n", problem);
        QCOMPARE(problem, NotExtendedLog);
        QVERIFY(records.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBandPair)
#include "tst_bandpair.moc"

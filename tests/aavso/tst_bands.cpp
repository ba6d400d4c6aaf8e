#include "aavso/bands.h"

#include <QTest>

// The table answers each name a file or the sheet may give a band by.
class TestBands : public QObject
{
    Q_OBJECT
private slots:
    void find_data();
    void find();
    void namesAreUnique();
};

void TestBands::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code"); // empty: no band
    QTest::newRow("code") << "V" << "V";
    QTest::newRow("code in lower case, blanks") << " tg " << "TG";
    QTest::newRow("the sheet's UV button") << "UV" << "U";
    QTest::newRow("visual, as the database abbreviates it") << "Vis." << "Vis.";
    QTest::newRow("visual, written out") << "Visual" << "Vis.";
    QTest::newRow("long name") << "H NIR 1.6micron" << "H";
    QTest::newRow("long name, other case") << "johnson v" << "V";
    QTest::newRow("green through a visual filter") << "Green-Vis." << "TG";
    QTest::newRow("unknown") << "UVB" << "";
    QTest::newRow("empty") << "" << "";
}

void TestBands::find()
{
    QFETCH(QString, text);
    QFETCH(QString, code);
    const Bands::Band *band = Bands::find(text);
    QCOMPARE(band ? band->code : QString(), code);
}

// A name shared by two bands would make one of them unreachable.
void TestBands::namesAreUnique()
{
    QSet<QString> seen;
    for (const Bands::Band &band : Bands::all()) {
        QStringList names = band.names;
        names << band.code;
        if (band.caption && QString::fromLatin1(band.caption) != band.code)
            names << QString::fromLatin1(band.caption);
        for (const QString &name : names) {
            QVERIFY2(!seen.contains(name.toCaseFolded()), qPrintable(name));
            seen.insert(name.toCaseFolded());
        }
    }
    QVERIFY(!Bands::exportedCodes().contains(Bands::Visual));
}

QTEST_GUILESS_MAIN(TestBands)
#include "tst_bands.moc"

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
    // The band a camera's FITS header names in FILTER.
    void fitsFilter_data();
    void fitsFilter();
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
    const Aavso::Bands::Band *band = Aavso::Bands::find(text);
    QCOMPARE(band ? band->code : QString(), code);
}

// A name shared by two bands would make one of them unreachable.
void TestBands::namesAreUnique()
{
    QSet<QString> seen;
    for (const Aavso::Bands::Band &band : Aavso::Bands::all()) {
        QStringList names = band.names;
        names << band.code;
        if (band.caption && QString::fromLatin1(band.caption) != band.code)
            names << QString::fromLatin1(band.caption);
        for (const QString &name : names) {
            QVERIFY2(!seen.contains(name.toCaseFolded()), qPrintable(name));
            seen.insert(name.toCaseFolded());
        }
    }
    QVERIFY(!Aavso::Bands::exportedCodes().contains(Aavso::Bands::Visual));
}

void TestBands::fitsFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("code"); // empty: no band
    QTest::newRow("V") << "V" << "V";
    QTest::newRow("b in lower case: Johnson, not blue") << "b" << "B";
    QTest::newRow("R") << "R" << "R";
    QTest::newRow("Johnson V") << "Johnson V" << "V";
    QTest::newRow("Bessel V") << "Bessel V" << "V";
    QTest::newRow("Bessell_I") << "Bessell_I" << "I";
    QTest::newRow("Rc, blanks around") << "  Rc " << "R";
    QTest::newRow("Ic") << "Ic" << "I";
    QTest::newRow("Cousins Ic") << "Cousins Ic" << "I";
    QTest::newRow("Johnson before a colour camera's letter") << "Johnson G" << "";
    QTest::newRow("SDSS-G") << "SDSS-G" << "SG";
    QTest::newRow("g prime") << "g'" << "SG";
    QTest::newRow("r typographic prime") << QString::fromUtf8("r\u2032") << "SR";
    QTest::newRow("Sloan r") << "Sloan r" << "SR";
    QTest::newRow("Sloan r'") << "Sloan r'" << "SR";
    QTest::newRow("sdss_i") << "sdss_i" << "SI";
    QTest::newRow("zp") << "zp" << "SZ";
    QTest::newRow("u'") << "u'" << "SU";
    QTest::newRow("Sloan before a non-Sloan letter") << "Sloan v" << "";
    QTest::newRow("Clear") << "Clear" << "CV";
    QTest::newRow("CLR") << "CLR" << "CV";
    QTest::newRow("C") << "C" << "CV";
    QTest::newRow("L") << "L" << "CV";
    QTest::newRow("Lum") << "Lum" << "CV";
    QTest::newRow("Luminance") << "Luminance" << "CV";
    QTest::newRow("G: a colour camera's green") << "G" << "TG";
    QTest::newRow("Green") << "Green" << "TG";
    QTest::newRow("Blue") << "Blue" << "TB";
    QTest::newRow("Red") << "RED" << "TR";
    QTest::newRow("an AAVSO code") << "STY" << "STY";
    QTest::newRow("a band's long name") << "H-alpha" << "HA";
    QTest::newRow("another single letter") << "H" << "";
    QTest::newRow("visual is no filter of a camera") << "Vis." << "";
    QTest::newRow("unknown") << "Astrodon X" << "";
    QTest::newRow("empty") << "" << "";
}

void TestBands::fitsFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, code);
    QCOMPARE(Aavso::Bands::fitsFilterCode(filter), code);
}

QTEST_GUILESS_MAIN(TestBands)
#include "tst_bands.moc"

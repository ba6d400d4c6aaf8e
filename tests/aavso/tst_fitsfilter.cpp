#include "aavso/bands.h"

#include <QTest>

// The band a camera's FITS header names in FILTER.
class TestFitsFilter : public QObject
{
    Q_OBJECT
private slots:
    void code_data();
    void code();
};

void TestFitsFilter::code_data()
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

void TestFitsFilter::code()
{
    QFETCH(QString, filter);
    QFETCH(QString, code);
    QCOMPARE(Bands::fitsFilterCode(filter), code);
}

QTEST_GUILESS_MAIN(TestFitsFilter)
#include "tst_fitsfilter.moc"

// Pixel <-> sky on headers of each form plate solvers write, against
// positions computed by another tool, and the sky labels' rounding.

#include "imaging/skycoordinates.h"

#include <QTest>

#include <cmath>

using Imaging::SkyFrame;

namespace {

// One 80-character card for each "KEY=value", then END, as fits_hdr2str gives them.
QByteArray header(const QByteArrayList &keys)
{
    QByteArray text;
    for (const QByteArray &key : keys) {
        const qsizetype equals = key.indexOf('=');
        text += (key.left(equals).leftJustified(8, ' ') + "= " + key.mid(equals + 1)).leftJustified(80, ' ');
    }
    return text + QByteArray("END").leftJustified(80, ' ');
}

// A 2048 x 1536 frame of 1.19"/px turned by 12 degrees, in this program's
// frame the points Pixels, and where astropy 5.2.1 puts them
// (WCS(header).all_pix2world(x + 1, y + 1, 1); SIP by astropy's own
// polynomial), which agrees to 1e-9 degrees with the gnomonic projection
// written out in Python from the CD matrix.
const QByteArrayList Frame = {"CTYPE1='RA---TAN'", "CTYPE2='DEC--TAN'", "CRPIX1=1020.5",
                              "CRPIX2=770.25", "CRVAL1=249.776791", "CRVAL2=9.798694"};
const QByteArrayList Cd = {"CD1_1=-0.00032278870824215585", "CD1_2=6.861085796986058e-05",
                           "CD2_1=6.861085796986058e-05", "CD2_2=0.00032278870824215585"};
// Up to 2 px in the corners, and its inverse.
const QByteArrayList Sip = {"A_ORDER=2",  "A_2_0=2.0e-6",   "A_1_1=-1.5e-6", "A_0_2=3.0e-6",
                            "B_ORDER=2",  "B_2_0=-2.5e-6",  "B_1_1=1.0e-6",  "B_0_2=1.5e-6",
                            "AP_ORDER=2", "AP_2_0=-2.0e-6", "AP_1_1=1.5e-6", "AP_0_2=-3.0e-6",
                            "BP_ORDER=2", "BP_2_0=2.5e-6",  "BP_1_1=-1.0e-6", "BP_0_2=-1.5e-6"};
constexpr double Scale = 3.3e-4; // degrees per pixel
const QList<QPointF> Pixels = {{0, 0}, {2047, 1535}, {1899.5, 79.5}};
const QList<double> CdSky = {250.056914685, 9.480332040, 249.493262940, 10.116242550, 249.440675067, 9.636265774};
const QList<double> CrotaSky = {250.164092025, 9.620122448, 249.386697283, 9.975144679, 249.536762860, 9.515593262};
const QList<double> SipSky = {250.055973896, 9.480217415, 249.492313123, 10.116112253, 249.439275656, 9.635940590};

} // namespace

class TestSkyCoordinates : public QObject
{
    Q_OBJECT

private slots:
    void pixelAndSky_data()
    {
        QTest::addColumn<QByteArrayList>("keys");
        QTest::addColumn<QList<double>>("sky"); // empty: no frame
        QTest::newRow("CD, a key repeated") << QByteArrayList{"CRVAL1=0"} + Frame + Cd << CdSky;
        const QByteArrayList pc = {"CDELT1=-3.3e-4",           "CDELT2=3.3e-4",
                                   "PC1_1=0.9781476007338057", "PC1_2=-0.20791169081775934",
                                   "PC2_1=0.20791169081775934", "PC2_2=0.9781476007338057"};
        QTest::newRow("PC and CDELT") << Frame + pc << CdSky;
        QTest::newRow("CDELT and CROTA2") << Frame + QByteArrayList{"CDELT1=-3.3e-4", "CDELT2=3.3e-4", "CROTA2=12"}
                                          << CrotaSky;
        const QByteArrayList sipTypes = {"CTYPE1='RA---TAN-SIP'", "CTYPE2='DEC--TAN-SIP'"};
        QTest::newRow("TAN-SIP with inverse") << sipTypes + Frame.mid(2) + Cd + Sip << SipSky;
        QTest::newRow("SIP keys beside plain TAN") << Frame + Cd + Sip << CdSky;
        QTest::newRow("no coordinates") << QByteArrayList{"NAXIS=2", "EXPTIME=60"} << QList<double>();
        QTest::newRow("pointing without scale") << Frame << QList<double>();
    }

    void pixelAndSky()
    {
        QFETCH(QByteArrayList, keys);
        QFETCH(QList<double>, sky);
        std::optional<SkyFrame> read = SkyFrame::fromHeader(header(keys));
        QCOMPARE(read.has_value(), !sky.isEmpty());
        if (!read)
            return;
        const SkyFrame frame = std::move(*read); // moved, it keeps its system
        read.reset();
        for (qsizetype i = 0; i < Pixels.size(); ++i) {
            const Sky::Position expected{sky[2 * i], sky[2 * i + 1]};
            const auto found = frame.toSky(Pixels[i]);
            const auto pixel = frame.toPixel(expected);
            QVERIFY(found && pixel);
            const double dx = (found->ra - expected.ra) * std::cos(expected.dec * M_PI / 180);
            QVERIFY(std::hypot(dx, found->dec - expected.dec) / Scale < 0.01);
            QVERIFY(std::hypot(pixel->x() - Pixels[i].x(), pixel->y() - Pixels[i].y()) < 0.01);
        }
    }

    void skyLabels_data()
    {
        QTest::addColumn<double>("ra");
        QTest::addColumn<double>("dec");
        QTest::addColumn<QString>("label");
        QTest::newRow("typical, south to zero") << 249.776791 << -0.4 / 3600 << "16:39:06.4 +00:00:00";
        QTest::newRow("59.96 s carries") << 59.96 / 240 << 59.6 / 3600 << "00:01:00.0 +00:01:00";
        QTest::newRow("day's end is 0 h") << 360 - 0.04 / 240 << 90.0 << "00:00:00.0 +90:00:00";
        QTest::newRow("south, minute carries") << 180.0 << -(29 + 59.5 / 60) / 60 << "12:00:00.0 -00:30:00";
    }

    void skyLabels()
    {
        QFETCH(double, ra);
        QFETCH(double, dec);
        QFETCH(QString, label);
        QCOMPARE(Sky::formatRightAscension(ra) + QLatin1Char(' ') + Sky::formatDeclination(dec), label);
    }
};

QTEST_GUILESS_MAIN(TestSkyCoordinates)
#include "tst_skycoordinates.moc"

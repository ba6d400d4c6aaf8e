// Pixel <-> sky on headers of each form plate solvers write, against
// positions computed by another tool; the headers whose coordinates are
// refused, and why; and the sky labels' rounding.

#include "imaging/skycoordinates.h"

#include <QTest>

#include <cmath>

using Imaging::SkyFrame;

namespace {

// One 80-character card for each "KEY=value", or each card as given when it
// has no "=", then END, as fits_hdr2str gives them.
QByteArray header(const QByteArrayList &keys)
{
    QByteArray text;
    for (const QByteArray &key : keys) {
        const qsizetype equals = key.indexOf('=');
        const QByteArray card = equals < 0 ? key : key.left(equals).leftJustified(8, ' ') + "= " + key.mid(equals + 1);
        text += card.leftJustified(80, ' ');
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
        QTest::addColumn<QString>("problem");
        const QList<double> none;
        const QString fine;
        QTest::newRow("CD, a key repeated") << QByteArrayList{"CRVAL1=0"} + Frame + Cd << CdSky << fine;
        const QByteArrayList pc = {"CDELT1=-3.3e-4",           "CDELT2=3.3e-4",
                                   "PC1_1=0.9781476007338057", "PC1_2=-0.20791169081775934",
                                   "PC2_1=0.20791169081775934", "PC2_2=0.9781476007338057"};
        QTest::newRow("PC and CDELT") << Frame + pc << CdSky << fine;
        const QByteArrayList crota = {"CDELT1=-3.3e-4", "CDELT2=3.3e-4", "CROTA2=12"};
        QTest::newRow("CDELT and CROTA2") << Frame + crota << CrotaSky << fine;
        const QByteArrayList sipTypes = {"CTYPE1='RA---TAN-SIP'", "CTYPE2='DEC--TAN-SIP'"};
        const QByteArrayList sip = sipTypes + Frame.mid(2) + Cd;
        QTest::newRow("TAN-SIP with inverse") << sip + Sip << SipSky << fine;
        QTest::newRow("SIP keys beside plain TAN") << Frame + Cd + Sip << CdSky << fine;
        QTest::newRow("FK5 at 2000") << Frame + Cd + QByteArrayList{"RADESYS='FK5'", "EQUINOX=2000."} << CdSky << fine;
        QTest::newRow("EQUINOX 2000 alone") << Frame + Cd + QByteArrayList{"EQUINOX=2.0D3"} << CdSky << fine;
        QTest::newRow("ICRS at 1950") << Frame + Cd + QByteArrayList{"RADESYS='ICRS'", "EQUINOX=1950"} << CdSky << fine;
        QByteArrayList alternate;
        for (const QByteArray &key : Frame + Cd)
            alternate << QByteArray(key).insert(key.indexOf('='), 'A');
        QTest::newRow("alternate beside linear axes")
            << QByteArrayList{"CTYPE1='PIXEL'", "CTYPE2='PIXEL'"} + alternate << CdSky << fine;
        QTest::newRow("EPOCH of no system") << Frame + Cd + QByteArrayList{"EPOCHB=1950"} << CdSky << fine;
        QTest::newRow("third axis without CD") << Frame + Cd + QByteArrayList{"CTYPE3='RGB'"} << CdSky << fine;
        QTest::newRow("bytes outside ASCII elsewhere")
            << Frame + Cd + QByteArrayList{"OBJECT='\x80\x80'", "COMMENT \x80\x80", "CRVAL2=9.798694 / \x80\x80"}
            << CdSky << fine;

        QTest::newRow("no coordinates") << QByteArrayList{"NAXIS=2", "EXPTIME=60"} << none << fine;
        QTest::newRow("linear axes") << QByteArrayList{"CTYPE1='PIXEL'", "CTYPE2='PIXEL'"} + Cd << none << fine;
        QTest::newRow("SIP term without CTYPE") << QByteArrayList{"A_2_0="} << none << fine;

        using namespace Imaging::SkyProblem;
        const auto key = [](const char *reason, const QString &key) { return QString::fromUtf8(reason).arg(key); };
        const auto reason = [](const char *reason) { return QString::fromUtf8(reason); };
        QTest::newRow("A_2_0 without value") << sip + QByteArrayList{"A_ORDER=2", "A_2_0="} << none << key(NoValue, "A_2_0");
        QTest::newRow("B_1_1 without value") << Frame + Cd + QByteArrayList{"B_1_1="} << none << key(NoValue, "B_1_1");
        QTest::newRow("AP_2_0 without value") << sip + QByteArrayList{"AP_2_0= / none"} << none << key(NoValue, "AP_2_0");
        QTest::newRow("A_2_0 text without A_ORDER")
            << sip + QByteArrayList{"A_2_0='text'"} << none << key(NotNumber, "A_2_0");
        QTest::newRow("value indicator missing") << QByteArrayList{"CRVAL1  249.776791"} + Frame + Cd << none
                                                 << key(NoValue, "CRVAL1");
        QTest::newRow("bytes outside ASCII in a value")
            << Frame + Cd + QByteArrayList{"CRVAL1=249.776791\x80\x80"} << none << key(NotAscii, "CRVAL1");
        QTest::newRow("text never closed") << Frame + Cd + QByteArrayList{"CTYPE2='DEC--TAN"} << none
                                           << key(NotText, "CTYPE2");
        QTest::newRow("type as a number") << Frame + Cd + QByteArrayList{"CTYPE2=12"} << none << key(NotText, "CTYPE2");
        QTest::newRow("two numbers") << Frame + Cd + QByteArrayList{"CRPIX1=1020.5 3"} << none << key(NotNumber, "CRPIX1");
        QTest::newRow("CRVAL1 NAN") << Frame + Cd + QByteArrayList{"CRVAL1=NAN"} << none << key(NotNumber, "CRVAL1");
        QTest::newRow("CRPIX1 1e999") << Frame + Cd + QByteArrayList{"CRPIX1=1e999"} << none << key(OutOfRange, "CRPIX1");
        QTest::newRow("WCSAXES 100000") << Frame + Cd + QByteArrayList{"WCSAXES=100000"} << none
                                        << key(OutOfRange, "WCSAXES");
        QTest::newRow("WCSAXES 0") << Frame + Cd + QByteArrayList{"WCSAXES=0"} << none << key(OutOfRange, "WCSAXES");
        QTest::newRow("WCSAXES 2.0") << Frame + Cd + QByteArrayList{"WCSAXES=2.0"} << none << key(NotWhole, "WCSAXES");
        QTest::newRow("A_ORDER 10") << sip + QByteArrayList{"A_ORDER=10"} << none << key(OutOfRange, "A_ORDER");

        // WCSLIB refuses it in wcsset; a second wcsset after that leaked its matrices.
        QTest::newRow("SIP term of order 10") << sip + QByteArrayList{"A_ORDER=9", "A_5_5=1e-9"} << none
                                              << key(Projection, "RA---TAN-SIP, DEC--TAN-SIP");
        QTest::newRow("pointing without scale") << Frame << none << reason(NoScale);
        QTest::newRow("CD of zeros") << Frame + QByteArrayList{"CD1_1=0", "CD1_2=0", "CD2_1=0", "CD2_2=0"} << none
                                     << reason(Singular);
        QTest::newRow("singular CD") << Frame + QByteArrayList{"CD1_1=1e-3", "CD1_2=1e-3", "CD2_1=1e-3", "CD2_2=1e-3"}
                                     << none << reason(Singular);
        QTest::newRow("CDELT of zero") << Frame + QByteArrayList{"CDELT1=0", "CDELT2=3.3e-4"} << none << reason(Singular);
        QTest::newRow("galactic") << QByteArrayList{"CTYPE1='GLON-TAN'", "CTYPE2='GLAT-TAN'"} + Frame.mid(2) + Cd
                                  << none << QString::fromUtf8(NotEquatorial).arg("GLON", "GLAT");
        QTest::newRow("ecliptic") << QByteArrayList{"CTYPE1='ELON-TAN'", "CTYPE2='ELAT-TAN'"} + Frame.mid(2) + Cd
                                  << none << QString::fromUtf8(NotEquatorial).arg("ELON", "ELAT");
        QTest::newRow("sky on axes 2 and 3")
            << QByteArrayList{"CTYPE1='WAVE'", "CTYPE2='RA---TAN'", "CTYPE3='DEC--TAN'", "CDELT1=1", "CDELT2=3.3e-4",
                              "CDELT3=3.3e-4"}
            << none << reason(NotOnImage);
        const QString fk4 = QString::fromUtf8(FrameAtEquinox).arg("FK4", "1950");
        QTest::newRow("FK4 at 1950") << Frame + Cd + QByteArrayList{"RADESYS='FK4'", "EQUINOX=1950"} << none
                                     << key(OtherFrame, fk4);
        QTest::newRow("EPOCH 1950 alone") << Frame + Cd + QByteArrayList{"EPOCH=1950"} << none << key(OtherFrame, fk4);
        QTest::newRow("FK5 at 2015") << Frame + Cd + QByteArrayList{"RADESYS='FK5'", "EQUINOX=2015.5"} << none
                                     << key(OtherFrame, QString::fromUtf8(FrameAtEquinox).arg("FK5", "2015.5"));
        QTest::newRow("GAPPT") << Frame + Cd + QByteArrayList{"RADESYS='GAPPT'"} << none << key(OtherFrame, "GAPPT");
        QTest::newRow("table lookup") << QByteArrayList{"CTYPE1='RA---TAB'", "CTYPE2='DEC--TAB'"} + Frame.mid(2) + Cd
                                      << none << reason(Unparsed);
        QTest::newRow("unknown projection") << QByteArrayList{"CTYPE1='RA---XYZ'", "CTYPE2='DEC--XYZ'"} + Frame.mid(2) + Cd
                                            << none << key(Projection, "RA---XYZ, DEC--XYZ");
        QTest::newRow("CRVAL1 1e20") << Frame + Cd + QByteArrayList{"CRVAL1=1e20"} << none << key(OutOfRange, "CRVAL1");
        QTest::newRow("CRVAL1A -360.5") << alternate + QByteArrayList{"CRVAL1A=-360.5"} << none
                                        << key(OutOfRange, "CRVAL1A");
        QTest::newRow("LONPOLE 1e30") << Frame + Cd + QByteArrayList{"LONPOLE=1e30"} << none
                                      << QString::fromUtf8(NoRoundTrip).arg(1024.5).arg(768.5);
        QTest::newRow("corner off the sphere")
            << QByteArrayList{"CTYPE1='RA---SIN'", "CTYPE2='DEC--SIN'"} + Frame.mid(2) + QByteArrayList{"CDELT1=-0.05", "CDELT2=0.05"} << none
                                                   << QString::fromUtf8(NoRoundTrip).arg(1).arg(1);
    }

    void pixelAndSky()
    {
        QFETCH(QByteArrayList, keys);
        QFETCH(QList<double>, sky);
        QFETCH(QString, problem);
        Imaging::SkyFrameRead read = SkyFrame::read(header(keys), 2048, 1536);
        QCOMPARE(read.problem, problem);
        QCOMPARE(read.frame.has_value(), !sky.isEmpty());
        if (!read.frame)
            return;
        const SkyFrame frame = std::move(*read.frame); // moved, it keeps its system
        read.frame.reset();
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

// Pixel <-> sky on headers of each form plate solvers write, against
// positions computed by another tool, and the sky labels' rounding.

#include "imaging/skycoordinates.h"

#include <QTest>

#include <cmath>

using Imaging::SkyFrame;
using Cards = QList<QPair<QByteArray, QByteArray>>;
Q_DECLARE_METATYPE(Cards)

namespace {

// One 80-character card per key, then END, as fits_hdr2str gives a header.
QByteArray header(const Cards &keys)
{
    QByteArray text;
    for (const auto &[key, value] : keys)
        text += (key.leftJustified(8, ' ') + "= " + value).leftJustified(80, ' ');
    return text + QByteArray("END").leftJustified(80, ' ');
}

// A 2048 x 1536 frame about 1.19"/px, turned by 12 degrees.
const Cards Frame = {{"NAXIS", "2"},           {"NAXIS1", "2048"},          {"NAXIS2", "1536"},
                     {"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"},    {"CRPIX1", "1020.5"},
                     {"CRPIX2", "770.25"},     {"CRVAL1", "249.776791"},    {"CRVAL2", "9.798694"}};
const Cards CdMatrix = {{"CD1_1", "-0.00032278870824215585"}, {"CD1_2", "6.861085796986058e-05"},
                        {"CD2_1", "6.861085796986058e-05"},   {"CD2_2", "0.00032278870824215585"}};
constexpr double Scale = 3.3e-4; // degrees per pixel

// This program's frame (FITS pixel minus 1).
const QList<QPointF> Pixels = {{0, 0}, {2047, 1535}, {299.25, 1399.75}, {1899.5, 79.5}};

// astropy 5.2.1, WCS(header).all_pix2world(x + 1, y + 1, 1) for each of
// Pixels (SIP by astropy's own polynomial), agreeing to 1e-9 degrees with
// the gnomonic projection written out in Python from the CD matrix.
const QList<double> CdSky = {250.056914685, 9.480332040, 249.493262940, 10.116242550,
                             250.056748750, 9.952678504, 249.440675067, 9.636265774};
const QList<double> CrotaSky = {250.164092025, 9.620122448, 249.386697283, 9.975144679,
                                249.968967609, 10.051572220, 249.536762860, 9.515593262};
const QList<double> SipSky = {250.055973896, 9.480217415, 249.492313123, 10.116112253,
                              250.055714106, 9.952506381, 249.439275656, 9.635940590};

// Second-order distortion of up to 2 px in the corners, and its inverse.
const Cards Sip = {{"A_ORDER", "2"},  {"A_2_0", "2.0e-6"},   {"A_1_1", "-1.5e-6"},  {"A_0_2", "3.0e-6"},
                   {"B_ORDER", "2"},  {"B_2_0", "-2.5e-6"},  {"B_1_1", "1.0e-6"},   {"B_0_2", "1.5e-6"},
                   {"AP_ORDER", "2"}, {"AP_2_0", "-2.0e-6"}, {"AP_1_1", "1.5e-6"},  {"AP_0_2", "-3.0e-6"},
                   {"BP_ORDER", "2"}, {"BP_2_0", "2.5e-6"},  {"BP_1_1", "-1.0e-6"}, {"BP_0_2", "-1.5e-6"}};

Cards sipFrame()
{
    Cards cards = Frame + CdMatrix + Sip;
    for (auto &[key, value] : cards)
        if (key.startsWith("CTYPE"))
            value.insert(value.size() - 1, "-SIP");
    return cards;
}

} // namespace

class TestSkyCoordinates : public QObject
{
    Q_OBJECT

private slots:
    void pixelAndSky_data()
    {
        QTest::addColumn<Cards>("cards");
        QTest::addColumn<QList<double>>("sky");
        const Cards pc = {{"CDELT1", "-3.3e-4"},
                          {"CDELT2", "3.3e-4"},
                          {"PC1_1", "0.9781476007338057"},
                          {"PC1_2", "-0.20791169081775934"},
                          {"PC2_1", "0.20791169081775934"},
                          {"PC2_2", "0.9781476007338057"}};
        QTest::newRow("CD") << Frame + CdMatrix << CdSky;
        QTest::newRow("PC and CDELT") << Frame + pc << CdSky;
        QTest::newRow("CDELT and CROTA2")
            << Frame + Cards{{"CDELT1", "-3.3e-4"}, {"CDELT2", "3.3e-4"}, {"CROTA2", "12.0"}} << CrotaSky;
        QTest::newRow("TAN-SIP with inverse") << sipFrame() << SipSky;
        // Distortion keys beside a plain TAN do not apply.
        QTest::newRow("TAN with SIP keys") << Frame + CdMatrix + Sip << CdSky;
        QTest::newRow("repeated key, last counts")
            << Cards{{"CRVAL1", "0"}} + Frame + CdMatrix << CdSky;
    }

    void pixelAndSky()
    {
        QFETCH(Cards, cards);
        QFETCH(QList<double>, sky);
        const std::optional<SkyFrame> frame = SkyFrame::fromHeader(header(cards));
        QVERIFY(frame);
        for (qsizetype i = 0; i < Pixels.size(); ++i) {
            const Aavso::SkyPosition expected{sky[2 * i], sky[2 * i + 1]};
            const auto found = frame->toSky(Pixels[i]);
            QVERIFY(found);
            const double dx = (found->ra - expected.ra) * std::cos(expected.dec * M_PI / 180) / Scale;
            const double dy = (found->dec - expected.dec) / Scale;
            QVERIFY2(std::hypot(dx, dy) < 0.01, qPrintable(QString::number(std::hypot(dx, dy))));
            const auto pixel = frame->toPixel(expected);
            QVERIFY(pixel);
            const double back = std::hypot(pixel->x() - Pixels[i].x(), pixel->y() - Pixels[i].y());
            QVERIFY2(back < 0.01, qPrintable(QString::number(back)));
        }
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no coordinates") << header({{"NAXIS", "2"}, {"EXPTIME", "60"}});
        QTest::newRow("pointing without scale")
            << header({{"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"}, {"CRVAL1", "249.8"}, {"CRVAL2", "9.8"}});
        QTest::newRow("linear axes") << header({{"CTYPE1", "'X'"}, {"CTYPE2", "'Y'"}, {"CDELT1", "0.5"}});
    }

    void refused()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!SkyFrame::fromHeader(text));
    }

    void movedFrameKeepsItsSystem()
    {
        std::optional<SkyFrame> first = SkyFrame::fromHeader(header(Frame + CdMatrix));
        QVERIFY(first);
        SkyFrame moved = std::move(*first);
        first = SkyFrame::fromHeader(header(sipFrame()));
        moved = std::move(*first); // the CD frame goes to first's place, and is freed there
        first.reset();
        QCOMPARE(qRound(moved.toSky(Pixels[0])->ra * 1e6), qRound(SipSky[0] * 1e6));
    }

    void skyLabels_data()
    {
        QTest::addColumn<double>("ra");
        QTest::addColumn<double>("dec");
        QTest::addColumn<QString>("label");
        QTest::newRow("typical") << 249.776791 << 9.798694 << "16:39:06.4 +09:47:55";
        QTest::newRow("59.96 s carries") << 59.96 / 240 << 59.6 / 3600 << "00:01:00.0 +00:01:00";
        QTest::newRow("day's end carries to 0") << 360 - 0.04 / 240 << 90.0 << "00:00:00.0 +90:00:00";
        QTest::newRow("south below a degree") << 0.0 << -0.5 << "00:00:00.0 -00:30:00";
        QTest::newRow("south rounded to zero") << 15.0 << -0.4 / 3600 << "01:00:00.0 +00:00:00";
        QTest::newRow("minute carries to degree") << 180.0 << -(29 + 59.5 / 60) / 60 << "12:00:00.0 -00:30:00";
    }

    void skyLabels()
    {
        QFETCH(double, ra);
        QFETCH(double, dec);
        QFETCH(QString, label);
        QCOMPARE(Aavso::formatRightAscension(ra) + QLatin1Char(' ') + Aavso::formatDeclination(dec), label);
    }
};

QTEST_GUILESS_MAIN(TestSkyCoordinates)
#include "tst_skycoordinates.moc"

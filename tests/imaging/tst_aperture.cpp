#include "imaging/aperture.h"

#include "fitswriter.h"

#include <QTest>

#include <cmath>

using namespace Imaging;

namespace {

constexpr double Pi = 3.14159265358979323846;

FitsImage starImage(int size, double sky, double sigma, const std::vector<std::array<double, 3>> &stars)
{
    FitsImage image;
    image.width = image.height = size;
    image.held = QRect(0, 0, size, size);
    const std::vector<double> values = starField(size, size, sky, sigma, stars);
    image.pixels.assign(values.cbegin(), values.cend());
    return image;
}

void setPixel(FitsImage &image, int x, int y, float value) { image.pixels[std::size_t(y * image.width + x)] = value; }

// `image` with every pixel further than `reach` from (x, y), in x or in y, invalid.
FitsImage cutAround(FitsImage image, double x, double y, int reach)
{
    for (int py = 0; py < image.height; ++py) {
        for (int px = 0; px < image.width; ++px) {
            if (std::fabs(px - x) > reach || std::fabs(py - y) > reach)
                setPixel(image, px, py, std::nanf(""));
        }
    }
    return image;
}

const Aperture Wide{8, 12, 18};

} // namespace

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(Imaging::Refusal)

class TestAperture : public QObject
{
    Q_OBJECT
private slots:
    void overlap_data();
    void overlap();
    void overlapTotal();
    void sky_data();
    void sky();
    void netError_data();
    void netError();
    void gaussianStars_data();
    void gaussianStars();
    void detection_data();
    void detection();
    void refusals_data();
    void refusals();
    void saturation_data();
    void saturation();
};

void TestAperture::overlap_data()
{
    QTest::addColumn<double>("cx");
    QTest::addColumn<double>("cy");
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("px");
    QTest::addColumn<int>("py");
    QTest::addColumn<double>("area");

    QTest::newRow("wholly inside") << 10.0 << 10.0 << 3.0 << 11 << 9 << 1.0;
    QTest::newRow("radius 0.5 on the pixel") << 10.0 << 10.0 << 0.5 << 10 << 10 << Pi / 4;
    QTest::newRow("radius 0.5 on a corner") << 10.5 << 10.5 << 0.5 << 10 << 10 << Pi / 16;
    QTest::newRow("radius 0.5 on an edge") << 10.5 << 10.0 << 0.5 << 10 << 10 << Pi / 8;
    QTest::newRow("touching at one point") << 10.0 << 10.0 << 0.5 << 11 << 10 << 0.0;
    // A segment of the unit circle beyond x = 1/2, cut at |y| = 1/2.
    QTest::newRow("radius 1, side pixel") << 10.0 << 10.0 << 1.0 << 10 << 11 << std::sqrt(3.0) / 4 - 0.5 + Pi / 6;
    QTest::newRow("radius 1, corner pixel") << 10.0 << 10.0 << 1.0 << 9 << 9
                                            << (Pi - 1 - 4 * (std::sqrt(3.0) / 4 - 0.5 + Pi / 6)) / 4;
}

void TestAperture::overlap()
{
    QFETCH(double, cx);
    QFETCH(double, cy);
    QFETCH(double, r);
    QFETCH(int, px);
    QFETCH(int, py);
    QFETCH(double, area);
    QVERIFY2(std::fabs(overlapArea(cx, cy, r, px, py) - area) < 1e-14,
             qPrintable(QString::number(overlapArea(cx, cy, r, px, py), 'g', 17)));
}

// The shares of every pixel add up to the circle, wherever it lies.
void TestAperture::overlapTotal()
{
    const double cx = 10.37, cy = 9.81, r = 4.6;
    double total = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            total += overlapArea(cx, cy, r, x, y);
    }
    QVERIFY2(std::fabs(total - Pi * r * r) < 1e-12, qPrintable(QString::number(total - Pi * r * r)));
}

void TestAperture::sky_data()
{
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<double>("level");
    QTest::addColumn<double>("sigma");
    QTest::addColumn<int>("kept");

    std::vector<double> pairs;
    for (int i = 0; i < 10; ++i)
        pairs.insert(pairs.end(), {9, 11});
    std::vector<double> oneFar = pairs;
    oneFar.push_back(1000);
    std::vector<double> twoPasses;
    for (int i = 0; i < 15; ++i)
        twoPasses.insert(twoPasses.end(), {99, 101});
    twoPasses.insert(twoPasses.end(), {130, 10000});

    QTest::newRow("nothing to clip") << std::vector<double>{5, 1, 4, 2, 3} << 3.0 << std::sqrt(2.0) << 5;
    QTest::newRow("one far value") << oneFar << 10.0 << 1.0 << 20;
    // 10000 goes first; then 130 stands 29 from the median, over 3 x 5.39.
    QTest::newRow("second pass") << twoPasses << 100.0 << 1.0 << 30;
}

void TestAperture::sky()
{
    QFETCH(std::vector<double>, values);
    QFETCH(double, level);
    QFETCH(double, sigma);
    QFETCH(int, kept);
    const SkyLevel sky = clippedSky(values);
    QCOMPARE(sky.level, level);
    QCOMPARE(sky.sigma, sigma);
    QCOMPARE(sky.kept, kept);
}

void TestAperture::netError_data()
{
    QTest::addColumn<double>("net");
    QTest::addColumn<double>("sky");
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("skyPixels");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("readNoise");
    QTest::addColumn<double>("error");

    // sqrt(2 * 10000 + 16 pi (1 + 16 pi / 200) (2 * 100 + 10^2)) / 2, by hand.
    QTest::newRow("with read noise") << 10000.0 << 100.0 << 4.0 << 200 << 2.0 << 10.0 << 98.57683909931545;
    QTest::newRow("no root") << -1e6 << 10.0 << 3.0 << 50 << 1.0 << 0.0 << std::nan("");
}

void TestAperture::netError()
{
    QFETCH(double, net);
    QFETCH(double, sky);
    QFETCH(double, radius);
    QFETCH(int, skyPixels);
    QFETCH(double, gain);
    QFETCH(double, readNoise);
    QFETCH(double, error);
    const double got = netCountError(net, sky, Pi * radius * radius, skyPixels, {gain, readNoise});
    if (std::isnan(error))
        QVERIFY(std::isnan(got));
    else
        QVERIFY2(std::fabs(got - error) < 1e-9, qPrintable(QString::number(got, 'g', 17)));
}

void TestAperture::gaussianStars_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");

    QTest::newRow("on a pixel corner") << 31.5 << 30.5;
    QTest::newRow("anywhere") << 30.3 << 29.8;
}

// sigma 1.5 px, r = 8 px (5.3 sigma: 1e-6 of the flux outside), sky 12-18 px.
void TestAperture::gaussianStars()
{
    QFETCH(double, x);
    QFETCH(double, y);
    const double flux = 50000, sigma = 1.5;
    const FitsImage image = starImage(64, 100, sigma, {{x, y, flux}});

    const StarMeasurement m = measureStar(image, x + 1.6, y - 2.2, Wide, {2, 5});
    QCOMPARE(m.refusal, Refusal::None);
    // The centring walks from the click: measureReach must cover the walk too.
    const FitsImage cut = cutAround(image, x + 1.6, y - 2.2, measureReach(Wide));
    const StarMeasurement fromCut = measureStar(cut, x + 1.6, y - 2.2, Wide, {2, 5});
    QCOMPARE(fromCut.refusal, Refusal::None);
    QCOMPARE(fromCut.net, m.net);
    QVERIFY2(std::fabs(m.x - x) < 0.02 && std::fabs(m.y - y) < 0.02, qPrintable(QStringLiteral("%1 %2").arg(m.x).arg(m.y)));
    QVERIFY2(std::fabs(m.net - flux) < 0.001 * flux, qPrintable(QString::number(m.net)));
    QCOMPARE(m.sky.level, 100.0);
    // Pixels add 1/12 px^2 to the Gaussian's variance.
    const double fwhm = 2.3548 * std::sqrt(sigma * sigma + 1.0 / 12);
    QVERIFY2(std::fabs(m.fwhm - fwhm) < 0.01 * fwhm, qPrintable(QString::number(m.fwhm)));
    QVERIFY(!m.saturated);
}

void TestAperture::detection_data()
{
    QTest::addColumn<float>("peak");
    QTest::addColumn<bool>("found");

    // A checkerboard sky of 99 and 101: median 99 or 101, sigma about 1.
    QTest::newRow("4 sigma") << 104.0f << false;
    QTest::newRow("9 sigma") << 110.0f << true;
}

void TestAperture::detection()
{
    QFETCH(float, peak);
    QFETCH(bool, found);
    FitsImage image = starImage(64, 0, 1, {});
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            setPixel(image, x, y, (x + y) % 2 ? 99 : 101);
    }
    setPixel(image, 33, 30, peak);
    const StarPosition star = findStar(image, 30, 30, Wide);
    QCOMPARE(star.refusal, found ? Refusal::None : Refusal::NoStar);
    if (!found)
        QCOMPARE(refusalText(star.refusal), QString::fromUtf8(MeasureProblem::NoStar));
}

void TestAperture::refusals_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QList<QPoint>>("invalid");
    QTest::addColumn<Refusal>("refusal");

    QTest::newRow("NaN beyond the annulus") << 30.0 << QList<QPoint>{{30, 49}} << Refusal::None;
    QTest::newRow("NaN in the aperture") << 30.0 << QList<QPoint>{{37, 30}} << Refusal::InvalidPixels;
    QTest::newRow("NaN in the annulus") << 30.0 << QList<QPoint>{{30, 48}} << Refusal::InvalidPixels;
    QTest::newRow("annulus over the edge") << 17.0 << QList<QPoint>{} << Refusal::Border;
    QTest::newRow("annulus up to the edge") << 18.0 << QList<QPoint>{} << Refusal::None;
    QTest::newRow("edge before NaN") << 7.0 << QList<QPoint>{{7, 30}} << Refusal::Border;
    QTest::newRow("off the image") << -1e300 << QList<QPoint>{} << Refusal::Border;
}

void TestAperture::refusals()
{
    QFETCH(double, x);
    QFETCH(QList<QPoint>, invalid);
    QFETCH(Refusal, refusal);
    FitsImage image = starImage(64, 100, 1.5, {{x, 30, 20000}});
    for (const QPoint &p : invalid)
        setPixel(image, p.x(), p.y(), std::nanf(""));
    QCOMPARE(measureAt(image, x, 30, Wide, {}).refusal, refusal);
}

void TestAperture::saturation_data()
{
    QTest::addColumn<float>("peak");
    QTest::addColumn<double>("level");
    QTest::addColumn<bool>("saturated");

    QTest::newRow("below") << 999.5f << 1000.0 << false;
    QTest::newRow("at the level") << 1000.0f << 1000.0 << true;
    QTest::newRow("above") << 1200.0f << 1000.0 << true;
}

void TestAperture::saturation()
{
    QFETCH(float, peak);
    QFETCH(double, level);
    QFETCH(bool, saturated);
    FitsImage image = starImage(64, 100, 1.5, {});
    image.saturation = level;
    // On the aperture's rim, where it covers a sliver of the pixel.
    setPixel(image, 38, 30, peak);
    const StarMeasurement m = measureAt(image, 30.0, 30.0, Wide, {});
    QCOMPARE(m.peak, double(peak));
    QCOMPARE(m.saturated, saturated);
}

QTEST_GUILESS_MAIN(TestAperture)
#include "tst_aperture.moc"

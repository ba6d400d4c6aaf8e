#include "imaging/halves.h"
#include "imaging/stretch.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <limits>

using namespace Imaging;

namespace {

// The values 0, 1, ..., n - 1 in a scrambled order, and a NaN after each tenth.
FitsImage ramp(int width, int height)
{
    FitsImage image;
    image.width = width;
    image.height = height;
    const int n = width * height;
    for (int i = 0; i < n; ++i)
        image.pixels.push_back(float((std::int64_t(i) * 7919) % n));
    for (int i = 5; i < n; i += 10)
        image.pixels[std::size_t(i)] = std::nanf("");
    return image;
}

// What no drawn byte is: each must be written over.
constexpr quint8 Unwritten = 0xa5;

// The picture drawn row 0 first.
std::vector<quint8> drawn(const FitsImage &image, const StretchLimits &limits)
{
    std::vector<quint8> grey(image.pixels.size(), Unwritten);
    drawPicture(image, limits, grey.data(), image.width);
    return grey;
}

} // namespace

class TestStretch : public QObject
{
    Q_OBJECT
private slots:
    void limits_data();
    void limits();
    void picture();
    void levelsRoundHalfUp_data();
    void levelsRoundHalfUp();
    void everyValueAsTheCurveSays_data();
    void everyValueAsTheCurveSays();
    void largePictureAsInStrips_data();
    void largePictureAsInStrips();
    void topRowFirst_data();
    void topRowFirst();
};

void TestStretch::limits_data()
{
    QTest::addColumn<int>("side");
    QTest::newRow("every pixel") << 100;
    QTest::newRow("sampled") << 2000;
}

void TestStretch::limits()
{
    QFETCH(int, side);
    const FitsImage image = ramp(side, side);
    const double n = double(side) * side;
    const StretchLimits limits = stretchLimits(image);
    // The valid values spread evenly over 0 .. n - 1.
    QVERIFY2(std::fabs(limits.black - StretchLow * n) < 0.001 * n, qPrintable(QString::number(limits.black)));
    QVERIFY2(std::fabs(limits.white - StretchHigh * n) < 0.001 * n, qPrintable(QString::number(limits.white)));
}

void TestStretch::picture()
{
    FitsImage image;
    image.width = 6;
    image.height = 1;
    image.pixels = {50, 100, 110, 150, 200, std::nanf("")};
    const std::vector<quint8> grey = drawn(image, {100, 200});
    QCOMPARE(grey.size(), std::size_t(6));
    QCOMPARE(grey[0], quint8(0));   // below black
    QCOMPARE(grey[1], quint8(0));   // black
    QCOMPARE(grey[4], quint8(255)); // white
    QCOMPARE(grey[5], quint8(0));   // invalid
    // The faint tenth of the range gets far more than a tenth of the greys,
    // and the middle still less than the top.
    QVERIFY2(grey[2] > 2 * 26, qPrintable(QString::number(grey[2])));
    QVERIFY(grey[2] < grey[3] && grey[3] < grey[4]);
}

void TestStretch::levelsRoundHalfUp_data()
{
    QTest::addColumn<float>("value"); // black 0, white 4095
    QTest::addColumn<int>("grey");
    const float infinity = std::numeric_limits<float>::infinity();
    // The curve gives level 2 the grey 0 and level 3 the grey 1.
    QTest::newRow("just under two and a half") << std::nextafter(2.5f, 0.0f) << 0;
    QTest::newRow("two and a half") << 2.5f << 1;
    QTest::newRow("three") << 3.0f << 1;
    QTest::newRow("minus infinity") << -infinity << 0;
    QTest::newRow("white") << 4095.0f << 255;
    QTest::newRow("infinity") << infinity << 255;
}

// Each value drawn in a row of five, which the vector unit draws four at a
// time and the last alone.
void TestStretch::levelsRoundHalfUp()
{
    QFETCH(float, value);
    QFETCH(int, grey);
    FitsImage image;
    image.width = 5;
    image.height = 1;
    image.pixels.assign(5, value);
    const std::vector<quint8> greys = drawn(image, {0, 4095});
    QVERIFY2(std::all_of(greys.cbegin(), greys.cend(), [grey](quint8 g) { return g == grey; }),
             qPrintable(QString::number(greys[0]) + ' ' + QString::number(greys[4])));
}

void TestStretch::everyValueAsTheCurveSays_data()
{
    QTest::addColumn<double>("black");
    QTest::addColumn<double>("white");
    QTest::newRow("a sky of a few hundred") << 812.25 << 1093.5;
    QTest::newRow("narrower than the levels") << -0.37 << 0.5;
    QTest::newRow("wide") << -1e6 << 3e7;
    QTest::newRow("no span") << 5.0 << 5.0;
}

// Values of every kind (any bit pattern: NaN, infinities, the tiniest, the
// largest) and values spread over the range, each grey worked out from the
// curve's definition.
void TestStretch::everyValueAsTheCurveSays()
{
    QFETCH(double, black);
    QFETCH(double, white);
    FitsImage image;
    image.width = 1001; // the last of each row drawn alone
    image.height = 200;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> spread(black - 0.1 * (white - black) - 1, white + 0.1 * (white - black) + 1);
    for (int i = 0; i < image.width * image.height; ++i) {
        const std::uint32_t bits = random();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        image.pixels.push_back(i % 2 ? value : float(spread(random)));
    }
    const std::vector<quint8> grey = drawn(image, {black, white});
    const double scale = (StretchLevels - 1) / (white > black ? white - black : 1);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const float value = image.pixels[i];
        const double level = std::isnan(value) ? 0 : std::clamp((value - black) * scale, 0.0, StretchLevels - 1.0);
        const double share = double(std::lround(level)) / (StretchLevels - 1);
        const long expected = std::lround(255 * std::asinh(StretchSoftening * share) / std::asinh(StretchSoftening));
        QVERIFY2(grey[i] == expected, qPrintable(QString::number(double(value), 'g', 9)));
    }
}

void TestStretch::largePictureAsInStrips_data()
{
    QTest::addColumn<int>("height"); // of 700 pixels wide
    QTest::newRow("even rows") << 400;
    QTest::newRow("odd rows") << 401;
}

// A picture large enough to be drawn in halves on two threads is, pixel for
// pixel, the strips' pictures, each small enough to be drawn on one.
void TestStretch::largePictureAsInStrips()
{
    QFETCH(int, height);
    const FitsImage image = ramp(700, height);
    QVERIFY(image.pixels.size() >= SplitFromPixels);
    const StretchLimits limits = stretchLimits(image);
    const std::vector<quint8> grey = drawn(image, limits);
    QCOMPARE(grey.size(), image.pixels.size());
    constexpr int StripRows = 100;
    for (int top = 0; top < height; top += StripRows) {
        FitsImage strip;
        strip.width = image.width;
        strip.height = std::min(StripRows, height - top);
        const auto first = image.pixels.begin() + std::ptrdiff_t(top) * image.width;
        strip.pixels.assign(first, first + std::ptrdiff_t(strip.height) * image.width);
        QVERIFY(strip.pixels.size() < SplitFromPixels);
        const std::vector<quint8> part = drawn(strip, limits);
        QVERIFY2(std::equal(part.begin(), part.end(), grey.begin() + std::ptrdiff_t(top) * image.width),
                 qPrintable(QString::number(top)));
    }
}

void TestStretch::topRowFirst_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("one row") << 7 << 1;
    QTest::newRow("two rows") << 7 << 2;
    QTest::newRow("in halves, even rows") << 700 << 400;
    QTest::newRow("in halves, odd rows") << 700 << 401;
}

// Drawn upwards into rows longer than the image's, as a screen's picture
// holds them: the last row first, and nothing written past a row's end.
void TestStretch::topRowFirst()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const FitsImage image = ramp(width, height);
    const StretchLimits limits = stretchLimits(image);
    const std::vector<quint8> upright = drawn(image, limits);
    const std::ptrdiff_t rowBytes = width + 3;
    std::vector<quint8> screen(std::size_t(rowBytes * height), Unwritten);
    drawPicture(image, limits, screen.data() + (height - 1) * rowBytes, -rowBytes);
    for (int row = 0; row < height; ++row) {
        const auto shown = screen.cbegin() + (height - 1 - row) * rowBytes;
        QVERIFY2(std::equal(shown, shown + width, upright.cbegin() + std::ptrdiff_t(row) * width),
                 qPrintable(QString::number(row)));
        QVERIFY2(std::all_of(shown + width, shown + rowBytes, [](quint8 b) { return b == Unwritten; }),
                 qPrintable(QString::number(row)));
    }
}

QTEST_GUILESS_MAIN(TestStretch)
#include "tst_stretch.moc"

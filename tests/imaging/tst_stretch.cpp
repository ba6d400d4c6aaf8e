#include "imaging/halves.h"
#include "imaging/stretch.h"

#include <QTest>

#include <algorithm>
#include <cmath>

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
    QTest::addColumn<double>("black"); // white 4095 above
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("grey");
    // The curve gives level 2 the grey 0 and level 3 the grey 1.
    QTest::newRow("just under two and a half") << 0.0 << std::nextafter(2.5f, 0.0f) << 0;
    QTest::newRow("two and a half") << 0.0 << 2.5f << 1;
    QTest::newRow("three") << 0.0 << 3.0f << 1;
    // Whole values, in the table of whole values and either side of it.
    QTest::newRow("lowest whole in the table, level 2") << -32770.0 << -32768.0f << 0;
    QTest::newRow("lowest whole in the table, level 3") << -32771.0 << -32768.0f << 1;
    QTest::newRow("whole under the table, level 2") << -32771.0 << -32769.0f << 0;
    QTest::newRow("whole under the table, level 3") << -32772.0 << -32769.0f << 1;
    QTest::newRow("highest whole in the table, level 2") << 65533.0 << 65535.0f << 0;
    QTest::newRow("highest whole in the table, level 3") << 65532.0 << 65535.0f << 1;
    QTest::newRow("whole above the table, level 2") << 65534.0 << 65536.0f << 0;
    QTest::newRow("whole above the table, level 3") << 65533.0 << 65536.0f << 1;
}

void TestStretch::levelsRoundHalfUp()
{
    QFETCH(double, black);
    QFETCH(float, value);
    QFETCH(int, grey);
    FitsImage image;
    image.width = 1;
    image.height = 1;
    image.pixels = {value};
    QCOMPARE(int(drawn(image, {black, black + 4095})[0]), grey);
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

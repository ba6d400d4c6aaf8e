#include "stretch.h"

#include "halves.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Imaging {

namespace {

constexpr std::size_t MaxSamples = std::size_t(1) << 18;
constexpr double Softening = 10; // asinh(10 t) / asinh(10): the faint tenth gets about half the greys
constexpr int Levels = 4096;
// Whole values from here to WholeHigh, which every 8- and 16-bit image's
// pixels are, take their greys from a table made once per picture.
constexpr int WholeLow = -32768;
constexpr int WholeHigh = 65535;

double percentile(std::vector<float> &samples, double fraction)
{
    const auto at = samples.begin() + std::ptrdiff_t(std::lround(fraction * double(samples.size() - 1)));
    std::nth_element(samples.begin(), at, samples.end());
    return double(*at);
}

// std::lround of a level from 0 up, without the library call: the fraction
// left by cutting is exact, and a half goes up.
std::size_t nearest(double level)
{
    const std::size_t cut = std::size_t(level);
    return level - double(cut) >= 0.5 ? cut + 1 : cut;
}

} // namespace

StretchLimits stretchLimits(const FitsImage &image)
{
    const std::size_t step = std::max<std::size_t>(1, image.pixels.size() / MaxSamples);
    std::vector<float> samples;
    samples.reserve(image.pixels.size() / step + 1);
    for (std::size_t i = 0; i < image.pixels.size(); i += step) {
        if (!std::isnan(image.pixels[i]))
            samples.push_back(image.pixels[i]);
    }
    if (samples.empty())
        return {};
    return {percentile(samples, StretchLow), percentile(samples, StretchHigh)};
}

void drawPicture(const FitsImage &image, const StretchLimits &limits, quint8 *firstRow, std::ptrdiff_t rowStep)
{
    // The curve is worked out once per grey step, not once per pixel.
    static const std::array<quint8, Levels> curve = [] {
        std::array<quint8, Levels> table{};
        for (int i = 0; i < Levels; ++i)
            table[std::size_t(i)] = quint8(std::lround(255 * std::asinh(Softening * i / (Levels - 1)) / std::asinh(Softening)));
        return table;
    }();

    if (image.pixels.empty())
        return;
    const double span = limits.white > limits.black ? limits.white - limits.black : 1;
    const double scale = (Levels - 1) / span;
    const double black = limits.black;
    const auto grey = [&](double v) {
        return curve[nearest(std::clamp((v - black) * scale, 0.0, double(Levels - 1)))];
    };
    std::vector<quint8> wholes(std::size_t(WholeHigh - WholeLow + 1));
    for (int v = WholeLow; v <= WholeHigh; ++v)
        wholes[std::size_t(v - WholeLow)] = grey(v);

    const std::size_t width = std::size_t(image.width);
    // Through plain pointers: a byte written could otherwise be any of them.
    const float *const pixels = image.pixels.data();
    const quint8 *const whole = wholes.data();
    inHalves(
        image.pixels.size(), [width](std::size_t count) { return count / width / 2 * width; },
        [=](std::size_t from, std::size_t to) {
            for (std::size_t row = from / width; row < to / width; ++row) {
                const float *in = pixels + row * width;
                quint8 *const out = firstRow + std::ptrdiff_t(row) * rowStep;
                for (std::size_t x = 0; x < width; ++x) {
                    const float v = in[x];
                    if (v >= float(WholeLow) && v <= float(WholeHigh) && float(int(v)) == v)
                        out[x] = whole[int(v) - WholeLow];
                    else
                        out[x] = std::isnan(v) ? quint8(0) : grey(double(v));
                }
            }
        });
}

} // namespace Imaging

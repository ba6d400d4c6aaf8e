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

double percentile(std::vector<float> &samples, double fraction)
{
    const auto at = samples.begin() + std::ptrdiff_t(std::lround(fraction * double(samples.size() - 1)));
    std::nth_element(samples.begin(), at, samples.end());
    return double(*at);
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

std::vector<quint8> displayPicture(const FitsImage &image, const StretchLimits &limits)
{
    // The curve is worked out once per grey step, not once per pixel.
    static const std::array<quint8, Levels> curve = [] {
        std::array<quint8, Levels> table{};
        for (int i = 0; i < Levels; ++i)
            table[std::size_t(i)] = quint8(std::lround(255 * std::asinh(Softening * i / (Levels - 1)) / std::asinh(Softening)));
        return table;
    }();

    const double span = limits.white > limits.black ? limits.white - limits.black : 1;
    const double scale = (Levels - 1) / span;
    std::vector<quint8> grey(image.pixels.size());
    inHalves(grey.size(), [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const float v = image.pixels[i];
            if (std::isnan(v))
                continue;
            const double level = std::clamp((double(v) - limits.black) * scale, 0.0, double(Levels - 1));
            grey[i] = curve[std::size_t(std::lround(level))];
        }
    });
    return grey;
}

} // namespace Imaging

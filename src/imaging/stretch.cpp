#include "stretch.h"

#include "halves.h"

#include <algorithm>
#include <array>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Imaging {

namespace {

constexpr std::size_t MaxSamples = std::size_t(1) << 18;

double percentile(std::vector<float> &samples, double fraction)
{
    const auto at = samples.begin() + std::ptrdiff_t(std::lround(fraction * double(samples.size() - 1)));
    std::nth_element(samples.begin(), at, samples.end());
    return double(*at);
}

// A value's level is (v - black) × scale clamped to [0, StretchLevels - 1],
// NaN taking 0, and its grey the curve's at the level rounded as std::lround
// rounds it, a half up. Twice the level is as exact as the level, and the
// whole part of twice it, halved and rounded up, is the rounded level: the
// greys are looked up by that whole part, which a single cut gives.
constexpr int HalfSteps = 2 * (StretchLevels - 1) + 1;

int halfStep(float value, double black, double scale)
{
    double level = (double(value) - black) * scale;
    level = level > 0 ? level : 0; // NaN too
    level = level < StretchLevels - 1 ? level : StretchLevels - 1;
    return int(level + level);
}

// The half steps of `count` values, four at a time where the processor can,
// with the same arithmetic in the same order as `halfStep`.
void halfSteps(const float *values, std::size_t count, double black, double scale, std::int32_t *out)
{
    std::size_t x = 0;
#ifdef __SSE2__
    const __m128d blacks = _mm_set1_pd(black);
    const __m128d scales = _mm_set1_pd(scale);
    const __m128d zero = _mm_setzero_pd();
    const __m128d top = _mm_set1_pd(StretchLevels - 1);
    const auto twoHalfSteps = [&](__m128d value) {
        __m128d level = _mm_mul_pd(_mm_sub_pd(value, blacks), scales);
        level = _mm_min_pd(_mm_max_pd(level, zero), top); // max gives its second for a NaN
        return _mm_cvttpd_epi32(_mm_add_pd(level, level)); // in the lower two lanes
    };
    for (; x + 4 <= count; x += 4) {
        const __m128 four = _mm_loadu_ps(values + x);
        const __m128i low = twoHalfSteps(_mm_cvtps_pd(four));
        const __m128i high = twoHalfSteps(_mm_cvtps_pd(_mm_movehl_ps(four, four)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), _mm_unpacklo_epi64(low, high));
    }
#endif
    for (; x < count; ++x)
        out[x] = halfStep(values[x], black, scale);
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
    // The curve is worked out once per half step, not once per pixel.
    static const std::array<quint8, HalfSteps> curve = [] {
        std::array<quint8, HalfSteps> table{};
        for (int i = 0; i < HalfSteps; ++i) {
            const int level = (i + 1) / 2;
            const double shaped = std::asinh(StretchSoftening * level / (StretchLevels - 1)) / std::asinh(StretchSoftening);
            table[std::size_t(i)] = quint8(std::lround(255 * shaped));
        }
        return table;
    }();

    if (image.pixels.empty())
        return;
    const double span = limits.white > limits.black ? limits.white - limits.black : 1;
    const double scale = (StretchLevels - 1) / span;
    const double black = limits.black;
    const std::size_t width = std::size_t(image.width);
    // Through plain pointers: a byte written could otherwise be any of them.
    const float *const pixels = image.pixels.data();
    const quint8 *const greys = curve.data();
    inHalves(
        image.pixels.size(), [width](std::size_t count) { return count / width / 2 * width; },
        [=](std::size_t from, std::size_t to) {
            // A row's half steps first, then their greys: the table is no work for the vector unit.
            std::vector<std::int32_t> steps(width);
            for (std::size_t row = from / width; row < to / width; ++row) {
                halfSteps(pixels + row * width, width, black, scale, steps.data());
                quint8 *const out = firstRow + std::ptrdiff_t(row) * rowStep;
                for (std::size_t x = 0; x < width; ++x)
                    out[x] = greys[steps[x]];
            }
        });
}

} // namespace Imaging

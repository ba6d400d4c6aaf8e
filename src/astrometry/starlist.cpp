#include "starlist.h"

#include "imaging/aperture.h"

#include <algorithm>
#include <cmath>

namespace Astrometry {

namespace {

constexpr int Box = 3;             // half-size of the box a star is centred in
constexpr double Threshold = 5;    // sigma above the sky
constexpr double Apart = 2.0 * Box; // two peaks closer than this are one star
constexpr int SkySamples = 40000;

Imaging::SkyLevel imageSky(const Imaging::FitsImage &image)
{
    std::vector<double> values;
    const std::size_t step = std::max<std::size_t>(1, image.pixels.size() / SkySamples);
    values.reserve(image.pixels.size() / step + 1);
    for (std::size_t i = 0; i < image.pixels.size(); i += step) {
        if (!std::isnan(image.pixels[i]))
            values.push_back(image.pixels[i]);
    }
    return Imaging::clippedSky(std::move(values));
}

} // namespace

std::vector<FoundStar> findStars(const Imaging::FitsImage &image, int most)
{
    const Imaging::SkyLevel sky = imageSky(image);
    std::vector<FoundStar> found;
    if (!(sky.sigma > 0))
        return found;
    const float level = float(sky.level + Threshold * sky.sigma);
    const QRect &held = image.held;
    for (int y = held.top() + Box; y <= held.bottom() - Box; ++y) {
        const float *row = image.pixels.data() + std::size_t(y - held.top()) * std::size_t(held.width());
        for (int x = held.left() + Box; x <= held.right() - Box; ++x) {
            const float peak = row[x - held.left()];
            if (!(peak > level))
                continue;
            // A plateau's first pixel in scan order stands for it.
            bool highest = true;
            for (int dy = -1; dy <= 1 && highest; ++dy) {
                for (int dx = -1; dx <= 1 && highest; ++dx) {
                    const float other = image.at(x + dx, y + dy);
                    const bool before = dy < 0 || (dy == 0 && dx < 0);
                    highest = (dx == 0 && dy == 0) || (before ? other < peak : other <= peak);
                }
            }
            if (!highest)
                continue;
            double sum = 0, sx = 0, sy = 0;
            bool valid = true;
            for (int dy = -Box; dy <= Box && valid; ++dy) {
                for (int dx = -Box; dx <= Box; ++dx) {
                    const double value = double(image.at(x + dx, y + dy)) - sky.level;
                    if (std::isnan(value)) {
                        valid = false;
                        break;
                    }
                    const double weight = std::max(value, 0.0);
                    sum += weight;
                    sx += weight * dx;
                    sy += weight * dy;
                }
            }
            if (valid && sum > 0)
                found.push_back({QPointF(x + sx / sum, y + sy / sum), sum});
        }
    }
    std::sort(found.begin(), found.end(), [](const FoundStar &a, const FoundStar &b) { return a.flux > b.flux; });
    std::vector<FoundStar> kept;
    for (const FoundStar &star : found) {
        const bool near = std::any_of(kept.cbegin(), kept.cend(), [&star](const FoundStar &brighter) {
            return std::hypot(brighter.at.x() - star.at.x(), brighter.at.y() - star.at.y()) < Apart;
        });
        if (!near)
            kept.push_back(star);
        if (int(kept.size()) >= most)
            break;
    }
    return kept;
}

} // namespace Astrometry

#include "aperture.h"

#include <algorithm>
#include <cmath>

namespace Imaging {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr int MaxCentringSteps = 10;
constexpr double SettledMove = 0.01;
constexpr double DetectionSigmas = 5;
constexpr double ClipSigmas = 3;
constexpr int MaxClipPasses = 10;

// Integral of sqrt(r^2 - t^2) dt, from 0 to t.
double arcIntegral(double t, double r)
{
    const double root = std::sqrt(std::max(0.0, r * r - t * t));
    return 0.5 * (t * root + r * r * std::asin(std::clamp(t / r, -1.0, 1.0)));
}

double median(std::vector<double> values)
{
    const std::size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(half), values.end());
    const double upper = values[half];
    if (values.size() % 2 == 1)
        return upper;
    return 0.5 * (upper + *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(half)));
}

double deviation(const std::vector<double> &values)
{
    double mean = 0;
    for (const double v : values)
        mean += v;
    mean /= double(values.size());
    double squares = 0;
    for (const double v : values)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / double(values.size()));
}

// Reads pixels for one star, remembering whether any lay outside the image
// or was invalid: such a star is refused, the image's edge first.
class PixelReader
{
public:
    explicit PixelReader(const FitsImage &image) : m_image(image) {}
    double operator()(int x, int y)
    {
        if (!m_image.contains(x, y)) {
            m_outside = true;
            return 0;
        }
        const float v = m_image.at(x, y);
        m_invalid = m_invalid || std::isnan(v);
        return double(v);
    }
    Refusal refusal() const
    {
        return m_outside ? Refusal::Border : m_invalid ? Refusal::InvalidPixels : Refusal::None;
    }

private:
    const FitsImage &m_image;
    bool m_outside = false;
    bool m_invalid = false;
};

std::vector<double> annulus(PixelReader &read, double cx, double cy, const Aperture &aperture)
{
    std::vector<double> values;
    const double r = aperture.outerRadius;
    for (int y = int(std::floor(cy - r)); y <= int(std::ceil(cy + r)); ++y) {
        for (int x = int(std::floor(cx - r)); x <= int(std::ceil(cx + r)); ++x) {
            const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 > aperture.innerRadius * aperture.innerRadius && d2 <= r * r)
                values.push_back(read(x, y));
        }
    }
    return values;
}

// Sums over the box of half-size `half` around (cx, cy) of the pixels above
// the sky (negatives as 0), their first and second moments.
struct BoxMoments
{
    double weight = 0;
    double x = 0;
    double y = 0;
    double variance = 0; // mean of the x and y second moments
    bool detected = false;
};

BoxMoments boxMoments(PixelReader &read, double cx, double cy, double half, const SkyLevel &sky)
{
    BoxMoments m;
    double sx = 0, sy = 0, sxx = 0, syy = 0;
    for (int y = int(std::ceil(cy - half)); y <= int(std::floor(cy + half)); ++y) {
        for (int x = int(std::ceil(cx - half)); x <= int(std::floor(cx + half)); ++x) {
            const double above = read(x, y) - sky.level;
            m.detected = m.detected || above > DetectionSigmas * sky.sigma;
            const double w = std::max(above, 0.0);
            m.weight += w;
            sx += w * (x - cx);
            sy += w * (y - cy);
            sxx += w * (x - cx) * (x - cx);
            syy += w * (y - cy) * (y - cy);
        }
    }
    if (m.weight > 0) {
        m.x = cx + sx / m.weight;
        m.y = cy + sy / m.weight;
        m.variance = 0.5 * (sxx + syy) / m.weight - 0.5 * ((sx * sx + sy * sy) / (m.weight * m.weight));
    }
    return m;
}

// Positions off the image, and rings wider than it, can only leave it.
bool leavesImage(const FitsImage &image, double x, double y, const Aperture &aperture)
{
    return !(x >= 0 && y >= 0 && x <= image.width - 1 && y <= image.height - 1
             && aperture.outerRadius <= image.width + image.height);
}

} // namespace

QString refusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::None: break;
    case Refusal::NoStar: return QString::fromUtf8(MeasureProblem::NoStar);
    case Refusal::Border: return QString::fromUtf8(MeasureProblem::Border);
    case Refusal::InvalidPixels: return QString::fromUtf8(MeasureProblem::InvalidPixels);
    case Refusal::Unconfirmed: return QString::fromUtf8(MeasureProblem::Unconfirmed);
    }
    return QString();
}

double overlapArea(double cx, double cy, double r, int px, int py)
{
    const double x0 = px - 0.5 - cx, x1 = px + 0.5 - cx;
    const double y0 = py - 0.5 - cy, y1 = py + 0.5 - cy;
    const double far = std::max(x0 * x0, x1 * x1) + std::max(y0 * y0, y1 * y1);
    if (far <= r * r)
        return 1;
    const double left = std::max(x0, -r), right = std::min(x1, r);
    if (left >= right)
        return 0;

    // Between these abscissae each arc lies wholly inside, above or below the
    // pixel's column, so each piece of the area has a closed form.
    std::vector<double> cuts{left, right};
    for (const double edge : {y0, y1}) {
        if (std::fabs(edge) < r) {
            const double w = std::sqrt(r * r - edge * edge);
            for (const double t : {-w, w}) {
                if (t > left && t < right)
                    cuts.push_back(t);
            }
        }
    }
    std::sort(cuts.begin(), cuts.end());
    double area = 0;
    for (std::size_t i = 1; i < cuts.size(); ++i) {
        const double a = cuts[i - 1], b = cuts[i];
        const double mid = 0.5 * (a + b);
        const double arc = std::sqrt(std::max(0.0, r * r - mid * mid));
        // An arc equal to an edge at the middle only touches it there.
        if (std::min(y1, arc) <= std::max(y0, -arc))
            continue;
        const double underArc = arcIntegral(b, r) - arcIntegral(a, r);
        area += (arc <= y1 ? underArc : y1 * (b - a)) - (-arc >= y0 ? -underArc : y0 * (b - a));
    }
    return area;
}

SkyLevel clippedSky(std::vector<double> values)
{
    if (values.empty())
        return {NaN, NaN, 0};
    for (int pass = 0; pass < MaxClipPasses; ++pass) {
        const double centre = median(values);
        const double limit = ClipSigmas * deviation(values);
        const auto kept = std::remove_if(values.begin(), values.end(),
                                         [&](double v) { return std::fabs(v - centre) > limit; });
        if (kept == values.end())
            break;
        values.erase(kept, values.end());
    }
    return {median(values), deviation(values), int(values.size())};
}

double netCountError(double net, double sky, double area, int skyPixels, const Detector &detector)
{
    const double g = detector.gain;
    const double variance = g * net
        + area * (1 + area / skyPixels) * (g * sky + detector.readNoise * detector.readNoise);
    return variance >= 0 ? std::sqrt(variance) / g : NaN;
}

StarPosition findStar(const FitsImage &image, double x, double y, const Aperture &aperture)
{
    if (leavesImage(image, x, y, aperture))
        return {Refusal::Border};
    PixelReader read(image);
    const SkyLevel sky = clippedSky(annulus(read, x, y, aperture));
    BoxMoments box = boxMoments(read, x, y, aperture.radius, sky);
    if (read.refusal() != Refusal::None)
        return {read.refusal()};
    if (!box.detected)
        return {Refusal::NoStar};

    double cx = x, cy = y;
    for (int step = 0; step < MaxCentringSteps && box.weight > 0; ++step) {
        const double move = std::hypot(box.x - cx, box.y - cy);
        cx = box.x;
        cy = box.y;
        box = boxMoments(read, cx, cy, aperture.radius, sky);
        if (read.refusal() != Refusal::None)
            return {read.refusal()};
        if (move < SettledMove)
            break;
    }
    if (box.weight <= 0)
        return {Refusal::NoStar};
    return {Refusal::None, cx, cy, 2 * std::sqrt(2 * std::log(2.0)) * std::sqrt(std::max(box.variance, 0.0))};
}

StarMeasurement measureAt(const FitsImage &image, double x, double y, const Aperture &aperture,
                          const Detector &detector)
{
    StarMeasurement m;
    m.x = x;
    m.y = y;
    if (leavesImage(image, x, y, aperture)) {
        m.refusal = Refusal::Border;
        return m;
    }
    PixelReader read(image);
    m.sky = clippedSky(annulus(read, x, y, aperture));
    const double r = aperture.radius;
    m.peak = -std::numeric_limits<double>::infinity();
    double sum = 0; // sky included
    for (int py = int(std::floor(y - r)); py <= int(std::ceil(y + r)); ++py) {
        for (int px = int(std::floor(x - r)); px <= int(std::ceil(x + r)); ++px) {
            const double share = overlapArea(x, y, r, px, py);
            if (share > 0) {
                const double v = read(px, py);
                sum += share * v;
                m.peak = std::max(m.peak, v);
            }
        }
    }
    m.refusal = read.refusal();
    if (m.refusal != Refusal::None)
        return m;

    const double area = Pi * r * r;
    m.net = sum - m.sky.level * area;
    m.error = netCountError(m.net, m.sky.level, area, m.sky.kept, detector);
    m.magnitudeError = m.net > 0 ? 1.0857 * m.error / m.net : NaN;
    m.signalToNoise = m.net / m.error;
    m.saturated = m.peak >= image.saturation;
    return m;
}

StarMeasurement measureStar(const FitsImage &image, double x, double y, const Aperture &aperture,
                            const Detector &detector)
{
    const StarPosition star = findStar(image, x, y, aperture);
    if (star.refusal != Refusal::None) {
        StarMeasurement refused;
        refused.refusal = star.refusal;
        return refused;
    }
    StarMeasurement m = measureAt(image, star.x, star.y, aperture, detector);
    m.fwhm = star.fwhm;
    return m;
}

int measureReach(const Aperture &aperture)
{
    // Each centring step moves at most the box's half-size along each axis;
    // the rings are read whole pixels beyond their radius.
    const double centre = MaxCentringSteps * aperture.radius;
    return int(std::ceil(centre + std::max(aperture.radius, aperture.outerRadius))) + 1;
}

} // namespace Imaging

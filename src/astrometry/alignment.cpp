#include "alignment.h"

#include <QLocale>

#include <cmath>
#include <complex>

namespace Astrometry {

namespace {

using Complex = std::complex<double>;

// pixel = m * plane + t
struct Affine
{
    double m[2][2] = {{0, 0}, {0, 0}};
    QPointF t;
    QPointF operator()(const QPointF &p) const
    {
        return QPointF(m[0][0] * p.x() + m[0][1] * p.y(), m[1][0] * p.x() + m[1][1] * p.y()) + t;
    }
};

struct Pair
{
    QPointF plane;
    QPointF pixel;
};

struct Matches
{
    std::vector<Pair> pairs;
    int onImage = 0;
    double meanMiss = 0;
};

Matches match(const std::vector<QPointF> &planes, const std::vector<FoundStar> &found, const Affine &map,
              int width, int height)
{
    Matches matches;
    double miss = 0;
    for (const QPointF &plane : planes) {
        const QPointF at = map(plane);
        if (at.x() < -0.5 || at.y() < -0.5 || at.x() > width - 0.5 || at.y() > height - 0.5)
            continue;
        ++matches.onImage;
        const FoundStar *nearest = nullptr;
        double nearestDistance = MatchRadius;
        for (const FoundStar &star : found) {
            const double distance = std::hypot(star.at.x() - at.x(), star.at.y() - at.y());
            if (distance <= nearestDistance) {
                nearest = &star;
                nearestDistance = distance;
            }
        }
        if (nearest) {
            matches.pairs.push_back({plane, nearest->at});
            miss += nearestDistance;
        }
    }
    if (!matches.pairs.empty())
        matches.meanMiss = miss / double(matches.pairs.size());
    return matches;
}

// Least squares over the pairs; none when they lie on a line.
std::optional<Affine> fitAffine(const std::vector<Pair> &pairs)
{
    if (int(pairs.size()) < LeastMatched)
        return std::nullopt;
    // Centred sums keep the normal equations well conditioned.
    QPointF meanPlane, meanPixel;
    for (const Pair &pair : pairs) {
        meanPlane += pair.plane;
        meanPixel += pair.pixel;
    }
    meanPlane /= double(pairs.size());
    meanPixel /= double(pairs.size());
    double sxx = 0, sxy = 0, syy = 0, sux = 0, suy = 0, svx = 0, svy = 0;
    for (const Pair &pair : pairs) {
        const QPointF p = pair.plane - meanPlane, q = pair.pixel - meanPixel;
        sxx += p.x() * p.x();
        sxy += p.x() * p.y();
        syy += p.y() * p.y();
        sux += q.x() * p.x();
        suy += q.x() * p.y();
        svx += q.y() * p.x();
        svy += q.y() * p.y();
    }
    const double det = sxx * syy - sxy * sxy;
    if (!(std::abs(det) > 1e-12 * (sxx * syy)) || !(sxx > 0 && syy > 0))
        return std::nullopt;
    Affine map;
    map.m[0][0] = (sux * syy - suy * sxy) / det;
    map.m[0][1] = (suy * sxx - sux * sxy) / det;
    map.m[1][0] = (svx * syy - svy * sxy) / det;
    map.m[1][1] = (svy * sxx - svx * sxy) / det;
    map.t = meanPixel - (map(meanPlane) - map.t);
    return map;
}

LinearWcs wcsOf(const Sky::Position &centre, const Affine &map)
{
    LinearWcs wcs;
    wcs.centre = centre;
    wcs.reference = map.t;
    const double det = map.m[0][0] * map.m[1][1] - map.m[0][1] * map.m[1][0];
    wcs.cd[0][0] = map.m[1][1] / det;
    wcs.cd[0][1] = -map.m[0][1] / det;
    wcs.cd[1][0] = -map.m[1][0] / det;
    wcs.cd[1][1] = map.m[0][0] / det;
    return wcs;
}

std::vector<QPointF> planesAbout(const Sky::Position &centre, const std::vector<Sky::Position> &sky)
{
    std::vector<QPointF> planes;
    for (const Sky::Position &star : sky) {
        if (const std::optional<QPointF> plane = toPlane(centre, star))
            planes.push_back(*plane);
    }
    return planes;
}

// Matches and refits until the stars matched stay the same.
std::optional<Affine> refine(const std::vector<QPointF> &planes, const AlignInput &input, Matches &matches)
{
    for (int round = 0; round < 5; ++round) {
        const std::optional<Affine> fitted = fitAffine(matches.pairs);
        if (!fitted)
            return std::nullopt;
        const std::size_t before = matches.pairs.size();
        matches = match(planes, input.found, *fitted, input.width, input.height);
        if (matches.pairs.size() == before)
            break;
    }
    return fitAffine(matches.pairs);
}

} // namespace

Alignment alignToSequence(const AlignInput &input)
{
    Alignment result;
    const std::optional<QPointF> second = toPlane(input.first, input.second);
    const Complex fromSky = second ? Complex(second->x(), second->y()) : Complex();
    const QPointF step = input.secondPixel - input.firstPixel;
    if (std::abs(fromSky) < 1e-9 || std::hypot(step.x(), step.y()) < MatchRadius) {
        result.problem = AlignText::SameStar;
        return result;
    }
    const std::vector<QPointF> planes = planesAbout(input.first, input.sequence);
    // Two clicks give a similarity of either parity; the one more stars agree with stays.
    std::optional<Matches> bestMatches;
    for (const double parity : {1.0, -1.0}) {
        const Complex scale = Complex(step.x(), step.y()) / Complex(parity * fromSky.real(), fromSky.imag());
        Affine map;
        map.m[0][0] = parity * scale.real();
        map.m[0][1] = -scale.imag();
        map.m[1][0] = parity * scale.imag();
        map.m[1][1] = scale.real();
        map.t = input.firstPixel;
        const Matches matches = match(planes, input.found, map, input.width, input.height);
        if (!bestMatches || matches.pairs.size() > bestMatches->pairs.size()
            || (matches.pairs.size() == bestMatches->pairs.size() && matches.meanMiss < bestMatches->meanMiss))
            bestMatches = matches;
    }
    Matches kept = *bestMatches;
    std::optional<Affine> fitted = refine(planes, input, kept);
    if (fitted) {
        // Again on the plane touching the sky at the image's centre, where a linear TAN system holds best;
        // moving the plane moves the stars far less than MatchRadius, so the matches carry over.
        const QPointF middle((input.width - 1) / 2.0, (input.height - 1) / 2.0);
        const Sky::Position centre = fromPlane(input.first, pixelToPlane(wcsOf(input.first, *fitted), middle));
        Matches matches = match(planes, input.found, *fitted, input.width, input.height);
        for (Pair &pair : matches.pairs)
            pair.plane = toPlane(centre, fromPlane(input.first, pair.plane)).value_or(QPointF());
        fitted = refine(planesAbout(centre, input.sequence), input, matches);
        if (fitted)
            result.wcs = wcsOf(centre, *fitted);
        kept = matches;
    }
    result.matched = int(kept.pairs.size());
    result.onImage = kept.onImage;
    result.meanMiss = kept.meanMiss;
    if (!result.wcs || result.matched < LeastMatched) {
        result.wcs.reset();
        result.problem = AlignText::TooFew.arg(result.matched);
        return result;
    }
    const double scale = scaleArcsec(*result.wcs);
    if (input.headerScale && std::abs(scale / *input.headerScale - 1) > ScaleTolerance) {
        result.problem = AlignText::OtherScale.arg(QLocale().toString(scale, 'f', 2), QLocale().toString(*input.headerScale, 'f', 2));
        result.wcs.reset();
    }
    return result;
}

} // namespace Astrometry

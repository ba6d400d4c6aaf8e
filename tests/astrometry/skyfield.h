#pragma once
// Generated star fields with a known linear TAN system: stars of a
// catalogue drawn as Gaussians on a noisy sky, some of them left out and
// others drawn that the catalogue lacks.

#include "astrometry/linearwcs.h"
#include "imaging/fitsimage.h"

#include <QtMath>

#include <cmath>
#include <random>
#include <vector>

namespace Astrometry {
// The pixel of a plane position: the CD matrix inverted.
inline QPointF planeToPixel(const LinearWcs &wcs, const QPointF &plane)
{
    const double det = wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0];
    return wcs.reference + QPointF((wcs.cd[1][1] * plane.x() - wcs.cd[0][1] * plane.y()) / det,
                                   (-wcs.cd[1][0] * plane.x() + wcs.cd[0][0] * plane.y()) / det);
}
} // namespace Astrometry

struct FieldPlan
{
    double scale = 1.5;     // ″/pixel
    double rotation = 0;    // degrees, of north from +y towards +x
    bool mirrored = false;  // east to the right
    int width = 640;
    int height = 480;
    int stars = 120;        // in the catalogue, over the image and a margin around it
    int missingEvery = 0;   // every n-th catalogue star is not drawn; 0 for none
    int extra = 0;          // stars drawn that the catalogue lacks
    unsigned seed = 1;
    Sky::Position centre{150.25, 32.5};
};

struct SkyField
{
    Astrometry::LinearWcs truth;
    int width = 0;
    int height = 0;
    std::vector<Sky::Position> catalogue;
    std::vector<double> magnitudes;
    std::vector<bool> drawn; // by catalogue star
    Imaging::FitsImage image;

    QPointF pixelOf(const Sky::Position &sky) const
    {
        return Astrometry::planeToPixel(truth, *Astrometry::toPlane(truth.centre, sky));
    }
};

inline Astrometry::LinearWcs plannedWcs(const FieldPlan &plan)
{
    Astrometry::LinearWcs wcs;
    wcs.centre = plan.centre;
    wcs.reference = QPointF(plan.width * 0.45, plan.height * 0.55);
    const double s = plan.scale / 3600, t = qDegreesToRadians(plan.rotation);
    const double east = plan.mirrored ? 1 : -1;
    wcs.cd[0][0] = east * s * std::cos(t);
    wcs.cd[0][1] = -east * s * std::sin(t);
    wcs.cd[1][0] = s * std::sin(t);
    wcs.cd[1][1] = s * std::cos(t);
    return wcs;
}

inline double shareOf(int pixel, double at, double sigma)
{
    const double s = sigma * std::sqrt(2.0);
    return 0.5 * (std::erf((pixel + 0.5 - at) / s) - std::erf((pixel - 0.5 - at) / s));
}

inline void drawStar(std::vector<float> &pixels, int width, int height, const QPointF &at, double flux)
{
    constexpr double Sigma = 1.3;
    constexpr int Reach = 7;
    for (int y = int(at.y()) - Reach; y <= int(at.y()) + Reach; ++y) {
        for (int x = int(at.x()) - Reach; x <= int(at.x()) + Reach; ++x) {
            if (x >= 0 && y >= 0 && x < width && y < height)
                pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] +=
                    float(flux * shareOf(x, at.x(), Sigma) * shareOf(y, at.y(), Sigma));
        }
    }
}

inline SkyField skyField(const FieldPlan &plan)
{
    SkyField field;
    field.truth = plannedWcs(plan);
    field.width = plan.width;
    field.height = plan.height;
    std::mt19937 random(plan.seed);
    std::uniform_real_distribution<double> along(-0.1, 1.1), magnitude(8, 12.5);
    std::normal_distribution<double> noise(0, 3);
    std::vector<float> pixels(std::size_t(plan.width) * std::size_t(plan.height));
    for (float &pixel : pixels)
        pixel = float(100 + noise(random));
    const auto fluxOf = [](double mag) { return 40000 * std::pow(10.0, -0.4 * (mag - 8)); };
    for (int i = 0; i < plan.stars; ++i) {
        const QPointF at(along(random) * plan.width, along(random) * plan.height);
        const double mag = magnitude(random);
        field.catalogue.push_back(
            Astrometry::fromPlane(field.truth.centre, Astrometry::pixelToPlane(field.truth, at)));
        field.magnitudes.push_back(mag);
        const bool drawn = plan.missingEvery == 0 || i % plan.missingEvery != plan.missingEvery - 1;
        field.drawn.push_back(drawn);
        if (drawn)
            drawStar(pixels, plan.width, plan.height, at, fluxOf(mag));
    }
    for (int i = 0; i < plan.extra; ++i)
        drawStar(pixels, plan.width, plan.height, QPointF(along(random) * plan.width, along(random) * plan.height),
                 fluxOf(magnitude(random)));
    field.image.width = plan.width;
    field.image.height = plan.height;
    field.image.held = QRect(0, 0, plan.width, plan.height);
    field.image.pixels.assign(pixels.cbegin(), pixels.cend());
    return field;
}

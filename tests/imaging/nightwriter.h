#pragma once
// A night of images of one field, written as a camera's software would:
// the telescope drifts a few pixels from one image to the next (round a
// circle, so that a small image holds the whole night), the field turns a
// little, and the variable's light follows a given curve.

#include "fitswriter.h"

#include <QDateTime>
#include <QDir>
#include <QPointF>
#include <QStringList>

#include <array>
#include <cmath>
#include <functional>

struct NightPlan
{
    int width = 160;
    int height = 120;
    int images = 100;
    double step = 3;      // pixels the field moves from one image to the next
    double circle = 15;   // radius of the drift's circle, pixels
    double turn = 0.01;   // degrees the field turns from one image to the next
    double sky = 200;
    double noise = 5;     // ADU, the sky's scatter
    double sigma = 1.2;   // of the stars' Gaussian profile, pixels
    int bitpix = FLOAT_IMG;
    QByteArray saturation = "60000";
    QByteArray filter = "'V'";
    // Variable, C1, C2, C3, check: x, y (0-based) on the first image and flux (ADU).
    std::vector<std::array<double, 3>> stars = {
        {60, 55, 300000}, {100, 40, 250000}, {40, 80, 400000}, {115, 82, 200000}, {85, 75, 220000}};
    std::function<double(int image)> variableFactor = [](int) { return 1.0; };
    int cloudy = -1;    // this image's stars get 5 % of their light
    int saturated = -1; // this image's variable gets three times its light
    QDateTime start = QDateTime(QDate(2024, 3, 14), QTime(21, 0), Qt::UTC);
    int exposure = 60; // seconds; one image every 90 s
    // Whether image `image`'s header carries the field's plate solution.
    std::function<bool(int image)> solved = [](int) { return false; };
    bool airmass = true; // whether the headers carry AIRMASS
    QList<QPair<QByteArray, QByteArray>> cards; // more cards for every header
};

// Where the field puts what lies at `first` on the first image on image `image`.
inline QPointF fieldPoint(const NightPlan &plan, const QPointF &first, int image)
{
    const double angle = plan.step / plan.circle * image; // the drift's way round its circle
    const double turn = plan.turn * image * M_PI / 180;
    const QPointF centre(plan.width / 2.0, plan.height / 2.0);
    const QPointF from = first - centre;
    const QPointF turned(std::cos(turn) * from.x() - std::sin(turn) * from.y(),
                         std::sin(turn) * from.x() + std::cos(turn) * from.y());
    const QPointF drift(plan.circle * (std::cos(angle) - 1), plan.circle * std::sin(angle));
    return centre + turned + drift;
}

// Where the field puts star `star` on image `image`.
inline QPointF starAt(const NightPlan &plan, int star, int image)
{
    return fieldPoint(plan, QPointF(plan.stars[std::size_t(star)][0], plan.stars[std::size_t(star)][1]), image);
}

// Image `image`'s plate solution: 1"/px, north up on the first image, its
// centre at the reference point; the field's drift and turn after that.
inline QList<QPair<QByteArray, QByteArray>> solution(const NightPlan &plan, int image)
{
    const QPointF centre = fieldPoint(plan, QPointF(plan.width / 2.0, plan.height / 2.0), image);
    const double turn = plan.turn * image * M_PI / 180, scale = 1 / 3600.0;
    const auto number = [](double value) { return QByteArray::number(value, 'g', 15); };
    return {{"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"},
            {"CRPIX1", number(centre.x() + 1)}, {"CRPIX2", number(centre.y() + 1)},
            {"CRVAL1", "280.5"}, {"CRVAL2", "36.7"},
            {"CD1_1", number(-scale * std::cos(turn))}, {"CD1_2", number(-scale * std::sin(turn))},
            {"CD2_1", number(-scale * std::sin(turn))}, {"CD2_2", number(scale * std::cos(turn))}};
}

// The pixels of image `image`: sky, seeded noise, and the stars' exact flux per pixel.
inline std::vector<double> nightPixels(const NightPlan &plan, int image)
{
    std::vector<double> values(std::size_t(plan.width) * std::size_t(plan.height));
    quint64 state = 0x9E3779B97F4A7C15ull * quint64(image + 1);
    const auto uniform = [&state] { // xorshift: quick enough for 16 megapixels
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return double(state >> 11) / double(1ull << 53);
    };
    for (double &value : values)
        value = plan.sky + plan.noise * (uniform() + uniform() + uniform() - 1.5) * 2;
    const int reach = int(std::ceil(6 * plan.sigma));
    for (int star = 0; star < int(plan.stars.size()); ++star) {
        double flux = plan.stars[std::size_t(star)][2];
        if (star == 0)
            flux *= plan.variableFactor(image) * (image == plan.saturated ? 3 : 1);
        if (image == plan.cloudy)
            flux *= 0.05;
        const QPointF at = starAt(plan, star, image);
        for (int y = int(at.y()) - reach; y <= int(at.y()) + reach; ++y) {
            for (int x = int(at.x()) - reach; x <= int(at.x()) + reach; ++x) {
                if (x >= 0 && y >= 0 && x < plan.width && y < plan.height)
                    values[std::size_t(y) * std::size_t(plan.width) + std::size_t(x)] +=
                        flux * pixelShare(x, at.x(), plan.sigma) * pixelShare(y, at.y(), plan.sigma);
            }
        }
    }
    return values;
}

// Writes the night into `folder` as night_000.fits, ...; the paths in order.
inline QStringList writeNight(const QString &folder, const NightPlan &plan)
{
    QStringList paths;
    for (int image = 0; image < plan.images; ++image) {
        FitsPlan fits;
        fits.bitpix = plan.bitpix;
        fits.axes = {plan.width, plan.height};
        fits.values = nightPixels(plan, image);
        const QDateTime start = plan.start.addSecs(qint64(image) * (plan.exposure * 3 / 2));
        fits.cards = {{"DATE-OBS", "'" + start.toString(Qt::ISODate).chopped(1).toLatin1() + "'"},
                      {"EXPTIME", QByteArray::number(plan.exposure)},
                      {"FILTER", plan.filter},
                      {"OBJECT", "'RR Lyr'"},
                      {"SATURATE", plan.saturation}};
        if (plan.airmass)
            fits.cards += {{"AIRMASS", QByteArray::number(1.2 + 0.001 * image, 'f', 4)}};
        fits.cards += plan.cards;
        if (plan.solved(image))
            fits.cards += solution(plan, image);
        const QString path = QDir(folder).filePath(QStringLiteral("night_%1.fits").arg(image, 3, 10, QLatin1Char('0')));
        QFile::remove(path); // CFITSIO writes no file over another
        if (!writeFits(path, fits))
            return {};
        paths << path;
    }
    return paths;
}

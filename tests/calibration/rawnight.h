#pragma once
// A night straight from a camera, whose truth is known: a bias with a
// column pattern, dark current growing with the exposure (and one hot
// pixel), a flat vignetted towards the corners with a dust ring, and stars
// of known flux on a flat sky, each frame with its own seeded noise, written
// as 16-bit frames the way cameras write them.

#include "../imaging/fitswriter.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cmath>
#include <random>

struct RawNight
{
    int width = 64;
    int height = 48;
    double noise = 2; // ADU
    double sky = 100;
    double flatLevel = 20000;
    QByteArray filter = "'V'";
    QByteArray binning = "1";
    double temperature = -10;
    // x, y (0-based) and flux, ADU
    std::vector<std::array<double, 3>> stars = {{20, 16, 60000}, {44, 30, 25000}};
    double sigma = 1.4;

    double bias(int x, int) const { return 1000 + 4 * (x % 5); }
    double darkRate(int x, int y) const { return x == 9 && y == 9 ? 40 : 0.25 + 0.002 * y; } // ADU/s
    double flat(int x, int y) const
    {
        const double dx = x - width / 2.0, dy = y - height / 2.0;
        const double corner = (width * width + height * height) / 4.0;
        const double dust = std::fabs(std::hypot(x - 50.0, y - 12.0) - 5) < 1.5 ? 0.8 : 1.0;
        return (1 - 0.3 * (dx * dx + dy * dy) / corner) * dust;
    }
    // What reaches the sensor before the flat dims it.
    double light(int x, int y) const
    {
        double value = sky;
        for (const auto &[sx, sy, flux] : stars)
            value += flux * pixelShare(x, sx, sigma) * pixelShare(y, sy, sigma);
        return value;
    }

    enum class Kind { Bias, Dark, Flat, Light };
    std::vector<double> pixels(Kind kind, double exposure, int seed) const
    {
        std::mt19937 random{std::uint32_t(seed)};
        std::normal_distribution<double> scatter(0, noise);
        std::vector<double> values;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                double value = bias(x, y) + scatter(random);
                if (kind != Kind::Bias)
                    value += darkRate(x, y) * exposure;
                if (kind == Kind::Flat)
                    value += flatLevel * flat(x, y);
                if (kind == Kind::Light)
                    value += light(x, y) * flat(x, y);
                values.push_back(value);
            }
        }
        return values;
    }

    // Writes one frame; its path, or empty when it could not be written.
    QString write(const QString &folder, const QString &name, Kind kind, double exposure, int seed,
                  const QList<QPair<QByteArray, QByteArray>> &more = {}) const
    {
        static const char *const types[] = {"'Bias Frame'", "'Dark Frame'", "'Flat Field'", "'Light Frame'"};
        FitsPlan plan;
        plan.bitpix = SHORT_IMG;
        plan.axes = {width, height};
        plan.values = pixels(kind, exposure, seed);
        plan.cards = {{"BZERO", "32768"},
                      {"IMAGETYP", types[int(kind)]},
                      {"EXPTIME", QByteArray::number(exposure)},
                      {"XBINNING", binning},
                      {"YBINNING", binning},
                      {"CCD-TEMP", QByteArray::number(temperature)},
                      {"DATE-OBS", "'2024-03-14T21:00:00'"},
                      {"OBJECT", "'RR Lyr'"}};
        if (kind == Kind::Flat || kind == Kind::Light)
            plan.cards += {{"FILTER", filter}};
        plan.cards += more;
        const QString path = QDir(folder).filePath(name);
        QFile::remove(path); // CFITSIO writes no file over another
        return writeFits(path, plan) ? path : QString();
    }
};

// Laying a comparison sequence of 200 stars on a 2048 x 1536 image: every
// star placed through the header's coordinates and measured as "Misura su
// immagine" measures a click, the ensemble and the choice of C1-C3. The
// image is made in memory: this is the arithmetic, not the reading.

#include "measurement/sequencefield.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr int Width = 2048, Height = 1536, Stars = 200;
constexpr double Sigma = 1.6, Sky = 1000, ZeroPoint = 25;

QByteArray header()
{
    QByteArray text;
    for (const char *card : {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRPIX1  = 1024.5",
                             "CRPIX2  = 768.5", "CRVAL1  = 249.776791", "CRVAL2  = 9.798694",
                             "CD1_1   = -3.2E-4", "CD1_2   = 2.1E-5", "CD2_1   = 2.1E-5", "CD2_2   = 3.2E-4", "END"})
        text += QByteArray(card).leftJustified(80, ' ');
    return text;
}

struct Scene
{
    Imaging::FitsImage image;
    Aavso::Sequence sequence;
    Imaging::SkyFrame frame;
};

// Stars of V 9 to 15 at random places, the brightest saturated, the
// variable among them; a sky with noise.
Scene scene()
{
    std::optional<Imaging::SkyFrame> frame = Imaging::SkyFrame::read(header(), Width, Height).frame;
    Imaging::FitsImage image;
    image.width = Width;
    image.height = Height;
    image.held = QRect(0, 0, Width, Height);
    image.saturation = 60000;
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0, 10);
    image.pixels.resize(std::size_t(Width) * Height);
    for (float &pixel : image.pixels)
        pixel = float(Sky) + noise(random);
    std::uniform_real_distribution<double> x(30, Width - 30), y(30, Height - 30), magnitude(9, 15);
    Aavso::Sequence sequence;
    const auto addStar = [&](double cx, double cy, double v) {
        const double flux = std::pow(10, -0.4 * (v - ZeroPoint));
        for (int py = int(cy) - 8; py <= int(cy) + 8; ++py)
            for (int px = int(cx) - 8; px <= int(cx) + 8; ++px) {
                const double d2 = (px - cx) * (px - cx) + (py - cy) * (py - cy);
                image.pixels[std::size_t(py) * Width + std::size_t(px)] +=
                    float(flux * std::exp(-d2 / (2 * Sigma * Sigma)) / (2 * M_PI * Sigma * Sigma));
            }
        return *frame->toSky(QPointF(cx, cy));
    };
    for (int i = 0; i < Stars; ++i) {
        const double v = magnitude(random);
        Aavso::SequenceStar star{QString::number(i), QString::number(qRound(v * 10)), addStar(x(random), y(random), v),
                                 i % 20 == 0 ? "VISUAL" : "", {}, {}};
        star.bands["V"] = {v, 0.02};
        star.bands["B"] = {v + 0.6, 0.03};
        sequence.stars.push_back(star);
    }
    sequence.variablePosition = addStar(Width / 2.0 + 0.3, Height / 2.0 - 0.2, 12.2);
    return {std::move(image), std::move(sequence), std::move(*frame)};
}

void placeSequence(benchmark::State &state)
{
    static const Scene field = scene();
    const auto measure = [](double x, double y) {
        return Imaging::measureStar(field.image, x, y, {5, 9, 14}, {1.5, 8});
    };
    for (auto _ : state) {
        const Measurement::SequenceField placed =
            Measurement::placeSequence(field.sequence, QStringLiteral("V"), field.frame, Width, Height, measure);
        if (!placed.chosen[0])
            state.SkipWithError("no comparison star was chosen");
        benchmark::DoNotOptimize(placed);
    }
}

} // namespace

BENCHMARK(placeSequence)->Unit(benchmark::kMillisecond);

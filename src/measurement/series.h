#pragma once
// A night's series of images measured with the stars placed on one of them:
// each image is read, its field followed from the previous image (or, when
// the stars' places on the sky are known and the image's header has a
// WCS, taken from that) and every placed star measured as a single image's are; an image of another size
// or filter than the series' first is skipped. Two threads read and
// measure; the field is followed image after image, in the files' order, so
// each thread passes over its image for the saturation level, then waits
// for its turn to read the pixels around the stars. No image is kept once
// measured: memory does not grow with the night.

#include "core/skyposition.h"
#include "imaging/fieldtracker.h"
#include "measurement/imagepipeline.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace Measurement {

using Imaging::Aperture;
using Imaging::Detector;
using Imaging::ImageHeader;
using Imaging::Measurements;
using Imaging::Positions;
using Imaging::RoleCount;

namespace SeriesProblem {
// %1: the comparison stars' counts against the first image's, in percent.
inline const char *const Clouds = "Cielo velato: le stelle di confronto danno il %1 % dei conteggi "
                                  "dell'immagine su cui sono state indicate.";
// %1 x %2: the image's size; %3 x %4: the series' first image's.
inline const char *const OtherSize = "Dimensioni diverse dalla serie: l'immagine è di %1×%2 pixel, "
                                     "la prima della serie di %3×%4.";
// %1: the image's filter; %2: the series' first image's.
inline const char *const OtherFilter = "Filtro diverso dalla serie: %1 invece di %2.";
// Stands for the filter of an image whose header names none.
inline const char *const NoFilter = "nessun filtro";
} // namespace SeriesProblem

// Below this share of the placed image's comparison counts an image is
// under a cloud, and its magnitudes would be mostly noise.
constexpr double LeastTransparency = 0.25;

constexpr int SeriesThreads = 2;

struct SeriesTemplate
{
    Positions positions; // on the image the stars were placed on
    Aperture aperture;
    Detector detector;
    double comparisonNet = 0; // C1 + C2 + C3 net counts there
    // Where the placed stars lie on the sky, by Role: empty unless that
    // image had a WCS; then every placed star has one.
    std::array<std::optional<Sky::Position>, RoleCount> sky;
};

struct SeriesImage
{
    QString path;
    QString problem; // why it is skipped; empty when measured
    ImageHeader header;
    Measurements stars;
};

// Told after each image; false stops the measuring.
using SeriesProgress = std::function<bool(int measured, int total)>;

// The images measured, in the files' order; when stopped, those measured
// until then. Each image is opened as the measuring window opens one, with
// `pixelStep`. `progress` is called from the measuring threads.
std::vector<SeriesImage> measureSeries(const QStringList &paths, const SeriesTemplate &placed,
                                       const SeriesProgress &progress, const PixelStep &pixelStep = {});

// Why the measured stars do not give the image's magnitudes; empty when they do.
QString seriesProblem(const Measurements &stars, double comparisonNet);

} // namespace Measurement

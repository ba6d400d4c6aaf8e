#pragma once
// Aperture photometry of one star on a FitsImage, in its coordinates
// (pixel (x, y) is the unit square centred on (x, y), from 0).
//
// Find: from a click, the sky-subtracted pixels (negatives as 0) of a box
// of half-size `radius` weigh the centre, again around each new centre, at
// most 10 times, until it moves less than 0.01 px; no pixel of the box 5
// sigma above the sky around the click means no star. FWHM = 2.3548 sigma,
// sigma^2 the mean of the x and y second moments in the last box.
// Measure: each pixel weighs the exact area it shares with the circle; the
// sky per pixel is the clipped median of the pixels whose centres lie in
// r_in < d <= r_out; net N = sum - sky * pi r^2; its error is the CCD
// equation's. A star whose aperture, annulus or box leaves the image or
// meets an invalid pixel is refused.

#include "imaging/fitsimage.h"

#include <vector>

namespace Imaging {

struct Aperture
{
    double radius = 0;      // r > 0
    double innerRadius = 0; // of the sky annulus, r_in >= r
    double outerRadius = 0; // r_out > r_in
};

struct Detector
{
    double gain = 1;      // e-/ADU
    double readNoise = 0; // e-
};

// Unconfirmed: found, but not where the other stars of the field put it.
enum class Refusal { None, NoStar, Border, InvalidPixels, Unconfirmed };

namespace MeasureProblem {
inline const char *const NoStar = "Nessuna stella vicino al punto";
inline const char *const Border = "La stella è troppo vicina al bordo dell'immagine";
inline const char *const InvalidPixels = "L'apertura o l'anello del cielo toccano pixel non validi";
inline const char *const Unconfirmed = "La stella trovata non è dove le altre stelle del campo la pongono: "
                                       "potrebbe essere un'altra stella";
} // namespace MeasureProblem

// The text a refusal shows; empty for None.
QString refusalText(Refusal refusal);

// The area the pixel (px, py) shares with the circle of radius r around
// (cx, cy), exactly.
double overlapArea(double cx, double cy, double r, int px, int py);

struct SkyLevel
{
    double level = 0; // median of the values kept
    double sigma = 0; // their standard deviation (divided by their count)
    int kept = 0;
};

// Drops the values more than 3 sigma from the median, again on those left,
// until none goes or 10 times; empty values give NaN.
SkyLevel clippedSky(std::vector<double> values);

// The net counts' error in ADU: sqrt(G N + A (1 + A/B) (G S + R^2)) / G for
// area A, B sky pixels, sky S per pixel; NaN where the root has none.
double netCountError(double net, double sky, double area, int skyPixels, const Detector &detector);

struct StarPosition
{
    Refusal refusal = Refusal::None;
    double x = 0;
    double y = 0;
    double fwhm = 0;
};

StarPosition findStar(const FitsImage &image, double x, double y, const Aperture &aperture);

struct StarMeasurement
{
    Refusal refusal = Refusal::None;
    double x = 0; // the aperture's centre
    double y = 0;
    double fwhm = 0; // from findStar; 0 when measured where told
    SkyLevel sky;
    double net = 0;            // N
    double error = 0;          // sigma_N, ADU
    double magnitudeError = 0; // 1.0857 sigma_N / N
    double signalToNoise = 0;  // N / sigma_N
    double peak = 0;           // largest pixel the aperture touches
    bool saturated = false;    // peak >= the image's saturation level
};

// The aperture and annulus around (x, y) as given.
StarMeasurement measureAt(const FitsImage &image, double x, double y, const Aperture &aperture,
                          const Detector &detector);

// findStar from the click, then measureAt the star's centre.
StarMeasurement measureStar(const FitsImage &image, double x, double y, const Aperture &aperture,
                            const Detector &detector);

// How far from the click, in x or in y, measureStar may read a pixel.
int measureReach(const Aperture &aperture);

} // namespace Imaging

#pragma once
// The 8-bit grey picture of a FitsImage: black at the 0.5th percentile of
// the valid pixels, white at the 99.8th, and an asinh curve between, which
// lifts the faint stars without burning the bright ones. Invalid pixels are
// black. Rows in the image's order (row 0 is FITS row 1, the bottom one).

#include "imaging/fitsimage.h"

#include <QtGlobal>

#include <cstddef>

namespace Imaging {

constexpr double StretchLow = 0.005;
constexpr double StretchHigh = 0.998;
// The picture's curve: the level from black to white in StretchLevels steps,
// its grey 255 asinh(StretchSoftening t) / asinh(StretchSoftening) at the
// step's share t; the faint tenth gets about half the greys.
constexpr int StretchLevels = 4096;
constexpr double StretchSoftening = 10;

struct StretchLimits
{
    double black = 0;
    double white = 0;
};

// The two percentiles, from at most about 2^18 pixels taken evenly.
StretchLimits stretchLimits(const FitsImage &image);

// Writes every byte of the picture, the image's row y at firstRow + y *
// rowStep: a negative step draws it top row first, as a screen does.
void drawPicture(const FitsImage &image, const StretchLimits &limits, quint8 *firstRow, std::ptrdiff_t rowStep);

} // namespace Imaging

#pragma once
// The stars of a whole image, for matching it to the sky: every local
// maximum that stands 5 sigma above the sky, centred on its own light,
// brightest first.

#include "imaging/fitsimage.h"

#include <QPointF>

#include <vector>

namespace Astrometry {

struct FoundStar
{
    QPointF at; // this program's frame
    double flux = 0; // sky-subtracted sum around the peak, ADU
};

// The engine and the alignment need no more than this.
constexpr int MostStars = 300;

std::vector<FoundStar> findStars(const Imaging::FitsImage &image, int most = MostStars);

} // namespace Astrometry

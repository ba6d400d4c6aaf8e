#pragma once
// A linear gnomonic (TAN) system as FITS writes it, and the cards that
// carry it: the alignment's result, read back through Imaging::SkyFrame like
// any header's, and saved into a copy of the image.

#include "core/skyposition.h"

#include <QByteArray>
#include <QPointF>

#include <optional>

namespace Astrometry {

// Standard coordinates of `sky` on the plane touching the sky at `centre`,
// degrees, xi towards the east; none on the far hemisphere.
std::optional<QPointF> toPlane(const Sky::Position &centre, const Sky::Position &sky);
Sky::Position fromPlane(const Sky::Position &centre, const QPointF &plane);

struct LinearWcs
{
    Sky::Position centre; // CRVAL
    QPointF reference;    // CRPIX, in this program's frame
    double cd[2][2] = {{0, 0}, {0, 0}}; // degrees per pixel
};

// The plane position of a pixel.
QPointF pixelToPlane(const LinearWcs &wcs, const QPointF &pixel);

double scaleArcsec(const LinearWcs &wcs); // the mean pixel side, ″
double rotationDegrees(const LinearWcs &wcs); // of north from the image's +y towards +x, in [0, 360)

// CTYPE, CRVAL, CRPIX, CD, RADESYS and EQUINOX, 80 characters each.
QByteArray wcsCards(const LinearWcs &wcs);

} // namespace Astrometry

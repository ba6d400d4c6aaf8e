#include "linearwcs.h"

#include "imaging/fitsimage.h"

#include <QtMath>

#include <cmath>

namespace Astrometry {

std::optional<QPointF> toPlane(const Sky::Position &centre, const Sky::Position &sky)
{
    const double a = qDegreesToRadians(sky.ra - centre.ra);
    const double d = qDegreesToRadians(sky.dec), d0 = qDegreesToRadians(centre.dec);
    const double cosc = std::sin(d0) * std::sin(d) + std::cos(d0) * std::cos(d) * std::cos(a);
    if (!(cosc > 0))
        return std::nullopt;
    const double xi = std::cos(d) * std::sin(a) / cosc;
    const double eta = (std::cos(d0) * std::sin(d) - std::sin(d0) * std::cos(d) * std::cos(a)) / cosc;
    return QPointF(qRadiansToDegrees(xi), qRadiansToDegrees(eta));
}

Sky::Position fromPlane(const Sky::Position &centre, const QPointF &plane)
{
    const double xi = qDegreesToRadians(plane.x()), eta = qDegreesToRadians(plane.y());
    const double d0 = qDegreesToRadians(centre.dec);
    const double denominator = std::cos(d0) - eta * std::sin(d0);
    const double a = std::atan2(xi, denominator);
    const double d = std::atan2(std::sin(d0) + eta * std::cos(d0), std::hypot(xi, denominator));
    double ra = std::fmod(centre.ra + qRadiansToDegrees(a) + 360.0, 360.0);
    if (ra >= 360)
        ra = 0;
    return {ra, qRadiansToDegrees(d)};
}

QPointF pixelToPlane(const LinearWcs &wcs, const QPointF &pixel)
{
    const QPointF d = pixel - wcs.reference;
    return {wcs.cd[0][0] * d.x() + wcs.cd[0][1] * d.y(), wcs.cd[1][0] * d.x() + wcs.cd[1][1] * d.y()};
}

double scaleArcsec(const LinearWcs &wcs)
{
    return std::sqrt(std::abs(wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0])) * 3600;
}

double rotationDegrees(const LinearWcs &wcs)
{
    // North is where eta grows fastest: the CD matrix's second row, in pixels.
    const double angle = std::fmod(qRadiansToDegrees(std::atan2(wcs.cd[1][0], wcs.cd[1][1])) + 360.0, 360.0);
    return angle >= 360 ? 0 : angle;
}

namespace {

QByteArray card(const char *key, const QByteArray &value)
{
    return QByteArray(key).leftJustified(8, ' ') + "= " + value.rightJustified(20, ' ');
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'E', 14);
}

} // namespace

QByteArray wcsCards(const LinearWcs &wcs)
{
    const QByteArray lines[] = {
        card("CTYPE1", "'RA---TAN'"),
        card("CTYPE2", "'DEC--TAN'"),
        card("CRVAL1", number(wcs.centre.ra)),
        card("CRVAL2", number(wcs.centre.dec)),
        card("CRPIX1", number(Imaging::toFits(wcs.reference.x()))),
        card("CRPIX2", number(Imaging::toFits(wcs.reference.y()))),
        card("CD1_1", number(wcs.cd[0][0])),
        card("CD1_2", number(wcs.cd[0][1])),
        card("CD2_1", number(wcs.cd[1][0])),
        card("CD2_2", number(wcs.cd[1][1])),
        card("RADESYS", "'ICRS'"),
        card("EQUINOX", number(2000)),
    };
    QByteArray cards;
    for (const QByteArray &line : lines)
        cards += line.leftJustified(80, ' ');
    return cards;
}

} // namespace Astrometry

#include "skycoordinates.h"

#include "imaging/fitsimage.h"

#include <dis.h>
#include <lin.h>
#include <wcs.h>
#include <wcsfix.h>
#include <wcshdr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace Imaging {

namespace {

constexpr int FitsCardLength = 80;

// WCSLIB reads A_p_q and the other SIP keys as a distortion whatever the
// axes' types say; they apply only where CTYPE ends in "-SIP".
void dropStraySip(wcsprm &wcs)
{
    const disprm *prior = wcs.lin.dispre;
    if (!prior || std::strcmp(prior->dtype[0], "SIP") != 0)
        return;
    for (int axis = 0; axis < std::min(wcs.naxis, 2); ++axis)
        if (QByteArray(wcs.ctype[axis]).trimmed().endsWith("-SIP"))
            return;
    lindist(1, &wcs.lin, nullptr, 0);
}

// A celestial system with a scale: without a CD or PC matrix, CDELT at
// WCSLIB's default of 1 on both axes means the header gave none (no plate
// solution has one degree per pixel), as in headers that only say where
// the telescope pointed.
bool usable(wcsprm &wcs)
{
    dropStraySip(wcs);
    int fixes[NWCSFIX];
    wcsfix(0, nullptr, &wcs, fixes); // a fix that does not apply leaves the system as it was
    if (wcsset(&wcs) != 0 || wcs.naxis < 2 || wcs.lng < 0 || wcs.lat < 0 || wcs.lng > 1 || wcs.lat > 1)
        return false;
    const bool matrix = wcs.altlin & 3; // PCi_j or CDi_j
    return matrix || wcs.cdelt[0] != 1 || wcs.cdelt[1] != 1;
}

} // namespace

std::optional<SkyFrame> SkyFrame::fromHeader(const QByteArray &cards)
{
    QByteArray header = cards; // wcspih takes the text as writable
    int rejected = 0, count = 0;
    wcsprm *all = nullptr;
    if (wcspih(header.data(), int(header.size() / FitsCardLength), WCSHDR_all, 0, &rejected, &count, &all) != 0)
        return std::nullopt;
    // The primary system first, then the alternates ("A" to "Z") in turn.
    wcsprm *used = nullptr;
    for (int pass = 0; pass < 2 && !used; ++pass)
        for (int i = 0; i < count && !used; ++i)
            if ((all[i].alt[0] == ' ') == (pass == 0) && usable(all[i]))
                used = &all[i];
    if (!used) {
        wcsvfree(&count, &all);
        return std::nullopt;
    }
    return SkyFrame(all, count, used);
}

SkyFrame::SkyFrame(wcsprm *all, int count, wcsprm *used) : m_all(all), m_count(count), m_used(used) {}

SkyFrame::~SkyFrame()
{
    if (m_all)
        wcsvfree(&m_count, &m_all);
}

SkyFrame::SkyFrame(SkyFrame &&other) noexcept
    : m_all(std::exchange(other.m_all, nullptr)), m_count(std::exchange(other.m_count, 0)),
      m_used(std::exchange(other.m_used, nullptr))
{
}

SkyFrame &SkyFrame::operator=(SkyFrame &&other) noexcept
{
    std::swap(m_all, other.m_all);
    std::swap(m_count, other.m_count);
    std::swap(m_used, other.m_used);
    return *this;
}

std::optional<Sky::Position> SkyFrame::toSky(const QPointF &pixel) const
{
    const int axes = m_used->naxis;
    const auto size = std::size_t(axes);
    // Axes beyond the image's two (a colour cube's plane) at their first pixel.
    std::vector<double> pixels(size, 1.0), image(size), world(size);
    pixels[0] = toFits(pixel.x());
    pixels[1] = toFits(pixel.y());
    double phi = 0, theta = 0;
    int status = 0;
    if (wcsp2s(m_used, 1, axes, pixels.data(), image.data(), &phi, &theta, world.data(), &status) != 0)
        return std::nullopt;
    const double ra = std::fmod(world[std::size_t(m_used->lng)] + 360, 360);
    return Sky::Position{ra == 360 ? 0 : ra, world[std::size_t(m_used->lat)]};
}

std::optional<QPointF> SkyFrame::toPixel(const Sky::Position &sky) const
{
    const int axes = m_used->naxis;
    const auto size = std::size_t(axes);
    std::vector<double> world(m_used->crval, m_used->crval + axes), image(size), pixels(size);
    world[std::size_t(m_used->lng)] = sky.ra;
    world[std::size_t(m_used->lat)] = sky.dec;
    double phi = 0, theta = 0;
    int status = 0;
    if (wcss2p(m_used, 1, axes, world.data(), &phi, &theta, image.data(), pixels.data(), &status) != 0)
        return std::nullopt;
    return QPointF(fromFits(pixels[0]), fromFits(pixels[1]));
}

} // namespace Imaging

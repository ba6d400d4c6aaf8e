#pragma once
// The sky an image shows, as its header's world coordinate system says:
// WCSLIB reads every form plate solvers write (a CD matrix, PC with CDELT,
// CDELT with CROTA2, TAN, and TAN-SIP with its inverse terms), so no
// projection is worked out here. Positions on the image are in this
// program's frame (fitsimage.h: pixel (0, 0) is FITS pixel (1, 1)); on the
// sky, right ascension and declination in degrees.

#include "core/skyposition.h"

#include <QByteArray>
#include <QPointF>

#include <optional>

struct wcsprm;

namespace Imaging {

class SkyFrame
{
public:
    // `cards`: the whole header, one 80-character card after the other (as
    // CFITSIO's fits_hdr2str gives it). Absent when it holds no celestial
    // coordinate system WCSLIB can use, or one without a scale.
    static std::optional<SkyFrame> fromHeader(const QByteArray &cards);

    ~SkyFrame();
    SkyFrame(SkyFrame &&other) noexcept;
    SkyFrame &operator=(SkyFrame &&other) noexcept;
    SkyFrame(const SkyFrame &) = delete;
    SkyFrame &operator=(const SkyFrame &) = delete;

    // Absent where the projection has no answer. A frame serves one thread
    // at a time: WCSLIB works in scratch memory of its own.
    std::optional<Sky::Position> toSky(const QPointF &pixel) const;
    std::optional<QPointF> toPixel(const Sky::Position &sky) const;

private:
    SkyFrame(wcsprm *all, int count, wcsprm *used);

    wcsprm *m_all = nullptr; // every system wcspih read, freed together
    int m_count = 0;
    wcsprm *m_used = nullptr; // the celestial one among them
};

} // namespace Imaging

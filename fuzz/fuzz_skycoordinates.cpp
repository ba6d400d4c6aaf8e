// The sky coordinates of a header of any bytes, as 80-character cards: no
// crash, no hang, and either a frame, with no problem, whose corners come
// back from the sky to themselves, or none.

#include "imaging/skycoordinates.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int Width = 640, Height = 480;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray cards(reinterpret_cast<const char *>(data), qsizetype(size));
    const Imaging::SkyFrameRead read = Imaging::SkyFrame::read(cards, Width, Height);
    if (!read.frame)
        return 0;
    if (!read.problem.isEmpty())
        fail("a frame with a problem");
    for (const QPointF corner : {QPointF(0, 0), QPointF(Width - 1, Height - 1)}) {
        const std::optional<Sky::Position> sky = read.frame->toSky(corner);
        if (!sky || !(sky->ra >= 0 && sky->ra < 360) || !(std::abs(sky->dec) <= 90))
            fail("a corner off the sky");
        const std::optional<QPointF> back = read.frame->toPixel(*sky);
        if (!back || !(std::hypot(back->x() - corner.x(), back->y() - corner.y()) <= 0.01))
            fail("a corner that does not come back");
    }
    return 0;
}

// The FITS loader on a file of any bytes, then the display picture and one
// star measured in the middle: no crash, and either an image whose pixels
// match its size or one refusal naming the file. Read in parts, as a series
// reads, the image gives the same saturation level and pixels.

#include "imaging/aperture.h"
#include "imaging/fitsimage.h"
#include "imaging/stretch.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Imaging::setFitsHelperFolders({QStringLiteral(VEVURID_HELPER_FOLDER)});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Tile-compressed images come in too. The helper program moves to their
    // header first and decompresses their tiles (Debian 12's CFITSIO crashes
    // on some damaged ones), so the fuzzer sees how the loader takes the
    // helper's end, not the helper's crash itself.
    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("frame.fits"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    // A few bytes may claim a gigapixel; a smaller limit keeps each run fast.
    const Imaging::FitsLoad load = Imaging::loadFits(path, qint64(1) << 20);
    if (!load.image) {
        if (!load.problem.contains(QLatin1String("\"frame.fits\"")))
            fail("a refusal that does not name the file");
        return 0;
    }
    const Imaging::FitsImage &image = *load.image;
    if (image.width <= 0 || image.height <= 0
        || image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        fail("pixels that do not match the image's size");
    constexpr quint8 Beyond = 0xAB;
    std::vector<quint8> picture(image.pixels.size() + 1, Beyond);
    Imaging::drawPicture(image, Imaging::stretchLimits(image), picture.data(), image.width);
    if (picture.back() != Beyond)
        fail("a display picture beyond the image's size");
    Imaging::measureStar(image, image.width / 2.0, image.height / 2.0, {2, 3, 5}, {1.5, 8});

    Imaging::PartialFits partial(path, qint64(1) << 20);
    const QRect part(image.width / 4, image.height / 4, image.width / 2 + 1, image.height / 2 + 1);
    const Imaging::FitsLoad inPart = partial.read(part);
    if (!inPart.image)
        fail("an image read whole but refused in parts");
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    if (!same(inPart.image->saturation, image.saturation))
        fail("another saturation level in parts");
    for (int y = part.top(); y <= part.bottom() && y < image.height; ++y) {
        for (int x = part.left(); x <= part.right() && x < image.width; ++x) {
            if (!same(inPart.image->at(x, y), image.at(x, y)))
                fail("another pixel in parts");
        }
    }
    return 0;
}

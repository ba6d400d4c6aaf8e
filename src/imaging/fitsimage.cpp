#include "fitsimage.h"

#include "files/textfile.h"

#include <QFile>
#include <QFileInfo>

#include <fitsio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Imaging {

namespace {

constexpr float Invalid = std::numeric_limits<float>::quiet_NaN();

// Closes the file, and forgets CFITSIO's messages, on every way out.
struct OpenFits
{
    fitsfile *file = nullptr;
    OpenFits() = default;
    OpenFits(const OpenFits &) = delete;
    OpenFits &operator=(const OpenFits &) = delete;
    ~OpenFits()
    {
        int status = 0;
        if (file)
            fits_close_file(file, &status);
        fits_clear_errmsg();
    }
};

FitsLoad refused(const char *problem, const QString &path)
{
    return {std::nullopt, QString::fromUtf8(problem).arg(QFileInfo(path).fileName())};
}

FitsLoad tooLarge(const QString &path, qint64 maxPixels)
{
    FitsLoad load = refused(LoadProblem::TooLarge, path);
    load.problem = load.problem.arg(maxPixels);
    return load;
}

// A compressed image is read tile by tile, each tile whole (by default one
// row): its size in the header decides what CFITSIO allocates.
qint64 tilePixels(const HeaderKeys &keys)
{
    const int axes = int(parseHeaderNumber(keys.value(QStringLiteral("ZNAXIS"))).value_or(0));
    qint64 pixels = 1;
    for (int k = 1; k <= axes && k < 1000; ++k) {
        const QString n = QString::number(k);
        const std::optional<double> tile = parseHeaderNumber(keys.value(QStringLiteral("ZTILE") + n));
        const double side = tile ? *tile : k == 1 ? parseHeaderNumber(keys.value(QStringLiteral("ZNAXIS1"))).value_or(1) : 1;
        if (!(side >= 1 && side <= double(MaxPixels)))
            return MaxPixels + 1;
        pixels = std::min<qint64>(pixels * qint64(side), MaxPixels + 1);
    }
    return pixels;
}

bool endedEarly(int status) { return status == END_OF_FILE || status == READ_ERROR; }

QString unquoted(const char *value)
{
    QString text = QString::fromLatin1(value).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('\'')) && text.endsWith(QLatin1Char('\'')))
        text = text.mid(1, text.size() - 2).replace(QLatin1String("''"), QLatin1String("'")).trimmed();
    return text;
}

// Every key of the current header; where a key repeats, its first value.
HeaderKeys readKeys(fitsfile *file)
{
    HeaderKeys keys;
    int count = 0;
    int status = 0;
    fits_get_hdrspace(file, &count, nullptr, &status);
    for (int n = 1; n <= count && status == 0; ++n) {
        char name[FLEN_KEYWORD];
        char value[FLEN_VALUE];
        if (fits_read_keyn(file, n, name, value, nullptr, &status) == 0 && !keys.contains(QLatin1String(name)))
            keys.insert(QString::fromLatin1(name), unquoted(value));
    }
    return keys;
}

// The largest value the file's pixel type holds, after BZERO and BSCALE.
double typeMaximum(int bitpix, const HeaderKeys &keys)
{
    double low = 0;
    double high = 0;
    switch (bitpix) {
    case BYTE_IMG: high = 255; break;
    case SHORT_IMG: low = INT16_MIN; high = INT16_MAX; break;
    case LONG_IMG: low = INT32_MIN; high = INT32_MAX; break;
    case LONGLONG_IMG: low = double(INT64_MIN); high = double(INT64_MAX); break;
    default: return std::numeric_limits<double>::infinity();
    }
    const double zero = parseHeaderNumber(keys.value(QStringLiteral("BZERO"))).value_or(0);
    const double scale = parseHeaderNumber(keys.value(QStringLiteral("BSCALE"))).value_or(1);
    return std::max(zero + scale * low, zero + scale * high);
}

// Registration leaves exact zeros where no exposed pixel landed: every zero
// joined to the image's edge through other zeros is no sky.
void invalidateZeroBorder(std::vector<float> &pixels, int width, int height)
{
    std::vector<quint32> pending;
    const auto visit = [&](quint32 i) {
        if (pixels[i] == 0.0f) {
            pixels[i] = Invalid;
            pending.push_back(i);
        }
    };
    const quint32 w = quint32(width);
    const quint32 last = quint32(height - 1) * w;
    for (quint32 x = 0; x < w; ++x) {
        visit(x);
        visit(last + x);
    }
    for (quint32 row = 0; row <= last; row += w) {
        visit(row);
        visit(row + w - 1);
    }
    while (!pending.empty()) {
        const quint32 i = pending.back();
        pending.pop_back();
        const quint32 x = i % w;
        if (x > 0)
            visit(i - 1);
        if (x + 1 < w)
            visit(i + 1);
        if (i >= w)
            visit(i - w);
        if (i < last)
            visit(i + w);
    }
}

// Reads the first plane's pixels with TFLOAT, which applies BZERO and BSCALE
// and gives BLANK and NaN pixels as NaN.
int readPixels(fitsfile *file, std::vector<LONGLONG> &first, float *pixels, LONGLONG count)
{
    int status = 0;
    float blank = Invalid;
    int anyBlank = 0;
    fits_read_pixll(file, TFLOAT, first.data(), count, &blank, pixels, &anyBlank, &status);
    return status;
}

// Debian's CFITSIO reads past its buffers on some damaged compressed tiles:
// such an image is decompressed by a child process into memory shared with
// it, so a damaged file can end the child but never the program.
bool readCompressedApart(fitsfile *file, std::vector<LONGLONG> &first, std::vector<float> &pixels)
{
    const size_t bytes = pixels.size() * sizeof(float);
    void *shared = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return false;
    const pid_t child = fork();
    if (child == 0)
        _exit(readPixels(file, first, static_cast<float *>(shared), LONGLONG(pixels.size())) == 0 ? 0 : 1);
    int outcome = 0;
    pid_t waited = -1;
    if (child > 0) {
        do
            waited = waitpid(child, &outcome, 0);
        while (waited < 0 && errno == EINTR);
    }
    const bool read = waited == child && WIFEXITED(outcome) && WEXITSTATUS(outcome) == 0;
    if (read)
        std::memcpy(pixels.data(), shared, bytes);
    munmap(shared, bytes);
    return read;
}

double plateauOrTypeMaximum(const std::vector<float> &pixels, double typeMax)
{
    float largest = -std::numeric_limits<float>::infinity();
    int count = 0;
    for (const float v : pixels) {
        if (v > largest) {
            largest = v;
            count = 1;
        } else if (v == largest) {
            ++count;
        }
    }
    return count >= 3 ? double(largest) : typeMax;
}

} // namespace

FitsLoad loadFits(const QString &path, qint64 maxPixels)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refused(LoadProblem::Missing, path);
    if (info.isDir())
        return refused(LoadProblem::Folder, path);
    if (!info.isFile())
        return refused(LoadProblem::NotRegular, path);
    QFile checked;
    if (!Files::openRegularFile(checked, path))
        return refused(LoadProblem::Unreadable, path);
    if (!checked.peek(6).startsWith("SIMPLE"))
        return refused(LoadProblem::NotFits, path);

    // CFITSIO opens by name. The descriptor's own name is the very file just
    // checked, whatever happens to `path` meanwhile, and holds no syntax.
    const QByteArray name = "/proc/self/fd/" + QByteArray::number(checked.handle());
    OpenFits fits;
    int status = 0;
    if (fits_open_diskfile(&fits.file, name.constData(), READONLY, &status) != 0)
        return refused(endedEarly(status) ? LoadProblem::Truncated : LoadProblem::NotFits, path);

    std::vector<LONGLONG> axes;
    for (int hdu = 1; axes.empty(); ++hdu) {
        int type = 0;
        int dimensions = 0;
        if (fits_movabs_hdu(fits.file, hdu, &type, &status) != 0)
            return refused(hdu > 1 && status == END_OF_FILE ? LoadProblem::NoImage : LoadProblem::NotFits, path);
        if (type != IMAGE_HDU || fits_get_img_dim(fits.file, &dimensions, &status) != 0 || dimensions == 0)
            continue;
        axes.resize(std::size_t(dimensions));
        if (fits_get_img_sizell(fits.file, dimensions, axes.data(), &status) != 0)
            return refused(LoadProblem::NotFits, path);
        if (std::any_of(axes.cbegin(), axes.cend(), [](LONGLONG n) { return n <= 0; }))
            axes.clear();
    }
    const LONGLONG height = axes.size() > 1 ? axes[1] : 1;
    if (axes[0] > maxPixels || height > maxPixels || axes[0] * height > maxPixels)
        return tooLarge(path, maxPixels);
    const HeaderKeys keys = readKeys(fits.file);
    int bitpix = 0;
    fits_get_img_type(fits.file, &bitpix, &status);
    const bool compressed = fits_is_compressed_image(fits.file, &status);
    if (compressed) {
        if (tilePixels(keys) > maxPixels)
            return tooLarge(path, maxPixels);
    } else {
        LONGLONG dataStart = 0;
        fits_get_hduaddrll(fits.file, nullptr, &dataStart, nullptr, &status);
        if (dataStart + axes[0] * height * std::abs(bitpix) / 8 > checked.size())
            return refused(LoadProblem::Truncated, path);
    }

    FitsImage image;
    image.width = int(axes[0]);
    image.height = int(height);
    for (std::size_t k = 2; k < axes.size(); ++k)
        image.firstPlaneOnly = image.firstPlaneOnly || axes[k] > 1;
    image.header = readHeader(keys);

    image.pixels.resize(std::size_t(axes[0] * height));
    std::vector<LONGLONG> first(axes.size(), 1);
    if (compressed) {
        if (!readCompressedApart(fits.file, first, image.pixels))
            return refused(LoadProblem::Damaged, path);
    } else if (const int problem = readPixels(fits.file, first, image.pixels.data(), LONGLONG(image.pixels.size()))) {
        return refused(endedEarly(problem) ? LoadProblem::Truncated : LoadProblem::NotFits, path);
    }

    for (float &v : image.pixels) {
        if (std::isinf(v))
            v = Invalid;
    }
    invalidateZeroBorder(image.pixels, image.width, image.height);
    image.saturation = image.header.saturation ? *image.header.saturation
                                               : plateauOrTypeMaximum(image.pixels, typeMaximum(bitpix, keys));
    return {std::move(image), QString()};
}

} // namespace Imaging

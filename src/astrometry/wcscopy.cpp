#include "wcscopy.h"

#include "files/textfile.h"
#include "imaging/fitsimage.h"

#include <QFileInfo>
#include <QSaveFile>

#include <fitsio.h>

#include <cstdlib>
#include <memory>

namespace Astrometry {

namespace {

// CFITSIO's memory files grow through realloc: the buffer is freed with free().
struct Memory
{
    void *data = nullptr;
    size_t size = 0;
    ~Memory() { std::free(data); }
};

// The first header whose image holds pixels, as the loader reads it; 0 for none.
int imageHeader(fitsfile *file)
{
    int count = 0, status = 0;
    fits_get_num_hdus(file, &count, &status);
    for (int number = 1; number <= count && status == 0; ++number) {
        int type = 0, axes = 0;
        fits_movabs_hdu(file, number, &type, &status);
        if (status == 0 && (type == IMAGE_HDU || fits_is_compressed_image(file, &status)))
            fits_get_img_dim(file, &axes, &status);
        if (status == 0 && axes >= 2)
            return number;
    }
    return 0;
}

} // namespace

QString saveWithWcs(const QString &source, const QString &target, const QByteArray &cards)
{
    const QString sourceName = QFileInfo(source).fileName();
    QByteArray bytes;
    // Read whole: CFITSIO never sees the name, which its own syntax could misread.
    if (Files::readWhole(source, Imaging::MaxPixels * 8, bytes) != Files::ReadRefusal::None)
        return CopyText::Unreadable.arg(sourceName);
    int status = 0;
    fitsfile *in = nullptr;
    void *inData = bytes.data();
    size_t inSize = size_t(bytes.size());
    fits_open_memfile(&in, "source", READONLY, &inData, &inSize, 0, nullptr, &status);
    const int number = status == 0 ? imageHeader(in) : 0;
    if (number == 0) {
        int closing = 0;
        if (in)
            fits_close_file(in, &closing);
        return CopyText::NotFits.arg(sourceName);
    }
    Memory copy;
    copy.size = 2880;
    copy.data = std::malloc(copy.size);
    fitsfile *out = nullptr;
    fits_create_memfile(&out, &copy.data, &copy.size, 2880, std::realloc, &status);
    fits_copy_file(in, out, 1, 1, 1, &status);
    int type = 0;
    fits_movabs_hdu(out, number, &type, &status);
    for (qsizetype at = 0; at + 80 <= cards.size() && status == 0; at += 80) {
        QByteArray card = cards.mid(at, 80);
        const QByteArray key = card.left(8).trimmed();
        fits_update_card(out, key.constData(), card.data(), &status);
    }
    int closing = 0;
    fits_close_file(in, &closing);
    closing = 0;
    fits_close_file(out, &closing); // the memory stays, with its final size
    if (status != 0 || closing != 0)
        return CopyText::NotFits.arg(sourceName);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(static_cast<const char *>(copy.data), qint64(copy.size)) != qint64(copy.size) || !file.commit())
        return CopyText::Unwritable.arg(QFileInfo(target).fileName());
    return QString();
}

} // namespace Astrometry

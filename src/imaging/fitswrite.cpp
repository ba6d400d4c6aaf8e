#include "fitswrite.h"

#include "files/textfile.h"

#include <fitsio.h>

#include <cstdlib>

namespace Imaging {

namespace {

constexpr int CardLength = 80;

bool describesStorage(const QByteArray &name)
{
    static const char *const storage[] = {"SIMPLE", "BITPIX", "EXTEND", "BZERO", "BSCALE", "BLANK", "XTENSION",
                                          "PCOUNT", "GCOUNT", "CHECKSUM", "DATASUM", "END", "TFIELDS"};
    for (const char *key : storage) {
        if (name == key)
            return true;
    }
    // The axes, and a compressed image's own keys.
    return name.startsWith("NAXIS") || name.startsWith("ZNAXIS") || name.startsWith("ZTILE")
        || name.startsWith("ZNAME") || name.startsWith("ZVAL") || name.startsWith("TTYPE")
        || name.startsWith("TFORM") || name.startsWith("ZCMPTYPE") || name.startsWith("ZBITPIX")
        || name.startsWith("ZQUANTIZ") || name.startsWith("ZDITHER") || name.startsWith("ZIMAGE")
        || name.startsWith("ZSIMPLE") || name.startsWith("ZEXTEND") || name.startsWith("ZBLANK");
}

QByteArray card(const QByteArray &text)
{
    return text.left(CardLength).leftJustified(CardLength, ' ');
}

} // namespace

QByteArray exposureCards(const QByteArray &header)
{
    QByteArray kept;
    for (qsizetype at = 0; at + CardLength <= header.size(); at += CardLength) {
        const QByteArray one = header.mid(at, CardLength);
        const QByteArray name = one.left(8).trimmed();
        if (!name.isEmpty() && !describesStorage(name))
            kept += one;
    }
    return kept;
}

QByteArray numberCard(const char *name, double value, const char *comment)
{
    return card(QByteArray(name).leftJustified(8, ' ') + "= "
                + QByteArray::number(value, 'g', 10).rightJustified(20, ' ') + " / " + comment);
}

QByteArray textCard(const char *name, const QString &value, const char *comment)
{
    QByteArray quoted = value.toLatin1().replace('\'', "''");
    return card(QByteArray(name).leftJustified(8, ' ') + "= '" + quoted.leftJustified(8, ' ') + "' / " + comment);
}

QByteArray historyCard(const QString &text)
{
    return card("HISTORY " + text.toLatin1());
}

bool saveFloatImage(const QString &path, int width, int height, const float *pixels,
                    const QByteArray &cards)
{
    // Written in memory, so that the file is replaced in one step.
    std::size_t size = 2880;
    void *memory = std::malloc(size);
    if (!memory)
        return false;
    int status = 0;
    fitsfile *file = nullptr;
    fits_create_memfile(&file, &memory, &size, std::size_t(2880) * 64, std::realloc, &status);
    long axes[2] = {width, height};
    fits_create_img(file, FLOAT_IMG, 2, axes, &status);
    // A card another program wrote badly is left out rather than losing the image.
    for (qsizetype at = 0; at + CardLength <= cards.size() && status == 0; at += CardLength) {
        int cardStatus = 0;
        fits_write_record(file, cards.mid(at, CardLength).constData(), &cardStatus);
    }
    fits_write_img(file, TFLOAT, 1, LONGLONG(width) * height, const_cast<float *>(pixels), &status);
    LONGLONG end = 0;
    fits_flush_file(file, &status);
    fits_get_hduaddrll(file, nullptr, nullptr, &end, &status);
    int closing = 0;
    fits_close_file(file, &closing);
    fits_clear_errmsg();
    bool saved = false;
    if (status == 0 && closing == 0 && end > 0 && std::size_t(end) <= size)
        saved = Files::replaceFile(path, {QByteArray::fromRawData(static_cast<const char *>(memory), qsizetype(end))});
    std::free(memory);
    return saved;
}

} // namespace Imaging

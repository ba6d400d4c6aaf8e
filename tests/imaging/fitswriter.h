#pragma once
// Writes the FITS files the imaging tests read, through CFITSIO itself.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QTest>

#include <fitsio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

// The share of a Gaussian of `sigma`, centred at `at`, that falls on `pixel`
// along one axis.
inline double pixelShare(int pixel, double at, double sigma)
{
    const double s = sigma * std::sqrt(2.0);
    return 0.5 * (std::erf((pixel + 0.5 - at) / s) - std::erf((pixel - 0.5 - at) / s));
}

// A flat sky with Gaussian stars {x, y, flux} (0-based coordinates), row by
// row, each pixel holding the exact flux that falls on it.
inline std::vector<double> starField(int width, int height, double sky, double sigma,
                                     const std::vector<std::array<double, 3>> &stars)
{
    const auto share = [sigma](int pixel, double at) { return pixelShare(pixel, at, sigma); };
    std::vector<double> values(std::size_t(width) * std::size_t(height), sky);
    for (const auto &[x0, y0, flux] : stars)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                values[std::size_t(y * width + x)] += flux * share(x, x0) * share(y, y0);
    return values;
}

// A pixel written as the BLANK value of an integer image.
constexpr double BlankPixel = -1e300;

struct FitsPlan
{
    int bitpix = FLOAT_IMG;
    std::vector<long> axes{3, 3};
    std::vector<double> values; // every pixel of every plane, row by row
    QList<QPair<QByteArray, QByteArray>> cards; // name, value as written ('text' or number)
    bool compressed = false;                    // tile-compressed (Rice) in an extension
    bool checksum = false;                      // with CHECKSUM and DATASUM
};

template<typename T>
void writeAs(fitsfile *file, int type, const std::vector<double> &values, int *status)
{
    std::vector<T> typed(values.cbegin(), values.cend());
    fits_write_img(file, type, 1, LONGLONG(typed.size()), typed.data(), status);
}

// False (and the test fails) when CFITSIO reports anything.
inline bool writeFits(const QString &path, const FitsPlan &plan)
{
    int status = 0;
    fitsfile *file = nullptr;
    if (fits_create_diskfile(&file, QFile::encodeName(path).constData(), &status) != 0)
        return false;
    if (plan.compressed)
        fits_set_compression_type(file, RICE_1, &status);
    std::vector<long> axes = plan.axes;
    fits_create_img(file, plan.bitpix, int(axes.size()), axes.data(), &status);
    double zero = 0, scale = 1;
    bool scaled = false;
    for (const auto &card : plan.cards) {
        const QByteArray record = card.first.leftJustified(8, ' ') + "= " + card.second;
        fits_write_record(file, record.constData(), &status);
        if (card.first == "BZERO")
            zero = card.second.toDouble();
        if (card.first == "BSCALE")
            scale = card.second.toDouble();
        scaled = scaled || card.first == "BZERO" || card.first == "BSCALE";
        if (card.first == "BLANK")
            fits_set_imgnull(file, card.second.toLongLong(), &status);
    }
    // CFITSIO takes up scaling keys written by hand only when told.
    if (scaled)
        fits_set_bscale(file, scale, zero, &status);
    std::vector<double> values = plan.values;
    double blank = BlankPixel;
    // Tile-compressed images take pixels of their own type only.
    if (plan.compressed && plan.bitpix == USHORT_IMG)
        writeAs<unsigned short>(file, TUSHORT, values, &status);
    else if (plan.compressed && plan.bitpix == LONG_IMG)
        writeAs<int>(file, TINT, values, &status);
    else if (plan.compressed)
        status = DATA_COMPRESSION_ERR;
    else if (std::find(values.cbegin(), values.cend(), blank) != values.cend())
        fits_write_imgnull(file, TDOUBLE, 1, LONGLONG(values.size()), values.data(), &blank, &status);
    else if (!values.empty())
        fits_write_img(file, TDOUBLE, 1, LONGLONG(values.size()), values.data(), &status);
    if (plan.checksum)
        fits_write_chksum(file, &status);
    fits_close_file(file, &status);
    fits_clear_errmsg();
    if (status != 0)
        QTest::qFail(qPrintable(QStringLiteral("CFITSIO status %1 writing %2").arg(status).arg(path)), __FILE__, __LINE__);
    return status == 0;
}

#include "imaging/fitsimage.h"
#include "imaging/fitspixels.h"
#include "imaging/halves.h"
#include "imaging/skycoordinates.h"

#include "fitswriter.h"
#include "support/diskfiles.h"
#include "support/sanitizer.h"
#include "support/fifo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

using namespace Imaging;

namespace {

QList<float> asList(const Imaging::Pixels &pixels) { return QList<float>(pixels.cbegin(), pixels.cend()); }

QList<bool> invalidMask(const Imaging::Pixels &pixels)
{
    QList<bool> mask;
    for (const float v : pixels)
        mask.append(std::isnan(v));
    return mask;
}

bool samePixel(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Reading `part` alone gives the pixels and the saturation level of the whole image.
void verifyPartAgrees(const QString &path, const FitsImage &whole, const QRect &part)
{
    PartialFits partial(path);
    const FitsLoad load = partial.read(part);
    QVERIFY2(load.image, qPrintable(load.problem));
    const FitsImage &image = *load.image;
    QCOMPARE(image.saturation, whole.saturation);
    QCOMPARE(image.firstPlaneOnly, whole.firstPlaneOnly);
    QCOMPARE(QSize(image.width, image.height), QSize(whole.width, whole.height));
    QVERIFY(image.held.contains(part & whole.held));
    for (int y = 0; y < whole.height; ++y) {
        for (int x = 0; x < whole.width; ++x) {
            const float expected = image.held.contains(x, y) ? whole.at(x, y) : std::nanf("");
            QVERIFY2(samePixel(image.at(x, y), expected), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }
}

// A header block in the test's own hand, for files CFITSIO would not write.
QByteArray headerBlock(const QList<QByteArray> &cards)
{
    QByteArray block;
    for (const QByteArray &card : cards)
        block += card.leftJustified(80, ' ');
    block += QByteArray("END").leftJustified(80, ' ');
    return block.leftJustified(2880, ' ');
}

// A figure of this process's /proc status, in KiB.
long statusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The memory loading `path` takes at its peak above what was resident
// before, in MB up to 255, measured in a child process.
int loadingPeakMegabytes(const QString &path)
{
    const pid_t child = fork();
    if (child == 0) {
        const long before = statusKiB("VmRSS:");
        loadFits(path);
        _exit(int(std::clamp<long>((statusKiB("VmHWM:") - before) / 1024, 0, 255)));
    }
    int outcome = 0;
    return child > 0 && waitpid(child, &outcome, 0) == child && WIFEXITED(outcome) ? WEXITSTATUS(outcome) : -1;
}

// Puts `replacement` in place of the file's last card `name`, the
// compressed image's; none makes it a comment.
void setCard(const QString &path, const QByteArray &name, const QByteArray &replacement)
{
    QByteArray bytes = bytesOf(path);
    qsizetype last = -1;
    for (qsizetype at = 0; at + 80 <= bytes.size(); at += 80) {
        if (bytes.mid(at, 10) == name.leftJustified(8, ' ') + "= ")
            last = at;
    }
    QVERIFY(last >= 0);
    bytes.replace(last, 80, (replacement.isEmpty() ? "COMMENT" : replacement).leftJustified(80, ' '));
    putBytes(path, bytes);
}

// The helper looked for in `folders`, for `limit` at most, until the test
// ends, even on failure; then the one the build made again.
class HelperSettings
{
public:
    explicit HelperSettings(const QStringList &folders, std::chrono::milliseconds limit = HelperLimit)
    {
        setFitsHelperFolders(folders);
        setFitsHelperLimit(limit);
    }
    ~HelperSettings() { HelperSettings::restore(); }
    HelperSettings(const HelperSettings &) = delete;
    HelperSettings &operator=(const HelperSettings &) = delete;

    static void restore()
    {
        setFitsHelperFolders({QStringLiteral(VEVURID_HELPER_FOLDER)});
        setFitsHelperLimit(HelperLimit);
    }
};

// Runs a test in another working folder and comes back, even on failure.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString &path) : m_saved(QDir::currentPath()) { QDir::setCurrent(path); }
    ~WorkingFolder() { QDir::setCurrent(m_saved); }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

private:
    QString m_saved;
};

} // namespace

using Cards = QList<QPair<QByteArray, QByteArray>>;
Q_DECLARE_METATYPE(Cards)
Q_DECLARE_METATYPE(std::vector<double>)

class TestFitsImage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { HelperSettings::restore(); }
    void pixelMemory_data();
    void pixelMemory();
    void pixelTypes_data();
    void pixelTypes();
    void saturationLevels_data();
    void saturationLevels();
    void largeImagesAsCfitsioReadsThem_data();
    void largeImagesAsCfitsioReadsThem();
    void zeroBorder();
    void subnormalOnTheEdge();
    void planes_data();
    void planes();
    void headerFromFile();
    void skyFrameFromCards();
    void literalNames_data();
    void literalNames();
    void refusedFiles_data();
    void refusedFiles();
    void refusedContents_data();
    void refusedContents();
    void compressedBesideOtherReads();
    void helperLeavesNothing();
    void helperLookup_data();
    void helperLookup();
    void helperMisbehaving_data();
    void helperMisbehaving();
    void helperFoundAgain();

private:
    // A valid 2×2 16-bit image named `name` in the test's folder; empty
    // when it cannot be written.
    QString smallImage(const char *name, bool compressed);

    QTemporaryDir m_dir;
};

QString TestFitsImage::smallImage(const char *name, bool compressed)
{
    const QString path = m_dir.filePath(QLatin1String(name));
    return writeFits(path, {USHORT_IMG, {2, 2}, {1, 40000, 65000, 32768}, Cards(), compressed}) ? path : QString();
}

void TestFitsImage::pixelTypes_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<Cards>("cards");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<double>("saturation");

    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("8 bit") << int(BYTE_IMG) << Cards() << false << std::vector<double>{1, 7, 200, 255} << 255.0;
    QTest::newRow("16 bit signed") << int(SHORT_IMG) << Cards() << false
                                   << std::vector<double>{-32768, -5, 12, 32767} << 32767.0;
    QTest::newRow("16 bit scaled") << int(SHORT_IMG) << Cards{{"BZERO", "100"}, {"BSCALE", "0.5"}} << false
                                   << std::vector<double>{100.5, 99, 1000.5, -50} << 100 + 0.5 * 32767;
    QTest::newRow("32 bit") << int(LONG_IMG) << Cards() << false
                            << std::vector<double>{-2000000, 3, 16777216, 1} << 2147483647.0;
    QTest::newRow("double") << int(DOUBLE_IMG) << Cards() << false << std::vector<double>{0.001, -2, 3e30, 4} << inf;
    QTest::newRow("16 bit unsigned") << int(USHORT_IMG) << Cards() << false
                                     << std::vector<double>{1, 40000, 65000, 32768} << 65535.0;
    QTest::newRow("16 bit BLANK") << int(SHORT_IMG) << Cards{{"BLANK", "-32768"}} << false
                                  << std::vector<double>{5, BlankPixel, 6, 7} << 32767.0;
    QTest::newRow("float NaN and infinity") << int(FLOAT_IMG) << Cards() << false
                                            << std::vector<double>{5, std::nan(""), -inf, 7} << inf;
    QTest::newRow(".fz 16 bit unsigned") << int(USHORT_IMG) << Cards() << true
                                         << std::vector<double>{1, 40000, 65000, 32768} << 65535.0;
}

void TestFitsImage::pixelTypes()
{
    QFETCH(int, bitpix);
    QFETCH(Cards, cards);
    QFETCH(bool, compressed);
    QFETCH(std::vector<double>, values);
    QFETCH(double, saturation);

    const QString path = m_dir.filePath(compressed ? QStringLiteral("pixels.fz") : QStringLiteral("pixels.fits"));
    QFile::remove(path);
    QVERIFY(writeFits(path, {bitpix, {2, 2}, values, cards, compressed}));
    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    QCOMPARE(load.image->width, 2);
    QCOMPARE(load.image->height, 2);
    QList<float> expected;
    for (const double v : values)
        expected.append(v == BlankPixel || !std::isfinite(v) ? std::nanf("") : float(v));
    QCOMPARE(invalidMask(load.image->pixels), invalidMask(Imaging::Pixels(expected.cbegin(), expected.cend())));
    for (int i = 0; i < 4; ++i) {
        if (!std::isnan(expected[i]))
            QCOMPARE(load.image->pixels[std::size_t(i)], expected[i]);
    }
    QCOMPARE(load.image->saturation, saturation);
    QVERIFY(!load.image->firstPlaneOnly);
    verifyPartAgrees(path, *load.image, QRect(0, 0, 2, 2));
}

// Taller and wider than the image a thread is started for: its halves are
// read through two handles, and the pixels are CFITSIO's own from one read of
// the whole plane; the saturation level looks at both halves.
void TestFitsImage::largeImagesAsCfitsioReadsThem_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<Cards>("cards");
    QTest::addColumn<int>("planes");
    QTest::addColumn<QList<qsizetype>>("topPixels"); // set to 4095, the rest under
    QTest::addColumn<double>("saturation");

    // The image is 601 × 523: the first half is its first 261 rows.
    constexpr qsizetype Second = 261 * 601;
    const QList<qsizetype> twoAndOne{5, Second - 1, Second};
    QTest::newRow("16 bit unsigned") << int(USHORT_IMG) << Cards() << 1 << twoAndOne << 4095.0;
    // The largest of the other values, 4000, is on many pixels.
    QTest::newRow("16 bit scaled") << int(SHORT_IMG) << Cards{{"BZERO", "100"}, {"BSCALE", "0.5"}} << 1
                                   << QList<qsizetype>{} << 4000.0;
    QTest::newRow("16 bit BLANK") << int(SHORT_IMG) << Cards{{"BLANK", "-32768"}} << 1 << twoAndOne << 4095.0;
    QTest::newRow("float NaN and infinity") << int(FLOAT_IMG) << Cards() << 1 << twoAndOne << 4095.0;
    QTest::newRow("two planes") << int(FLOAT_IMG) << Cards() << 2 << twoAndOne << 4095.0;
    QTest::newRow("double beyond a float") << int(DOUBLE_IMG) << Cards() << 1 << twoAndOne << 4095.0;
    QTest::newRow("one at the top in each half") << int(SHORT_IMG) << Cards() << 1
                                                 << QList<qsizetype>{5, Second + 7} << 32767.0;
    QTest::newRow("three at the top in the second half")
        << int(SHORT_IMG) << Cards() << 1 << QList<qsizetype>{Second, Second + 1, 600 * 523} << 4095.0;
}

void TestFitsImage::largeImagesAsCfitsioReadsThem()
{
    QFETCH(int, bitpix);
    QFETCH(Cards, cards);
    QFETCH(int, planes);
    QFETCH(QList<qsizetype>, topPixels);
    QFETCH(double, saturation);
    constexpr long Width = 601, Height = 523;
    const bool blanks = cards.contains({"BLANK", "-32768"});
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values(std::size_t(Width * Height * planes));
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = 1 + double((i * 7919) % 4000) / (bitpix == FLOAT_IMG ? 3 : 1);
        if (i % 1009 == 3)
            values[i] = bitpix == FLOAT_IMG    ? (i % 2 ? inf : std::nan(""))
                        : bitpix == DOUBLE_IMG ? (i % 2 ? 1e300 : -1e300) // infinite as floats
                        : blanks               ? BlankPixel
                                               : values[i];
    }
    for (const qsizetype at : topPixels)
        values[std::size_t(at)] = 4095;
    const QString path = m_dir.filePath(QStringLiteral("large.fits"));
    QFile::remove(path);
    const std::vector<long> axes =
        planes > 1 ? std::vector<long>{Width, Height, planes} : std::vector<long>{Width, Height};
    QVERIFY(writeFits(path, {bitpix, axes, values, cards, false}));
    QVERIFY(std::size_t(Width * Height) >= SplitFromPixels);

    std::vector<float> expected(std::size_t(Width * Height));
    {
        int status = 0, anyBlank = 0;
        float blank = std::nanf("");
        fitsfile *file = nullptr;
        fits_open_diskfile(&file, QFile::encodeName(path).constData(), READONLY, &status);
        fits_read_img(file, TFLOAT, 1, LONGLONG(expected.size()), &blank, expected.data(), &anyBlank, &status);
        fits_close_file(file, &status);
        QCOMPARE(status, 0);
    }
    for (float &v : expected)
        v = std::isinf(v) ? std::nanf("") : v;

    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    QCOMPARE(load.image->firstPlaneOnly, planes > 1);
    QCOMPARE(load.image->saturation, saturation);
    QCOMPARE(load.image->pixels.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!samePixel(load.image->pixels[i], expected[i]))
            QFAIL(qPrintable(
                QStringLiteral("pixel %1: %2 against %3").arg(i).arg(load.image->pixels[i]).arg(expected[i])));
    }
}

void TestFitsImage::saturationLevels_data()
{
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<Cards>("cards");
    QTest::addColumn<double>("saturation");

    const std::vector<double> threeAt4095{4095, 10, 4095, 12, 4095, 9};
    QTest::newRow("plateau of three") << threeAt4095 << Cards() << 4095.0;
    QTest::newRow("two at the top are stars") << std::vector<double>{4095, 10, 4095, 12, 4000, 9} << Cards() << 32767.0;
    QTest::newRow("SATURATE") << threeAt4095 << Cards{{"SATURATE", "3000"}} << 3000.0;
    // Taller than the band of rows read at a time.
    std::vector<double> tall(3 * 130, 10.0);
    tall[1] = tall[3 * 70] = tall[3 * 129 + 2] = 4095;
    QTest::newRow("plateau across bands of rows") << tall << Cards() << 4095.0;
    std::vector<double> higherFirst(3 * 130, 10.0);
    higherFirst[3 * 100 + 1] = 4096;
    std::fill_n(higherFirst.end() - 3, 3, 4095.0);
    QTest::newRow("three under a higher pixel") << higherFirst << Cards() << 32767.0;
    QTest::newRow("BLANK pixels are no plateau") << threeAt4095 << Cards{{"BLANK", "4095"}} << 32767.0;
    // Zeros on the edge are cleared before the plateau is looked for.
    const std::vector<double> zeroEdge{0, 0, 0, -5, -5, -5, -5, -5, -5};
    QTest::newRow("zeros on the edge: the plateau below") << zeroEdge << Cards() << -5.0;
    const std::vector<double> twoZerosWalledIn{-5, -5, -5, -5, 0, -5, -5, 0, -5, 0, -5, -5};
    QTest::newRow("two zeros walled in, one on the edge") << twoZerosWalledIn << Cards() << 32767.0;
    // A negative scale turns a camera's clipped codes into the smallest
    // values: the largest one comes from the smallest code, -32768.
    QTest::newRow("BSCALE -1: a plateau at the top") << threeAt4095 << Cards{{"BSCALE", "-1"}} << 32768.0;
    QTest::newRow("BSCALE -1, BZERO 100") << threeAt4095 << Cards{{"BSCALE", "-1"}, {"BZERO", "100"}} << 32868.0;
}

void TestFitsImage::saturationLevels()
{
    QFETCH(std::vector<double>, values);
    QFETCH(Cards, cards);
    QFETCH(double, saturation);

    const QString path = m_dir.filePath(QStringLiteral("saturation.fits"));
    QFile::remove(path);
    QVERIFY(writeFits(path, {SHORT_IMG, {3, long(values.size() / 3)}, values, cards, false}));
    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    QCOMPARE(load.image->saturation, saturation);
    verifyPartAgrees(path, *load.image, QRect(1, 0, 1, 1));
}

void TestFitsImage::zeroBorder()
{
    // 0 runs in from the edges; the zero at (4, 2) is walled in by sky, and
    // so is the one at (2, 3) that touches the border zeros only at corners.
    const std::vector<double> values{
        0, 0, 5, 5, 5, 5, //
        0, 0, 0, 5, 5, 5, //
        0, 5, 5, 5, 0, 5, //
        5, 5, 0, 5, 5, 5, //
        0, 0, 5, 0, 0, 0, //
    };
    const QList<bool> invalid{
        true, true, false, false, false, false, //
        true, true, true, false, false, false,  //
        true, false, false, false, false, false, //
        false, false, false, false, false, false, //
        true, true, false, true, true, true,      //
    };
    const QString path = m_dir.filePath(QStringLiteral("registered.fits"));
    QVERIFY(writeFits(path, {FLOAT_IMG, {6, 5}, values, {}, false}));
    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    QCOMPARE(invalidMask(load.image->pixels), invalid);
    QCOMPARE(load.image->at(4, 2), 0.0f);
    verifyPartAgrees(path, *load.image, QRect(1, 0, 4, 3));
}

void TestFitsImage::pixelMemory_data()
{
    QTest::addColumn<qsizetype>("bytes");
    QTest::addColumn<bool>("largePages");
    constexpr qsizetype LargePage = qsizetype(1) << 21;
    QTest::newRow("none") << qsizetype(0) << false;
    QTest::newRow("one byte") << qsizetype(1) << false;
    QTest::newRow("just under two large pages") << 2 * LargePage - 1 << false;
    QTest::newRow("two large pages") << 2 * LargePage << true;
    QTest::newRow("a 4096 x 4096 image, and a float more") << qsizetype(4096 * 4096 + 1) * 4 << true;
}

// Memory for pixels is all usable, and a large image's starts on a large
// page, or the system could not give it large pages.
void TestFitsImage::pixelMemory()
{
    QFETCH(qsizetype, bytes);
    QFETCH(bool, largePages);
    auto *const memory = static_cast<unsigned char *>(takePixelMemory(std::size_t(bytes)));
    QVERIFY(memory);
    std::fill_n(memory, bytes, 0xa5);
    if (bytes > 0)
        QCOMPARE(memory[bytes - 1], 0xa5);
    QCOMPARE(reinterpret_cast<std::uintptr_t>(memory) % (std::uintptr_t(1) << 21) == 0, largePages);
    std::free(memory);
}

void TestFitsImage::subnormalOnTheEdge()
{
    // CFITSIO reads a subnormal float as 0, so this corner is border.
    std::vector<double> values(9, 5.0);
    values[0] = 1e-40;
    const QString path = m_dir.filePath(QStringLiteral("subnormal.fits"));
    QVERIFY(writeFits(path, {FLOAT_IMG, {3, 3}, values, {}, false}));
    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    QVERIFY(std::isnan(load.image->at(0, 0)));
    verifyPartAgrees(path, *load.image, QRect(0, 0, 2, 2));
}

void TestFitsImage::planes_data()
{
    QTest::addColumn<std::vector<long>>("axes");
    QTest::addColumn<bool>("firstPlaneOnly");

    QTest::newRow("cube of two") << std::vector<long>{3, 2, 2} << true;
    QTest::newRow("cube of one") << std::vector<long>{3, 2, 1} << false;
    QTest::newRow("one row") << std::vector<long>{3} << false;
}

void TestFitsImage::planes()
{
    QFETCH(std::vector<long>, axes);
    QFETCH(bool, firstPlaneOnly);

    long count = 1;
    for (const long n : axes)
        count *= n;
    std::vector<double> values;
    for (long i = 1; i <= count; ++i)
        values.push_back(double(i));
    const QString path = m_dir.filePath(QStringLiteral("planes.fits"));
    QFile::remove(path);
    QVERIFY(writeFits(path, {FLOAT_IMG, axes, values, {}, false}));
    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    QCOMPARE(load.image->width, 3);
    QCOMPARE(load.image->height, axes.size() > 1 ? 2 : 1);
    QCOMPARE(asList(load.image->pixels), QList<float>({1, 2, 3, 4, 5, 6}).first(load.image->width * load.image->height));
    QCOMPARE(load.image->firstPlaneOnly, firstPlaneOnly);
    verifyPartAgrees(path, *load.image, QRect(1, 0, 2, 1));
}

void TestFitsImage::headerFromFile()
{
    const QString path = m_dir.filePath(QStringLiteral("header.fits"));
    QVERIFY(writeFits(path, {FLOAT_IMG, {2, 2}, {1, 2, 3, 4},
                             {{"DATE-OBS", "'2017-12-19T18:33:43.317-0700'"}, {"EXPOSURE", "'060.00'"},
                              {"FILTER1", "'Clear   '"}, {"FILTER2", "'V'"}, {"OBJECT", "'O''Brien''s star'"},
                              {"EGAIN", "1.5D0"}, {"MJD-OBS", "50000.5"}},
                             false}));
    const FitsLoad load = loadFits(path);
    QVERIFY2(load.image, qPrintable(load.problem));
    const ImageHeader &header = load.image->header;
    QCOMPARE(header.midExposure, QDateTime(QDate(2017, 12, 20), QTime(1, 34, 13, 317), Qt::UTC));
    QCOMPARE(header.exposure, 60.0);
    QCOMPARE(header.filter, QStringLiteral("V"));
    QCOMPARE(header.object, QStringLiteral("O'Brien's star"));
    QCOMPARE(header.gain, 1.5);
}

// A plain and a tile-compressed image keep the cards a sky frame is read from.
void TestFitsImage::skyFrameFromCards()
{
    // FITS pixel (2, 1), this program's (1, 0), is the reference point.
    const Cards wcs{{"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"}, {"CRPIX1", "2"},       {"CRPIX2", "1"},
                    {"CRVAL1", "249.777"},    {"CRVAL2", "9.798"},       {"CDELT1", "-3E-4"}, {"CDELT2", "3E-4"}};
    for (const QString &name : {QStringLiteral("sky.fits"), QStringLiteral("sky.fz")}) {
        const QString path = m_dir.filePath(name);
        QVERIFY(writeFits(path, {USHORT_IMG, {2, 2}, {1, 2, 3, 4}, wcs, name.endsWith("fz")}));
        const FitsLoad load = loadFits(path);
        QVERIFY2(load.image, qPrintable(load.problem));
        QCOMPARE(PartialFits(path).headerCards(), load.image->headerCards);
        QCOMPARE(PartialFits(path).size(), QSize(2, 2));
        const std::optional<SkyFrame> frame = SkyFrame::read(load.image->headerCards, 2, 2).frame;
        const std::optional<Sky::Position> sky = frame ? frame->toSky(QPointF(1, 0)) : std::nullopt;
        QVERIFY2(sky && std::hypot(sky->ra - 249.777, sky->dec - 9.798) < 1e-9, qPrintable(name));
    }
}

void TestFitsImage::literalNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("brackets") << QStringLiteral("frame.fits[1]");
    QTest::newRow("overwrite mark") << QStringLiteral("!frame.fits");
    QTest::newRow("standard input") << QStringLiteral("-");
}

void TestFitsImage::literalNames()
{
    QFETCH(QString, name);
    QTemporaryDir folder;
    const WorkingFolder here(folder.path());
    QVERIFY(writeFits(folder.filePath(name), {FLOAT_IMG, {2, 1}, {42, 43}, {}, false}));
    const FitsLoad load = loadFits(name);
    QVERIFY2(load.image, qPrintable(load.problem));
    QCOMPARE(asList(load.image->pixels), QList<float>({42, 43}));
}

void TestFitsImage::refusedFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem");

    QTest::newRow("missing") << "missing.fits" << LoadProblem::Missing;
    QTest::newRow("folder") << "folder.fits" << LoadProblem::Folder;
    QTest::newRow("pipe") << "pipe.fits" << LoadProblem::NotRegular;
    QTest::newRow("device through a link") << "device.fits" << LoadProblem::NotRegular;
    QTest::newRow("unreadable") << "locked.fits" << LoadProblem::Unreadable;
    QTest::newRow("text") << "text.fits" << LoadProblem::NotFits;
    QTest::newRow("SIMPLE then nonsense") << "nonsense.fits" << LoadProblem::NotFits;
    QTest::newRow("header cut") << "headercut.fits" << LoadProblem::Truncated;
    QTest::newRow("pixels cut") << "pixelscut.fits" << LoadProblem::Truncated;
    QTest::newRow("no image") << "noimage.fits" << LoadProblem::NoImage;
    QTest::newRow("damaged compressed tiles") << "damaged.fz" << LoadProblem::Damaged;
    QTest::newRow("more than 2^28 pixels") << "huge.fits" << LoadProblem::TooLarge;
    QTest::newRow("BSCALE without a number") << "noscale.fits" << LoadProblem::NotFits;
    QTest::newRow("BLANK without a number") << "noblank.fits" << LoadProblem::NotFits;
    QTest::newRow("gzip") << "frame.fits.gz" << LoadProblem::Gzipped;
    QTest::newRow("table of two million columns") << "widetable.fits" << LoadProblem::NotFits;
    QTest::newRow("tiles all pointing to the first") << "repeated.fz" << LoadProblem::Damaged;
}

void TestFitsImage::refusedFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, problem);

    const QString path = m_dir.filePath(name);
    const QString good = m_dir.filePath(QStringLiteral("good.fits"));
    if (!QFile::exists(good))
        QVERIFY(writeFits(good, {FLOAT_IMG, {64, 64}, std::vector<double>(64 * 64, 7.0), {}, false}));
    QFile goodFile(good);
    QVERIFY(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();

    if (name == QLatin1String("folder.fits")) {
        QVERIFY(QDir(m_dir.path()).mkpath(name));
    } else if (name == QLatin1String("pipe.fits")) {
        makeFifo(path);
    } else if (name == QLatin1String("device.fits")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    } else if (name == QLatin1String("locked.fits")) {
        if (geteuid() == 0)
            QSKIP("root reads any file");
        QVERIFY(QFile::copy(good, path));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    } else if (name == QLatin1String("text.fits")) {
        putBytes(path, QByteArray("SIMPL E = T\n").repeated(300));
    } else if (name == QLatin1String("nonsense.fits")) {
        putBytes(path, "SIMPLE" + QByteArray(5754, '\x01'));
    } else if (name == QLatin1String("headercut.fits")) {
        putBytes(path, goodBytes.left(1000));
    } else if (name == QLatin1String("pixelscut.fits")) {
        putBytes(path, goodBytes.left(goodBytes.size() - 3000));
    } else if (name == QLatin1String("noimage.fits")) {
        QVERIFY(writeFits(path, {FLOAT_IMG, {}, {}, {}, false}));
    } else if (name == QLatin1String("damaged.fz") || name == QLatin1String("repeated.fz")) {
        std::vector<double> noise(64 * 64);
        for (size_t i = 0; i < noise.size(); ++i)
            noise[i] = double((i * 7919) % 4093);
        const bool repeated = name == QLatin1String("repeated.fz");
        QVERIFY(writeFits(path, {USHORT_IMG, {64, 64}, noise, {}, true, repeated}));
        QFile compressed(path);
        QVERIFY(compressed.open(QIODevice::ReadWrite));
        // Each row's tile descriptor (its size and place) after the two
        // headers, made to point far beyond the file, or to the first row's.
        QVERIFY(compressed.size() > 2 * 2880 + 64 * 8);
        compressed.seek(2 * 2880);
        const QByteArray descriptors = repeated ? compressed.peek(8).repeated(64) : QByteArray(64 * 8, '\x7F');
        QVERIFY(compressed.write(descriptors) == 64 * 8);
    } else if (name == QLatin1String("frame.fits.gz")) {
        putBytes(path, "\x1f\x8b\x08" + goodBytes);
    } else if (name == QLatin1String("widetable.fits")) {
        putBytes(path, headerBlock({"SIMPLE  =                    T", "BITPIX  =                    8",
                                      "NAXIS   =                    0", "EXTEND  =                    T"})
                             + headerBlock({"XTENSION= 'BINTABLE'", "BITPIX  =                    8",
                                            "NAXIS   =                    2", "NAXIS1  =                    0",
                                            "NAXIS2  =                    0", "PCOUNT  =                    0",
                                            "GCOUNT  =                    1", "TFIELDS =              2000000"}));
    } else if (name == QLatin1String("huge.fits")) {
        putBytes(path, headerBlock({"SIMPLE  =                    T", "BITPIX  =                  -32",
                                      "NAXIS   =                    2", "NAXIS1  =                16385",
                                      "NAXIS2  =                16384"}));
    } else if (name == QLatin1String("noscale.fits") || name == QLatin1String("noblank.fits")) {
        const QByteArray damaged = name == QLatin1String("noscale.fits") ? "BSCALE  =                    / none"
                                                                         : "BLANK   } -1";
        putBytes(path, headerBlock({"SIMPLE  =                    T", "BITPIX  =                   16",
                                      "NAXIS   =                    2", "NAXIS1  =                    2",
                                      "NAXIS2  =                    2", damaged})
                             + QByteArray(2880, '\0'));
    }

    const FifoWatchdog watchdog(m_dir.filePath(QStringLiteral("pipe.fits")));
    const FitsLoad load = loadFits(path);
    QVERIFY(!load.image);
    QCOMPARE(load.problem, problem == LoadProblem::TooLarge ? problem.arg(name).arg(MaxPixels) : problem.arg(name));
    QCOMPARE(PartialFits(path).read(QRect(0, 0, 1, 1)).problem, load.problem);
    // Refused before any memory is taken. A child forked under
    // AddressSanitizer may wait forever on a lock another thread held.
    if (!UnderAddressSanitizer)
        QVERIFY(loadingPeakMegabytes(path) < 32);
}

void TestFitsImage::refusedContents_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<Cards>("cards");
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<QByteArray>("card"); // of a compressed file's header, replaced after writing
    QTest::addColumn<QByteArray>("value"); // the card in its place
    QTest::addColumn<QString>("problem"); // empty: the image loads

    const double nan = std::nan("");
    const auto fz = [](const char *name, const char *card, const char *value, const QString &problem) {
        QTest::newRow(name) << int(USHORT_IMG) << Cards() << std::vector<double>(4, 300.0) << QByteArray(card)
                            << QByteArray(value) << problem;
    };
    const auto plain = [](const char *name, int bitpix, const std::vector<double> &values, const QString &problem) {
        QTest::newRow(name) << bitpix << Cards() << values << QByteArray() << QByteArray() << problem;
    };
    // CFITSIO divides by it: the crash ends only a child process.
    fz("tile of width 0", "ZTILE1", "ZTILE1  = 0", LoadProblem::Damaged);
    fz("tile of height 1, as written", "ZTILE2", "ZTILE2  = 1.0", QString());
    // CFITSIO would take the image's width in its place.
    fz("tile width no number", "ZTILE1", "ZTILE1  = n 12", LoadProblem::Damaged);
    fz("tile width no number, in small letters", "ZTILE1", "ztile1  = n 12", LoadProblem::Damaged);
    fz("tile width no number, value sign in column 7", "ZTILE1", "ZTILE1= n 12", LoadProblem::Damaged);
    // CFITSIO took memory by a garbage row count here, seen under AddressSanitizer.
    fz("rows as text", "NAXIS2", "NAXIS2  = 'x'", LoadProblem::NotFits);
    fz("rows without a value sign", "NAXIS2", "NAXIS2  =:  4", LoadProblem::NotFits);
    fz("no PCOUNT in its place", "PCOUNT", "", LoadProblem::NotFits);
    fz("bits per value opening a complex number", "BITPIX", "BITPIX  = (   8 / 8-bit bytes", LoadProblem::NotFits);
    fz("row width after a no-break space", "NAXIS1", "NAXIS1  =          \xa0     8", LoadProblem::NotFits);
    // CFITSIO read the second, and divided by it.
    fz("a second tile height, as text", "ZNAME2", "ZTILE2  = 'BYTEPIX '", LoadProblem::NotFits);
    plain("float, all NaN", FLOAT_IMG, std::vector<double>(4, nan), LoadProblem::NoValidPixels);
    plain("float, one valid pixel", FLOAT_IMG, {nan, nan, nan, 5}, QString());
    plain("float, all zero", FLOAT_IMG, std::vector<double>(4, 0.0), LoadProblem::Empty);
    QTest::newRow("16 bit, all BLANK") << int(SHORT_IMG) << Cards{{"BLANK", "-32768"}}
                                       << std::vector<double>(4, BlankPixel) << QByteArray() << QByteArray()
                                       << LoadProblem::NoValidPixels;
}

void TestFitsImage::refusedContents()
{
    QFETCH(int, bitpix);
    QFETCH(Cards, cards);
    QFETCH(std::vector<double>, values);
    QFETCH(QByteArray, card);
    QFETCH(QByteArray, value);
    QFETCH(QString, problem);

    const QString path = m_dir.filePath(QStringLiteral("contents.fits"));
    QFile::remove(path);
    QVERIFY(writeFits(path, {bitpix, {2, 2}, values, cards, !card.isEmpty()}));
    if (!card.isEmpty())
        setCard(path, card, value);
    const FitsLoad load = loadFits(path);
    QCOMPARE(load.problem, problem.isEmpty() ? problem : problem.arg(QStringLiteral("contents.fits")));
    QCOMPARE(PartialFits(path).read(QRect(0, 0, 2, 2)).problem, load.problem);
    if (problem.isEmpty())
        QCOMPARE(invalidMask(load.image->pixels), invalidMask(Imaging::Pixels(values.cbegin(), values.cend())));
}

// A series reads images on several threads, and a compressed one through the
// helper, whose process must start holding no lock another thread held.
void TestFitsImage::compressedBesideOtherReads()
{
    const QString plain = smallImage("beside.fits", false);
    const QString compressed = smallImage("beside.fz", true);
    QVERIFY(!plain.isEmpty() && !compressed.isEmpty());
    std::atomic<bool> done{false};
    std::thread other([&] {
        while (!done)
            loadFits(plain);
    });
    int loaded = 0;
    for (int i = 0; i < 300; ++i)
        loaded += loadFits(compressed).image.has_value();
    done = true;
    other.join();
    QCOMPARE(loaded, 300);
}

// A series may load thousands of compressed images: each load, read or
// refused, closes every descriptor it opened and waits for the helper's end.
void TestFitsImage::helperLeavesNothing()
{
    const QString good = smallImage("leaves-read.fz", true);
    const QString damaged = smallImage("leaves-refused.fz", true);
    QVERIFY(!good.isEmpty() && !damaged.isEmpty());
    setCard(damaged, "ZTILE1", "ZTILE1  = 0");
    const auto openDescriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
    };
    const qsizetype before = openDescriptors();
    for (int i = 0; i < 3; ++i) {
        QVERIFY(loadFits(good).image);
        QVERIFY(!loadFits(damaged).image);
    }
    QCOMPARE(openDescriptors(), before);
    QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void TestFitsImage::helperLookup_data()
{
    QTest::addColumn<QStringList>("placed"); // in folder a, b, c: "" none, "x" executable, "r" readable only, "d" a folder
    QTest::addColumn<QString>("found");      // the folder whose helper is used; none when empty
    QTest::newRow("none anywhere") << QStringList{"", "", ""} << "";
    QTest::newRow("first of two") << QStringList{"x", "x", ""} << "a";
    QTest::newRow("not executable, then one that is") << QStringList{"r", "x", ""} << "b";
    QTest::newRow("a folder of that name, then a file") << QStringList{"d", "", "x"} << "c";
    QTest::newRow("only one not executable") << QStringList{"", "r", ""} << "";
}

void TestFitsImage::helperLookup()
{
    QFETCH(QStringList, placed);
    QFETCH(QString, found);
    QTemporaryDir root;
    QStringList folders;
    for (const QString folder : {"a", "b", "c"}) {
        QVERIFY(QDir(root.path()).mkdir(folder));
        folders << root.filePath(folder);
        const QString kind = placed.at(folders.size() - 1);
        const QString helper = QDir(folders.constLast()).filePath(QLatin1String(HelperName));
        if (kind == "d")
            QVERIFY(QDir().mkdir(helper));
        if (kind == "x" || kind == "r") {
            QFile file(helper);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.setPermissions(kind == "x" ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
        }
    }
    const QString expected = found.isEmpty() ? QString() : QDir(root.filePath(found)).filePath(QLatin1String(HelperName));
    QCOMPARE(fitsHelperIn(folders), expected);
}

void TestFitsImage::helperMisbehaving_data()
{
    const QByteArray pixels = "/dev/zero >&" + QByteArray::number(PixelsDescriptor);
    const qsizetype bytes = 4 * sizeof(float); // a 2×2 image
    QTest::addColumn<QByteArray>("doing"); // asked for pixels; moving to a header, it does its part
    QTest::addColumn<QString>("problem");
    QTest::newRow("never ends") << QByteArray("exec sleep 600") << QString::fromUtf8(LoadProblem::HelperStopped);
    QTest::newRow("ends well, writing nothing") << QByteArray("exit 0") << QString::fromUtf8(LoadProblem::HelperFailed);
    QTest::newRow("a byte short") << "head -c " + QByteArray::number(bytes - 1) + " " + pixels
                                  << QString::fromUtf8(LoadProblem::HelperFailed);
    QTest::newRow("a byte over") << "head -c " + QByteArray::number(bytes + 1) + " " + pixels
                                 << QString::fromUtf8(LoadProblem::HelperFailed);
}

// The helper is trusted for nothing: it is ended at the limit, and the
// pixels it gives must be exactly the image's.
void TestFitsImage::helperMisbehaving()
{
    QFETCH(QByteArray, doing);
    QFETCH(QString, problem);
    QTemporaryDir folder;
    const QString helper = folder.filePath(QLatin1String(HelperName));
    putBytes(helper, "#!/bin/sh\n[ $# -lt 2 ] && exit 0\n" + doing + "\n");
    QVERIFY(QFile::setPermissions(helper, QFile::ReadOwner | QFile::ExeOwner));
    QFile::remove(m_dir.filePath(QStringLiteral("misbehaving.fz")));
    const QString path = smallImage("misbehaving.fz", true);
    QVERIFY(!path.isEmpty());
    const HelperSettings settings({folder.path()}, std::chrono::milliseconds(300));
    QCOMPARE(loadFits(path).problem, problem.arg(QStringLiteral("misbehaving.fz")));
    QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);
}

// A helper removed while the program runs is looked for again, where it
// may stand elsewhere; with none left, the file is not called damaged.
void TestFitsImage::helperFoundAgain()
{
    QTemporaryDir root;
    QStringList helpers;
    for (const char *name : {"a", "b"}) {
        QVERIFY(QDir(root.path()).mkdir(QLatin1String(name)));
        helpers << QDir(root.filePath(QLatin1String(name))).filePath(QLatin1String(HelperName));
        QVERIFY(QFile::link(QDir(QStringLiteral(VEVURID_HELPER_FOLDER)).filePath(QLatin1String(HelperName)),
                            helpers.constLast()));
    }
    const QString path = smallImage("again.fz", true);
    QVERIFY(!path.isEmpty());
    const HelperSettings settings({root.filePath(QStringLiteral("a")), root.filePath(QStringLiteral("b"))});
    for (const QString &helper : helpers) {
        const FitsLoad load = loadFits(path);
        QVERIFY2(load.image, qPrintable(load.problem));
        QCOMPARE(fitsHelperPath(), helper);
        QVERIFY(QFile::remove(helper));
    }
    QCOMPARE(loadFits(path).problem, QString::fromUtf8(LoadProblem::NoHelper).arg(QStringLiteral("again.fz")));
}

QTEST_GUILESS_MAIN(TestFitsImage)
#include "tst_fitsimage.moc"

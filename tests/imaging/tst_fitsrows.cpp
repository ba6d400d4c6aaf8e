// Bands of rows give exactly the pixels the loader gives for the whole image.

#include "fitswriter.h"
#include "imaging/fitsimage.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>

using namespace Imaging;

class TestFitsRows : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

private slots:
    void initTestCase() { setFitsHelperFolders({QStringLiteral(VEVURID_HELPER_FOLDER)}); }

    void bandsGiveTheLoadersPixels_data()
    {
        QTest::addColumn<int>("bitpix");
        QTest::addColumn<bool>("compressed");
        QTest::addColumn<bool>("zeroEdge");
        QTest::addColumn<int>("band");
        QTest::newRow("floats, one row at a time") << int(FLOAT_IMG) << false << false << 1;
        QTest::newRow("16-bit scaled, bands of 4") << int(SHORT_IMG) << false << false << 4;
        QTest::newRow("zeros joined to the edge, cleared") << int(FLOAT_IMG) << false << true << 3;
        QTest::newRow("compressed") << int(USHORT_IMG) << true << false << 5;
    }
    void bandsGiveTheLoadersPixels()
    {
        QFETCH(int, bitpix);
        QFETCH(bool, compressed);
        QFETCH(bool, zeroEdge);
        QFETCH(int, band);
        const int width = 13, height = 11;
        FitsPlan plan;
        plan.bitpix = bitpix;
        plan.compressed = compressed;
        plan.axes = {width, height};
        for (int k = 0; k < width * height; ++k)
            plan.values.push_back(100 + (k * 37) % 250);
        plan.values[20] = std::numeric_limits<double>::infinity() * (bitpix == FLOAT_IMG);
        if (zeroEdge) {
            plan.values[0] = plan.values[1] = plan.values[width + 1] = 0; // the last one inside, joined
        }
        if (bitpix == SHORT_IMG)
            plan.cards = {{"BZERO", "32768"}};
        const QString path = m_folder.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".fits");
        QVERIFY(writeFits(path, plan));
        const FitsLoad whole = loadFits(path);
        QVERIFY(whole.image);
        FitsRows rows(path);
        QCOMPARE(rows.problem(), QString());
        QCOMPARE(rows.described().width, width);
        std::vector<float> banded(std::size_t(width * height));
        for (int first = 0; first < height; first += band)
            QVERIFY(rows.read(first, std::min(band, height - first), banded.data() + first * width));
        QVERIFY(std::memcmp(banded.data(), whole.image->pixels.data(), banded.size() * sizeof(float)) == 0);
    }

    void noValidPixelIsToldAtTheLastBand()
    {
        FitsPlan plan;
        plan.axes = {4, 3};
        plan.values.assign(12, std::numeric_limits<double>::quiet_NaN());
        const QString path = m_folder.filePath(QStringLiteral("empty.fits"));
        QVERIFY(writeFits(path, plan));
        FitsRows rows(path);
        std::vector<float> band(8);
        QVERIFY(rows.read(0, 2, band.data()));
        QVERIFY(!rows.read(2, 1, band.data()));
        QCOMPARE(rows.problem(), loadFits(path).problem);
    }

    void rowsOutsideTheImageAreRefused()
    {
        FitsPlan plan;
        plan.values.assign(9, 5);
        const QString path = m_folder.filePath(QStringLiteral("small.fits"));
        QVERIFY(writeFits(path, plan));
        FitsRows rows(path);
        std::vector<float> band(12);
        QVERIFY(!rows.read(2, 2, band.data()));
        QVERIFY(!rows.problem().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFitsRows)
#include "tst_fitsrows.moc"

// A series of raw lights calibrated frame by frame on the part around the
// stars: each star measures as on the whole calibrated image, and a frame
// the masters do not fit is left out with the reason.

#include "../calibration/rawnight.h"

#include "calibration/apply.h"
#include "measurement/series.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Measurement;
using Kind = RawNight::Kind;

class TestCalibratedSeries : public QObject
{
    Q_OBJECT
private slots:
    void framesAreCalibratedBeforeTheyAreMeasured()
    {
        QTemporaryDir folder;
        RawNight night;
        night.width = 96;
        night.height = 72;
        night.stars = {{20, 20, 40000}, {70, 15, 50000}, {30, 55, 45000}, {75, 50, 30000}, {50, 35, 20000}};
        const QString at = folder.path();
        QStringList frames;
        for (int k = 0; k < 3; ++k) {
            frames << night.write(at, QStringLiteral("b%1.fits").arg(k), Kind::Bias, 0, k)
                   << night.write(at, QStringLiteral("d%1.fits").arg(k), Kind::Dark, 60, 10 + k)
                   << night.write(at, QStringLiteral("f%1.fits").arg(k), Kind::Flat, 5, 20 + k);
        }
        std::vector<Calibration::Frame> listed;
        for (const QString &path : frames)
            listed.push_back(*Calibration::readFrame(path).frame);
        const Calibration::Built built =
            Calibration::buildMasters(listed, Calibration::Combine::Median, [](double) { return true; });
        QVERIFY2(built.problem.isEmpty(), qPrintable(built.problem));
        const auto masters = std::make_shared<const Calibration::MasterSet>(built.masters);

        QStringList lights;
        for (int k = 0; k < 4; ++k)
            lights << night.write(at, QStringLiteral("l%1.fits").arg(k), Kind::Light, 60, 30 + k);
        RawNight binned = night;
        binned.binning = "2";
        lights.insert(2, binned.write(at, QStringLiteral("binned.fits"), Kind::Light, 60, 40));
        lights << night.write(at, QStringLiteral("done.fits"), Kind::Light, 60, 41, {{"CALSTAT", "'BDF'"}});

        SeriesTemplate placed{{}, {4, 6, 9}, {}, 0, {}};
        for (std::size_t star = 0; star < 5; ++star)
            placed.positions[star] = QPointF(night.stars[star][0], night.stars[star][1]);
        placed.comparisonNet = 0.9 * (night.stars[1][2] + night.stars[2][2] + night.stars[3][2]);
        const std::vector<SeriesImage> images =
            measureSeries(lights, placed, [](int, int) { return true; }, calibrationStep(masters));
        QCOMPARE(images.size(), std::size_t(lights.size()));
        QCOMPARE(images[2].problem,
                 Calibration::formatProblem(lights[2], {96, 72, 2, 2}, *masters->format(), true));
        for (std::size_t k : {0, 1, 3, 4, 5}) {
            QVERIFY2(images[k].problem.isEmpty(), qPrintable(images[k].problem));
            Imaging::FitsLoad whole = Imaging::loadFits(lights[int(k)]);
            if (k != 5)
                Calibration::calibrate(*whole.image, *masters, lights[int(k)]);
            for (const auto &star : images[k].stars) {
                const Imaging::StarMeasurement alone =
                    Imaging::measureAt(*whole.image, star->x, star->y, placed.aperture, placed.detector);
                QCOMPARE(star->net, alone.net);
            }
        }
        // Without calibration the counts are the raw frame's, bias and all.
        const std::vector<SeriesImage> raw = measureSeries({lights[0]}, placed, [](int, int) { return true; });
        QVERIFY(std::fabs(raw[0].stars[1]->net - images[0].stars[1]->net) > 100);
    }
};

QTEST_GUILESS_MAIN(TestCalibratedSeries)
#include "tst_calibratedseries.moc"

// Masters made from generated raw frames, applied to a generated light: the
// stars' known fluxes come back, and every refusal says what it should.

#include "calibration/apply.h"
#include "calibration/masters.h"
#include "imaging/aperture.h"
#include "rawnight.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace Calibration;
using Kind = RawNight::Kind;

namespace {

const QStringList writtenOrFail(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (path.isEmpty())
            QTest::qFail("a frame could not be written", __FILE__, __LINE__);
    }
    return paths;
}

std::vector<Frame> framesOf(const QStringList &paths)
{
    std::vector<Frame> frames;
    for (const QString &path : paths) {
        FrameRead read = readFrame(path);
        if (read.frame)
            frames.push_back(*read.frame);
    }
    return frames;
}

template<typename A, typename B>
bool sameBits(const A &a, const B &b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

const auto always = [](double) { return true; };

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    RawNight m_night;
    QStringList m_frames; // 5 bias, 5 darks of 120 s, 5 flats V of 10 s, 3 darks of 10 s
    MasterSet m_masters;

    QString light(const QString &name, double exposure, const QList<QPair<QByteArray, QByteArray>> &more = {})
    {
        return m_night.write(m_folder.path(), name, Kind::Light, exposure, 99, more);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        const QString folder = m_folder.path();
        for (int k = 0; k < 5; ++k) {
            m_frames << m_night.write(folder, QStringLiteral("bias%1.fits").arg(k), Kind::Bias, 0, 10 + k)
                     << m_night.write(folder, QStringLiteral("dark%1.fits").arg(k), Kind::Dark, 120, 20 + k)
                     << m_night.write(folder, QStringLiteral("flat%1.fits").arg(k), Kind::Flat, 10, 30 + k);
        }
        for (int k = 0; k < 3; ++k)
            m_frames << m_night.write(folder, QStringLiteral("flatdark%1.fits").arg(k), Kind::Dark, 10, 40 + k);
        const Built built = buildMasters(framesOf(writtenOrFail(m_frames)), Combine::Median, always);
        QVERIFY2(built.problem.isEmpty(), qPrintable(built.problem));
        m_masters = built.masters;
    }

    void combinesAPixelStack_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("expected");
        const int median = int(Combine::Median), clipped = int(Combine::ClippedMean);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("median, odd count") << QList<double>{3, 1, 2} << median << 2.0;
        QTest::newRow("median, even count: mean of the middle two") << QList<double>{4, 1, 3, 2} << median << 2.5;
        QTest::newRow("one frame") << QList<double>{7} << median << 7.0;
        QTest::newRow("an invalid value") << QList<double>{1, nan, 3} << median << nan;
        // median 10, mean 109, sigma 297: 1000 lies 990 from the median, beyond 891
        QTest::newRow("clipped: a cosmic ray left out")
            << QList<double>{10, 10, 10, 10, 10, 10, 10, 10, 10, 1000} << clipped << 10.0;
        QTest::newRow("clipped: nothing to leave out") << QList<double>{1, 2, 3, 10} << clipped << 4.0;
        QTest::newRow("clipped: all equal") << QList<double>{5, 5, 5} << clipped << 5.0;
        QTest::newRow("clipped: an invalid value") << QList<double>{nan, 1, 1} << clipped << nan;
    }
    void combinesAPixelStack()
    {
        QFETCH(QList<double>, values);
        QFETCH(int, method);
        QFETCH(double, expected);
        std::vector<double> stack(values.cbegin(), values.cend());
        const double combined = combinePixel(stack.data(), int(stack.size()), Combine(method));
        if (std::isnan(expected))
            QVERIFY(std::isnan(combined));
        else
            QCOMPARE(combined, expected);
    }

    void sortsFramesByType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("kind"); // -1: none
        QTest::addColumn<bool>("master");
        QTest::newRow("bias") << "Bias Frame" << int(FrameKind::Bias) << false;
        QTest::newRow("zero") << "zero" << int(FrameKind::Bias) << false;
        QTest::newRow("dark") << "DARK" << int(FrameKind::Dark) << false;
        QTest::newRow("flat") << "Flat Field" << int(FrameKind::Flat) << false;
        QTest::newRow("master dark") << "Master Dark" << int(FrameKind::Dark) << true;
        QTest::newRow("light") << "Light Frame" << -1 << false;
        QTest::newRow("none") << "" << -1 << false;
    }
    void sortsFramesByType()
    {
        QFETCH(QString, type);
        QFETCH(int, kind);
        QFETCH(bool, master);
        const FrameType read = frameTypeOf(type);
        QCOMPARE(read.kind ? int(*read.kind) : -1, kind);
        QCOMPARE(read.master, master);
    }

    void mastersAreWhatTheFramesHold()
    {
        QCOMPARE(m_masters.summary(), QStringLiteral("Master: bias da 5 quadri, dark 10 s da 3, dark 120 s da 5, flat V da 5"));
        QVERIFY(m_masters.bias && m_masters.darks.size() == 2 && m_masters.flats.size() == 1);
        const Master &dark = m_masters.darks[1];
        const Master &flat = m_masters.flats[0];
        QCOMPARE(*dark.exposure, 120.0);
        QCOMPARE(*dark.temperature, m_night.temperature);
        QVERIFY(!dark.holdsBias);
        // Five frames of noise 2 ADU, and 16-bit rounding: the median is within 3 ADU.
        for (const auto &[x, y] : {std::pair{0, 0}, {9, 9}, {33, 47}}) {
            const std::size_t at = std::size_t(y * m_night.width + x);
            QVERIFY(std::fabs(m_masters.bias->pixels[at] - m_night.bias(x, y)) < 3);
            QVERIFY(std::fabs(dark.pixels[at] - m_night.darkRate(x, y) * 120) < 4);
            QVERIFY(std::fabs(flat.pixels[at] / m_night.flat(x, y) - flat.pixels[std::size_t(24 * 64 + 32)]) < 1e-3);
        }
        std::vector<float> flatPixels = flat.pixels;
        QVERIFY(std::fabs(medianOfValid(flatPixels) - 1) < 2e-4);
    }

    void bandsGiveTheWholeResult()
    {
        const Built inBands = buildMasters(framesOf(m_frames), Combine::ClippedMean, always, 1);
        const Built whole = buildMasters(framesOf(m_frames), Combine::ClippedMean, always, std::size_t(1) << 30);
        QVERIFY(inBands.problem.isEmpty() && whole.problem.isEmpty());
        const std::vector<const Master *> a = inBands.masters.all(), b = whole.masters.all();
        QCOMPARE(a.size(), b.size());
        for (std::size_t k = 0; k < a.size(); ++k)
            QVERIFY2(sameBits(a[k]->pixels, b[k]->pixels), qPrintable(masterFileName(*a[k])));
    }

    void cancelledWorkMakesNothing()
    {
        int told = 0;
        const Built built = buildMasters(framesOf(m_frames), Combine::Median, [&told](double) { return ++told < 3; }, 1);
        QVERIFY(built.cancelled);
        QVERIFY(built.problem.isEmpty());
        QVERIFY(built.masters.empty());
    }

    void savedMasterReadsBackTheSame()
    {
        QTemporaryDir folder;
        Master withZeros = *m_masters.bias;
        withZeros.pixels[0] = 0; // exact zeros on the edge stay a master's values
        withZeros.pixels[1] = std::numeric_limits<float>::quiet_NaN();
        std::vector<const Master *> masters = m_masters.all();
        masters.front() = &withZeros;
        MasterSet read;
        for (const Master *master : masters) {
            const QString path = folder.filePath(masterFileName(*master));
            QVERIFY(saveMaster(*master, path));
            const FrameRead frame = readFrame(path);
            QVERIFY(frame.frame && frame.frame->master);
            QCOMPARE(int(frame.frame->kind), int(master->kind));
            QString problem;
            const std::optional<Master> back = readMaster(*frame.frame, &problem);
            QVERIFY2(back, qPrintable(problem));
            QVERIFY(sameBits(back->pixels, master->pixels));
            QCOMPARE(back->format, master->format);
            QCOMPARE(back->exposure, master->exposure);
            QCOMPARE(back->filter, master->filter);
            QCOMPARE(back->holdsBias, master->holdsBias);
            QCOMPARE(back->temperature, master->temperature);
        }
        QCOMPARE(masterFileName(m_masters.flats[0]), QStringLiteral("master-flat-V.fits"));
        QCOMPARE(masterFileName(m_masters.darks[1]), QStringLiteral("master-dark-120s.fits"));
    }

    void lightGivesTheStarsKnownFlux()
    {
        const QString path = light(QStringLiteral("light.fits"), 90);
        Imaging::FitsLoad load = Imaging::loadFits(path);
        QVERIFY(load.image);
        const double rawSaturation = load.image->saturation;
        const Calibrated calibrated = calibrate(*load.image, m_masters, path);
        QCOMPARE(calibrated.problem, QString());
        QCOMPARE(calibrated.done, CalibrationText::Applied.arg(QStringLiteral("bias, dark ×0.75, flat V")));
        QCOMPARE(load.image->saturation, rawSaturation);
        // The master flat's median is 1: what it leaves is the true flat's median.
        std::vector<float> trueFlat;
        for (int y = 0; y < m_night.height; ++y)
            for (int x = 0; x < m_night.width; ++x)
                trueFlat.push_back(float(m_night.flat(x, y)));
        const double level = medianOfValid(trueFlat);
        const Imaging::Aperture aperture{6, 9, 14};
        for (auto [x, y, flux] : m_night.stars) {
            flux *= level;
            const Imaging::StarMeasurement star = Imaging::measureStar(*load.image, x, y, aperture, {1, 0});
            QCOMPARE(int(star.refusal), int(Imaging::Refusal::None));
            QVERIFY2(std::fabs(star.net - flux) < 3 * star.error + 0.001 * flux,
                     qPrintable(QStringLiteral("%1 against %2 ± %3").arg(star.net).arg(flux).arg(star.error)));
        }
        // The sky, dimmed by a fifth at the corners and more in the dust ring, is flat again.
        QVERIFY(std::fabs(load.image->at(1, 1) - m_night.sky * level) < 6);
        QVERIFY(std::fabs(load.image->at(50, 17) - m_night.sky * level) < 6);
    }

    void partHeldIsCalibratedAsTheWhole()
    {
        const QString path = light(QStringLiteral("part.fits"), 60);
        Imaging::FitsLoad whole = Imaging::loadFits(path);
        Imaging::PartialFits partial(path);
        Imaging::FitsLoad part = partial.read(QRect(10, 5, 20, 15));
        QVERIFY(whole.image && part.image);
        calibrate(*whole.image, m_masters, path);
        calibrate(*part.image, m_masters, path);
        for (int y = 5; y < 20; ++y)
            for (int x = 10; x < 30; ++x)
                QCOMPARE(part.image->at(x, y), whole.image->at(x, y));
    }

    void refusesWhatCannotBeCalibrated_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("filter");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("withoutBias");
        QTest::addColumn<QString>("problem");
        QTest::newRow("another size") << "wide.fits" << QByteArray("'V'") << 70 << false
                                      << FrameText::OtherThanMasters.arg("wide.fits", "70 × 48 (binning 1)",
                                                                         "64 × 48 (binning 1)");
        QTest::newRow("no flat for its filter") << "red.fits" << QByteArray("'R'") << 64 << false
                                                << CalibrationText::NoFlat.arg("R");
        QTest::newRow("a dark to scale with no bias") << "nobias.fits" << QByteArray("'V'") << 64 << true
                                                      << MasterText::DarkNeedsBias.arg("120", "60");
    }
    void refusesWhatCannotBeCalibrated()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, filter);
        QFETCH(int, width);
        QFETCH(bool, withoutBias);
        QFETCH(QString, problem);
        RawNight night = m_night;
        night.width = width;
        night.filter = filter;
        const QString path = night.write(m_folder.path(), name, Kind::Light, 60, 7);
        MasterSet masters = m_masters;
        if (withoutBias) {
            masters.bias.reset();
            masters.darks.erase(masters.darks.begin());
            masters.darks.front().holdsBias = true;
        }
        Imaging::FitsLoad load = Imaging::loadFits(path);
        QVERIFY(load.image);
        const Imaging::Pixels before = load.image->pixels;
        const Calibrated calibrated = calibrate(*load.image, masters, path);
        QCOMPARE(calibrated.problem, problem);
        QVERIFY(sameBits(load.image->pixels, before));
    }

    void choosesTheDark_data()
    {
        QTest::addColumn<double>("exposure");
        QTest::addColumn<bool>("withoutBias");
        QTest::addColumn<double>("darkExposure");
        QTest::addColumn<double>("scale");
        QTest::newRow("its own exposure") << 120.0 << false << 120.0 << 1.0;
        QTest::newRow("within 1 %, scaled") << 121.0 << false << 120.0 << 121.0 / 120;
        QTest::newRow("the nearest, scaled") << 30.0 << false << 10.0 << 3.0;
        QTest::newRow("holding the bias, within 1 %: as it is") << 120.9 << true << 120.0 << 1.0;
    }
    void choosesTheDark()
    {
        QFETCH(double, exposure);
        QFETCH(bool, withoutBias);
        QFETCH(double, darkExposure);
        QFETCH(double, scale);
        MasterSet masters = m_masters;
        if (withoutBias) {
            masters.bias.reset();
            for (Master &dark : masters.darks)
                dark.holdsBias = true;
        }
        const DarkChoice choice = chooseDark(masters, exposure);
        QVERIFY(choice.dark);
        QCOMPARE(*choice.dark->exposure, darkExposure);
        QCOMPARE(choice.scale, scale);
    }

    void tellsADarkOfAnotherTemperature()
    {
        RawNight warm = m_night;
        warm.temperature = -5;
        const QString path = warm.write(m_folder.path(), QStringLiteral("warm.fits"), Kind::Light, 120, 5);
        Imaging::FitsLoad load = Imaging::loadFits(path);
        QVERIFY(load.image);
        QCOMPARE(calibrate(*load.image, m_masters, path).done,
                 CalibrationText::Applied.arg(QStringLiteral("bias, dark ×1.00, flat V")) + QStringLiteral("; ")
                     + CalibrationText::Temperatures.arg("-10", "-5"));
    }

    void refusesAStackOfMixedSizes()
    {
        RawNight narrow = m_night;
        narrow.height = 40;
        std::vector<Frame> frames = framesOf({m_frames[0], m_frames[3]});
        const QString odd = narrow.write(m_folder.path(), QStringLiteral("narrow.fits"), Kind::Bias, 0, 3);
        frames.push_back(*readFrame(odd).frame);
        QCOMPARE(buildMasters(frames, Combine::Median, always).problem,
                 FrameText::OtherThanFrames.arg("narrow.fits", "64 × 40 (binning 1)", "64 × 48 (binning 1)"));
        RawNight binned = m_night;
        binned.binning = "2";
        frames.back() = *readFrame(binned.write(m_folder.path(), QStringLiteral("binned.fits"), Kind::Bias, 0, 4)).frame;
        QCOMPARE(buildMasters(frames, Combine::Median, always).problem,
                 FrameText::OtherThanFrames.arg("binned.fits", "64 × 48 (binning 2)", "64 × 48 (binning 1)"));
    }

    void calibratedCopyIsNotCalibratedTwice()
    {
        const QString path = light(QStringLiteral("copy.fits"), 60);
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("copy.fits"));
        QCOMPARE(saveCalibrated(path, target, m_masters), QString());
        Imaging::FitsLoad expected = Imaging::loadFits(path);
        calibrate(*expected.image, m_masters, path);
        Imaging::FitsLoad copy = Imaging::loadFits(target);
        QVERIFY(copy.image);
        QVERIFY(sameBits(copy.image->pixels, expected.image->pixels));
        QCOMPARE(copy.image->header.object, QStringLiteral("RR Lyr"));
        QCOMPARE(copy.image->header.keys.value("CALSTAT"), QStringLiteral("BDF"));
        QVERIFY(isCalibrated(*copy.image));
        const Imaging::Pixels before = copy.image->pixels;
        QCOMPARE(calibrate(*copy.image, m_masters, target).done, CalibrationText::AlreadyDone);
        QVERIFY(sameBits(copy.image->pixels, before));
        QCOMPARE(saveCalibrated(target, out.filePath(QStringLiteral("again.fits")), m_masters),
                 CalibrationText::SavedAlready.arg("copy.fits"));
    }

    void headerNamingAnotherKindIsNoted()
    {
        const FrameRead asDark = readFrame(m_frames[0], FrameKind::Dark);
        QVERIFY(asDark.frame);
        QCOMPARE(int(asDark.frame->kind), int(FrameKind::Dark));
        QCOMPARE(asDark.frame->note, FrameText::HeaderSays.arg("bias"));
        QVERIFY(readFrame(m_frames[0], FrameKind::Bias).frame->note.isEmpty());
        const QString lightPath = light(QStringLiteral("skipped.fits"), 60);
        const FrameRead skipped = readFrame(lightPath);
        QVERIFY(!skipped.frame && skipped.problem.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCalibration)
#include "tst_calibration.moc"

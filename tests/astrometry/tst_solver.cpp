// astrometry.net's engine on a generated field with an index built here
// from the field's catalogue, fake engines that fail each way, the scale a
// header gives, and the copy of an image with the system found.

#include "skyfield.h"
#include "../imaging/fitswriter.h"

#include "astrometry/solver.h"
#include "astrometry/wcscopy.h"
#include "imaging/skycoordinates.h"
#include "imaging/wcscards.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fitsio.h>

using namespace Astrometry;

namespace {

const QString IndexBuilder = QStringLiteral("/usr/bin/build-astrometry-index");

// The catalogue as the index builder reads it: RA, Dec and a magnitude to sort by.
bool writeCatalogue(const QString &path, const SkyField &field)
{
    int status = 0;
    fitsfile *file = nullptr;
    fits_create_diskfile(&file, QFile::encodeName(path).constData(), &status);
    fits_create_img(file, BYTE_IMG, 0, nullptr, &status);
    char ra[] = "RA", dec[] = "DEC", mag[] = "MAG", real[] = "D";
    char *names[] = {ra, dec, mag};
    char *forms[] = {real, real, real};
    fits_create_tbl(file, BINARY_TBL, 0, 3, names, forms, nullptr, nullptr, &status);
    std::vector<double> columns[3];
    for (std::size_t i = 0; i < field.catalogue.size(); ++i) {
        columns[0].push_back(field.catalogue[i].ra);
        columns[1].push_back(field.catalogue[i].dec);
        columns[2].push_back(field.magnitudes[i]);
    }
    for (int column = 0; column < 3; ++column)
        fits_write_col(file, TDOUBLE, column + 1, 1, 1, LONGLONG(field.catalogue.size()), columns[column].data(), &status);
    fits_close_file(file, &status);
    return status == 0;
}

// A fake engine: a shell script in a folder of its own.
QString fakeEngine(const QTemporaryDir &folder, const QByteArray &body)
{
    const QString path = folder.filePath(QStringLiteral("astrometry-engine"));
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body + "\n") < 0)
        return QString();
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder.path();
}

SolveRequest requestFor(const SkyField &field)
{
    return {findStars(field.image), field.width, field.height, std::nullopt, std::nullopt};
}

} // namespace

class TestSolver : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Imaging::setFitsHelperFolders({QStringLiteral(VEVURID_HELPER_FOLDER)}); }
    void cleanup();
    void solvesWithTinyIndex();
    void failures_data();
    void failures();
    void headerScale_data();
    void headerScale();
    void narrowField_data();
    void narrowField();
    void copyKeepsImage_data();
    void copyKeepsImage();
    void copyRefusals();
};

void TestSolver::cleanup()
{
    setEngineFolders({QStringLiteral("/usr/bin")});
    setEngineConfiguration(QString());
    setEngineLimit(EngineLimit);
}

void TestSolver::solvesWithTinyIndex()
{
    if (enginePath().isEmpty() || !QFileInfo(IndexBuilder).isExecutable())
        QFAIL("astrometry.net is not installed (scripts/setup.sh installs it)");
    FieldPlan plan;
    plan.width = 800;
    plan.height = 600;
    plan.scale = 2;
    plan.rotation = 63;
    plan.stars = 200;
    plan.missingEvery = 6;
    plan.extra = 20;
    const SkyField field = skyField(plan);
    QTemporaryDir folder;
    const QString catalogue = folder.filePath(QStringLiteral("catalogue.fits"));
    const QString index = folder.filePath(QStringLiteral("index-tiny.fits"));
    QVERIFY(writeCatalogue(catalogue, field));
    QProcess builder;
    builder.setProcessChannelMode(QProcess::MergedChannels);
    // Quads of 4′ to 5.6′ on a field of 27′ × 20′.
    builder.start(IndexBuilder, {QStringLiteral("-i"), catalogue, QStringLiteral("-o"), index, QStringLiteral("-P"),
                                 QStringLiteral("2"), QStringLiteral("-E"), QStringLiteral("-S"), QStringLiteral("MAG"),
                                 QStringLiteral("-I"), QStringLiteral("1"), QStringLiteral("-t"), folder.path()});
    QVERIFY(builder.waitForFinished(120000));
    QVERIFY2(builder.exitCode() == 0, builder.readAll().constData());
    const QString configuration = folder.filePath(QStringLiteral("engine.cfg"));
    QFile file(configuration);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("index " + QFile::encodeName(index) + "\n");
    file.close();
    setEngineConfiguration(configuration);

    SolveRequest request = requestFor(field);
    request.scale = plan.scale;
    const Solution solution = solve(request, [] { return false; });
    QVERIFY2(solution.problem.isEmpty(), qPrintable(solution.problem));
    QVERIFY(solution.matched >= 10);
    QVERIFY(std::abs(solution.scale - plan.scale) < 0.01);
    QVERIFY(std::abs(solution.rotation - plan.rotation) < 0.1);
    const Imaging::SkyFrameRead read = Imaging::SkyFrame::read(solution.cards, field.width, field.height);
    QVERIFY(read.frame);
    for (const QPointF &at : {QPointF(0, 0), QPointF(799, 0), QPointF(0, 599), QPointF(799, 599), QPointF(400, 300)}) {
        const Sky::Position sky = fromPlane(field.truth.centre, pixelToPlane(field.truth, at));
        const std::optional<QPointF> back = read.frame->toPixel(sky);
        QVERIFY(back);
        QVERIFY2(std::hypot(back->x() - at.x(), back->y() - at.y()) < 0.3, qPrintable(QString::number(back->x() - at.x())));
    }
    QCOMPARE(solvedText(solution), SolveText::Solved.arg(QString::number(solution.matched),
                                                         QLocale().toString(solution.scale, 'f', 2),
                                                         QLocale().toString(solution.rotation, 'f', 1)));
}

void TestSolver::failures_data()
{
    QTest::addColumn<QByteArray>("engine"); // the script's body; empty for none
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<int>("stars");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no engine") << QByteArray() << false << 50 << SolveText::NotInstalled;
    QTest::newRow("killed") << QByteArray("kill -KILL $$") << false << 50 << SolveText::Crashed;
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << false << 50 << SolveText::Crashed;
    QTest::newRow("never ends") << QByteArray("exec sleep 1000") << false << 50 << SolveText::NoSolution;
    QTest::newRow("gives up") << QByteArray("exit 0") << false << 50 << SolveText::NoSolution;
    QTest::newRow("says solved, writes nothing") << QByteArray("touch solved") << false << 50 << SolveText::NoSolution;
    QTest::newRow("cancelled") << QByteArray("exec sleep 1000") << true << 50 << SolveText::Cancelled;
    QTest::newRow("four stars") << QByteArray("exit 0") << false << LeastStars - 1 << SolveText::TooFewStars;
}

void TestSolver::failures()
{
    QFETCH(QByteArray, engine);
    QFETCH(bool, cancelled);
    QFETCH(int, stars);
    QFETCH(QString, problem);
    QTemporaryDir folder;
    setEngineFolders({engine.isEmpty() ? folder.path() : fakeEngine(folder, engine)});
    setEngineLimit(std::chrono::milliseconds(300));
    FieldPlan plan;
    SolveRequest request = requestFor(skyField(plan));
    request.stars.resize(std::size_t(stars));
    const Solution solution = solve(request, [cancelled] { return cancelled; });
    QCOMPARE(solution.problem, problem);
    QVERIFY(solution.cards.isEmpty());
}

void TestSolver::headerScale_data()
{
    QTest::addColumn<QStringList>("cards"); // key=value
    QTest::addColumn<double>("scale"); // 0 for none
    QTest::newRow("PIXSCALE") << QStringList{"PIXSCALE=1.25"} << 1.25;
    QTest::newRow("SECPIX") << QStringList{"SECPIX=0.8"} << 0.8;
    QTest::newRow("IM_SCALE as text") << QStringList{"IM_SCALE=2.5"} << 2.5;
    QTest::newRow("direct before pixel size") << QStringList{"PIXSCALE=1.25", "XPIXSZ=9", "FOCALLEN=1000"} << 1.25;
    // 9 µm at 1000 mm; XPIXSZ already holds the binning.
    QTest::newRow("pixel size and focal length") << QStringList{"XPIXSZ=9", "FOCALLEN=1000"} << 1.85638;
    QTest::newRow("binned") << QStringList{"XPIXSZ=9", "FOCALLEN=1000", "XBINNING=2"} << 1.85638;
    QTest::newRow("zero scale, then pixel size") << QStringList{"PIXSCALE=0", "XPIXSZ=9", "FOCALLEN=1000"} << 1.85638;
    QTest::newRow("no focal length") << QStringList{"XPIXSZ=9"} << 0.0;
    QTest::newRow("negative focal length") << QStringList{"XPIXSZ=9", "FOCALLEN=-1000"} << 0.0;
    QTest::newRow("nothing") << QStringList{} << 0.0;
}

void TestSolver::headerScale()
{
    QFETCH(QStringList, cards);
    QFETCH(double, scale);
    Imaging::HeaderKeys keys;
    for (const QString &card : cards)
        keys.insert(card.section(QLatin1Char('='), 0, 0), card.section(QLatin1Char('='), 1));
    const std::optional<double> read = Astrometry::headerScale(keys);
    QCOMPARE(bool(read), scale > 0);
    if (read)
        QVERIFY2(std::abs(*read - scale) < 1e-5, qPrintable(QString::number(*read, 'g', 10)));
}

void TestSolver::narrowField_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("narrow");
    QTest::newRow("22′ across") << 1320 << 500 << 1.0 << false;
    QTest::newRow("22′ up") << 500 << 1320 << 1.0 << false;
    QTest::newRow("21.9′ the longer side") << 1314 << 1000 << 1.0 << true;
    QTest::newRow("40′") << 2000 << 2000 << 1.2 << false;
}

void TestSolver::narrowField()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, scale);
    QFETCH(bool, narrow);
    const QLocale locale;
    QCOMPARE(Astrometry::narrowField(width, height, scale),
             narrow ? SolveText::TooNarrow.arg(locale.toString(width * scale / 60, 'f', 1),
                                               locale.toString(height * scale / 60, 'f', 1))
                    : QString());
}

void TestSolver::copyKeepsImage_data()
{
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<QByteArray>("oldCard"); // a CD card already there, replaced
    QTest::newRow("plain") << false << QByteArray();
    QTest::newRow("compressed") << true << QByteArray();
    QTest::newRow("with a CD card") << false << QByteArray("CD1_1");
}

void TestSolver::copyKeepsImage()
{
    QFETCH(bool, compressed);
    QFETCH(QByteArray, oldCard);
    FieldPlan plan;
    plan.width = 64;
    plan.height = 48;
    plan.stars = 5;
    const SkyField field = skyField(plan);
    QTemporaryDir folder;
    const QString source = folder.filePath(compressed ? QStringLiteral("night.fz") : QStringLiteral("night.fits"));
    const QString target = folder.filePath(QStringLiteral("night-wcs.fits"));
    FitsPlan fits;
    fits.bitpix = USHORT_IMG;
    fits.axes = {plan.width, plan.height};
    fits.values.assign(field.image.pixels.cbegin(), field.image.pixels.cend());
    for (double &value : fits.values)
        value = std::round(value);
    fits.compressed = compressed;
    fits.cards = {{"OBJECT", "'RR Lyr'"}};
    if (!oldCard.isEmpty())
        fits.cards << QPair<QByteArray, QByteArray>{oldCard, "1.0"};
    QVERIFY(writeFits(source, fits));
    QFile::remove(target);
    QCOMPARE(saveWithWcs(source, target, wcsCards(field.truth)), QString());
    const Imaging::FitsLoad before = Imaging::loadFits(source), after = Imaging::loadFits(target);
    QVERIFY2(after.image, qPrintable(after.problem));
    QCOMPARE(after.image->pixels, before.image->pixels);
    QCOMPARE(after.image->header.object, QStringLiteral("RR Lyr"));
    const Imaging::SkyFrameRead read = Imaging::SkyFrame::read(after.image->headerCards, plan.width, plan.height);
    QVERIFY2(read.frame, qPrintable(read.problem));
    const QPointF corner(plan.width - 1, 0);
    const std::optional<QPointF> back =
        read.frame->toPixel(fromPlane(field.truth.centre, pixelToPlane(field.truth, corner)));
    QVERIFY(back && std::hypot(back->x() - corner.x(), back->y() - corner.y()) < 1e-6);
    QVERIFY(!Imaging::SkyFrame::read(before.image->headerCards, plan.width, plan.height).frame);
}

void TestSolver::copyRefusals()
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing.fits"));
    const QString text = folder.filePath(QStringLiteral("note.fits"));
    QFile note(text);
    QVERIFY(note.open(QIODevice::WriteOnly) && note.write("not an image\n") > 0);
    note.close();
    const QString image = folder.filePath(QStringLiteral("image.fits"));
    FitsPlan fits;
    fits.values.assign(9, 100);
    QVERIFY(writeFits(image, fits));
    const QByteArray cards = wcsCards(plannedWcs(FieldPlan()));
    QCOMPARE(saveWithWcs(missing, folder.filePath(QStringLiteral("a.fits")), cards),
             CopyText::Unreadable.arg(QStringLiteral("missing.fits")));
    QCOMPARE(saveWithWcs(folder.path(), folder.filePath(QStringLiteral("a.fits")), cards),
             CopyText::Unreadable.arg(QFileInfo(folder.path()).fileName()));
    QCOMPARE(saveWithWcs(text, folder.filePath(QStringLiteral("a.fits")), cards),
             CopyText::NotFits.arg(QStringLiteral("note.fits")));
    QCOMPARE(saveWithWcs(image, folder.filePath(QStringLiteral("none/a.fits")), cards),
             CopyText::Unwritable.arg(QStringLiteral("a.fits")));
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("a.fits"))));
}

QTEST_GUILESS_MAIN(TestSolver)
#include "tst_solver.moc"

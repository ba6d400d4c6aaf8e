#include "solver.h"

#include "astrometry/linearwcs.h"
#include "imaging/fitsimage.h"
#include "imaging/skycoordinates.h"
#include "imaging/wcscards.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QTemporaryDir>

#include <fitsio.h>

#include <atomic>
#include <cmath>

namespace Astrometry {

namespace {

constexpr double ArcsecPerRadian = 206264.806;
const QString EngineName = QStringLiteral("astrometry-engine");

struct EnginePlace
{
    QMutex mutex;
    QStringList folders{QStringLiteral("/usr/bin")};
    QString configuration; // empty: the package's own
};

EnginePlace &enginePlace()
{
    static EnginePlace place;
    return place;
}

std::atomic<std::chrono::milliseconds::rep> engineLimit{std::chrono::milliseconds(EngineLimit).count()};

QByteArray fileName(const QString &path)
{
    return QFile::encodeName(path);
}

// Disk files throughout: CFITSIO's own syntax would read a folder's name with brackets in it.
// The engine's input: the image's size, the scales to try, where to look,
// the files to write, then the stars' table (FITS pixels).
bool writeInput(const QString &path, const QString &folder, const SolveRequest &request)
{
    int status = 0;
    fitsfile *file = nullptr;
    fits_create_diskfile(&file, fileName(path).constData(), &status);
    fits_create_img(file, BYTE_IMG, 0, nullptr, &status);
    int width = request.width, height = request.height, yes = 1;
    long tweakOrder = 1;
    double limit = std::ceil(double(engineLimit.load()) / 1000);
    fits_write_key(file, TINT, "IMAGEW", &width, "image width", &status);
    fits_write_key(file, TINT, "IMAGEH", &height, "image height", &status);
    fits_write_key(file, TLOGICAL, "ANRUN", &yes, "solve this field", &status);
    fits_write_key(file, TDOUBLE, "ANCLIM", &limit, "CPU time limit (seconds)", &status);
    double low = WidestScales[0], high = WidestScales[1];
    if (request.scale) {
        low = *request.scale * (1 - ScaleMargin);
        high = *request.scale * (1 + ScaleMargin);
    }
    fits_write_key(file, TDOUBLE, "ANAPPL1", &low, "scale: arcsec/pixel min", &status);
    fits_write_key(file, TDOUBLE, "ANAPPU1", &high, "scale: arcsec/pixel max", &status);
    fits_write_key(file, TLOGICAL, "ANTWEAK", &yes, "tweak", &status);
    fits_write_key(file, TLONG, "ANTWEAKO", &tweakOrder, "tweak order: linear", &status);
    for (const auto &[key, name] : {std::pair{"ANSOLVED", "solved"}, {"ANWCS", "field.wcs"}, {"ANCORR", "field.corr"}}) {
        QByteArray value = fileName(QDir(folder).filePath(QLatin1String(name)));
        fits_write_key(file, TSTRING, key, value.data(), nullptr, &status);
    }
    if (request.pointing) {
        double ra = request.pointing->ra, dec = request.pointing->dec, radius = HintRadius;
        fits_write_key(file, TDOUBLE, "ANERA", &ra, "RA centre estimate (deg)", &status);
        fits_write_key(file, TDOUBLE, "ANEDEC", &dec, "Dec centre estimate (deg)", &status);
        fits_write_key(file, TDOUBLE, "ANERAD", &radius, "search radius (deg)", &status);
    }
    char x[] = "X", y[] = "Y", flux[] = "FLUX", real[] = "D";
    char *names[] = {x, y, flux};
    char *forms[] = {real, real, real};
    fits_create_tbl(file, BINARY_TBL, 0, 3, names, forms, nullptr, nullptr, &status);
    std::vector<double> columns[3];
    for (const FoundStar &star : request.stars) {
        columns[0].push_back(Imaging::toFits(star.at.x()));
        columns[1].push_back(Imaging::toFits(star.at.y()));
        columns[2].push_back(star.flux);
    }
    for (int column = 0; column < 3; ++column)
        fits_write_col(file, TDOUBLE, column + 1, 1, 1, LONGLONG(request.stars.size()), columns[column].data(), &status);
    int closing = 0;
    fits_close_file(file, &closing);
    return status == 0 && closing == 0;
}

// The engine's system and its numbers.
Solution readSolution(const QString &folder, int width, int height)
{
    Solution solution;
    int status = 0;
    fitsfile *file = nullptr;
    if (fits_open_diskfile(&file, fileName(QDir(folder).filePath(QStringLiteral("field.wcs"))).constData(), READONLY,
                           &status)) {
        solution.problem = SolveText::NoSolution;
        return solution;
    }
    char *header = nullptr;
    int count = 0;
    fits_hdr2str(file, 1, nullptr, 0, &header, &count, &status);
    const QByteArray cards = status == 0 ? QByteArray(header) : QByteArray();
    if (header)
        fits_free_memory(header, &status);
    LinearWcs linear;
    const char *keys[2][2] = {{"CD1_1", "CD1_2"}, {"CD2_1", "CD2_2"}};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j)
            fits_read_key(file, TDOUBLE, keys[i][j], &linear.cd[i][j], nullptr, &status);
    }
    int closing = 0;
    fits_close_file(file, &closing);
    const Imaging::WcsCards checked = Imaging::wcsCards(cards);
    if (status != 0 || !checked.hasAxes || !checked.problem.isEmpty()
        || !Imaging::SkyFrame::read(checked.cards, width, height).frame) {
        solution.problem = SolveText::NoSolution;
        return solution;
    }
    solution.cards = checked.cards;
    solution.scale = scaleArcsec(linear);
    solution.rotation = rotationDegrees(linear);
    // The correspondences' table: one row per star matched.
    status = 0;
    if (!fits_open_diskfile(&file, fileName(QDir(folder).filePath(QStringLiteral("field.corr"))).constData(), READONLY,
                            &status)) {
        int type = 0;
        fits_movabs_hdu(file, 2, &type, &status);
        long rows = 0;
        fits_get_num_rows(file, &rows, &status);
        solution.matched = status == 0 ? int(rows) : 0;
        fits_close_file(file, &closing);
    }
    return solution;
}

} // namespace

std::optional<double> headerScale(const Imaging::HeaderKeys &keys)
{
    const std::optional<double> direct = Imaging::headerNumber(keys, Imaging::HeaderKey::PixelScale);
    if (direct && *direct > 0)
        return direct;
    const std::optional<double> size = Imaging::headerNumber(keys, Imaging::HeaderKey::PixelSize);
    const std::optional<double> focal = Imaging::headerNumber(keys, Imaging::HeaderKey::FocalLength);
    if (size && focal && *size > 0 && *focal > 0)
        return *size * 1e-3 / *focal * ArcsecPerRadian;
    return std::nullopt;
}

QString narrowField(int width, int height, double scale)
{
    const double across = width * scale / 60, up = height * scale / 60;
    if (std::max(across, up) >= NarrowestField)
        return QString();
    const QLocale locale;
    return SolveText::TooNarrow.arg(locale.toString(across, 'f', 1), locale.toString(up, 'f', 1));
}

QString solvedText(const Solution &solution)
{
    const QLocale locale;
    return SolveText::Solved.arg(QString::number(solution.matched), locale.toString(solution.scale, 'f', 2),
                                 locale.toString(solution.rotation, 'f', 1));
}

Solution solve(const SolveRequest &request, const std::function<bool()> &cancelled)
{
    Solution solution;
    if (int(request.stars.size()) < LeastStars) {
        solution.problem = SolveText::TooFewStars;
        return solution;
    }
    const QString engine = enginePath();
    if (engine.isEmpty()) {
        solution.problem = SolveText::NotInstalled;
        return solution;
    }
    QString configuration;
    {
        EnginePlace &place = enginePlace();
        const QMutexLocker lock(&place.mutex);
        configuration = place.configuration;
    }
    const QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("field.axy"));
    if (!folder.isValid() || !writeInput(input, folder.path(), request)) {
        solution.problem = SolveText::Unwritable;
        return solution;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setWorkingDirectory(folder.path());
    QStringList arguments;
    if (!configuration.isEmpty())
        arguments << QStringLiteral("-c") << configuration;
    process.start(engine, arguments << input);
    if (!process.waitForStarted()) {
        solution.problem = SolveText::NotInstalled;
        return solution;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(engineLimit.load());
    bool finished = false;
    while (!finished && std::chrono::steady_clock::now() < deadline && !cancelled())
        finished = process.waitForFinished(50);
    if (!finished) {
        process.kill();
        process.waitForFinished(-1);
        solution.problem = cancelled() ? SolveText::Cancelled : SolveText::NoSolution;
        return solution;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        solution.problem = SolveText::Crashed;
        return solution;
    }
    if (!QFileInfo::exists(folder.filePath(QStringLiteral("solved")))) {
        solution.problem = SolveText::NoSolution;
        return solution;
    }
    return readSolution(folder.path(), request.width, request.height);
}

QString enginePath()
{
    EnginePlace &place = enginePlace();
    const QMutexLocker lock(&place.mutex);
    for (const QString &folder : place.folders) {
        const QFileInfo engine(QDir(folder).filePath(EngineName));
        if (engine.isFile() && engine.isExecutable())
            return engine.absoluteFilePath();
    }
    return QString();
}

void setEngineFolders(const QStringList &folders)
{
    EnginePlace &place = enginePlace();
    const QMutexLocker lock(&place.mutex);
    place.folders = folders;
}

void setEngineConfiguration(const QString &path)
{
    EnginePlace &place = enginePlace();
    const QMutexLocker lock(&place.mutex);
    place.configuration = path;
}

void setEngineLimit(std::chrono::milliseconds limit)
{
    engineLimit = limit.count();
}

} // namespace Astrometry

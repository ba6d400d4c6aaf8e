#include "fitsimage.h"

#include "files/textfile.h"
#include "imaging/fitspixels.h"
#include "imaging/halves.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

#include <fitsio.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Imaging {

namespace {

constexpr float Invalid = std::numeric_limits<float>::quiet_NaN();
constexpr qint64 CardBytes = 80;

// How the helper's work ended: Failed when it found the file damaged (or
// crashed on it), Broken when it did not do its part, TimedOut when it was
// ended at the limit, Unavailable when there is no helper to run.
enum class Apart { Done, Failed, Broken, TimedOut, Unavailable };

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

QString problemText(const char *problem, const QString &path)
{
    return QString::fromUtf8(problem).arg(QFileInfo(path).fileName());
}

FitsLoad refused(const char *problem, const QString &path) { return {std::nullopt, problemText(problem, path)}; }

QString tooLarge(const QString &path, qint64 maxPixels)
{
    return problemText(LoadProblem::TooLarge, path).arg(maxPixels);
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

// The keys that size a header's data: CFITSIO takes memory by them as it
// moves to a compressed image, whatever they hold.
bool sizesData(const QString &name)
{
    static const QRegularExpression sizes(QStringLiteral("^(NAXIS\\d*|PCOUNT|GCOUNT)$"));
    return sizes.match(name).hasMatch();
}

// A number as CFITSIO reads it: printable ASCII only, where Qt would also
// take a no-break space for a blank.
std::optional<double> structuralNumber(const QString &value)
{
    const bool ascii = std::all_of(value.cbegin(), value.cend(), [](QChar c) { return c >= u' ' && c <= u'~'; });
    return ascii ? parseHeaderNumber(value) : std::nullopt;
}

// Moving to a header, CFITSIO takes memory by a table's sizes and reads a
// compressed image's numbers, and on a damaged one reads garbage or guesses:
// such a header is looked at from its own bytes first. Why CFITSIO may not
// move to the header at `start`; none when it may.
const char *unsafeHeader(QFile &file, qint64 start)
{
    // The compressed image's own numbers, which CFITSIO reads as it moves to
    // the header; a value that is no number can run it past its buffers.
    static const QRegularExpression imageNumber(QStringLiteral("^(ZBITPIX|ZNAXIS\\d*|ZTILE\\d+|ZVAL\\d+)$"));
    const QMultiHash<QString, QString> keys = rawHeaderKeys(file, start, [](const QString &name) {
        static const QStringList named{QStringLiteral("XTENSION"), QStringLiteral("BITPIX"), QStringLiteral("TFIELDS"),
                                       QStringLiteral("ZIMAGE")};
        return named.contains(name) || imageNumber.match(name).hasMatch() || sizesData(name);
    });
    // Where a key repeats, CFITSIO may read another card than the one looked at.
    for (auto key = keys.cbegin(); key != keys.cend(); ++key) {
        if (keys.count(key.key()) > 1)
            return LoadProblem::NotFits;
    }
    // CFITSIO takes a value opening with "(" for a complex number, and reads
    // on to whatever ")" follows.
    for (auto key = keys.cbegin(); key != keys.cend(); ++key) {
        const std::optional<double> number = structuralNumber(key.value());
        const bool whole = number && *number == std::floor(*number);
        const bool count = sizesData(key.key()) || key.key() == QLatin1String("TFIELDS");
        if ((count && !(whole && *number >= 0)) || (key.key() == QLatin1String("BITPIX") && !whole))
            return LoadProblem::NotFits;
    }
    if (parseHeaderNumber(keys.value(QStringLiteral("TFIELDS"))).value_or(0) > MaxTableFields)
        return LoadProblem::NotFits;
    // CFITSIO reads a table's opening cards by their places, and where one
    // is missing, or has no value sign, goes on with a size it never read.
    static const QStringList tables{QStringLiteral("BINTABLE"), QStringLiteral("A3DTABLE"),
                                    QStringLiteral("3DTABLE"), QStringLiteral("TABLE")};
    static const QList<QByteArray> opening{"XTENSION", "BITPIX", "NAXIS", "NAXIS1",
                                           "NAXIS2",   "PCOUNT", "GCOUNT", "TFIELDS"};
    if (tables.contains(keys.value(QStringLiteral("XTENSION")))) {
        file.seek(start);
        const QByteArray cards = file.read(opening.size() * CardBytes);
        for (qsizetype card = 0; card < opening.size(); ++card) {
            if (cards.mid(card * CardBytes, 8).trimmed() != opening[card]
                || cards.mid(card * CardBytes + 8, 2) != "= ")
                return LoadProblem::NotFits;
        }
    }
    if (!keys.contains(QStringLiteral("ZIMAGE")))
        return nullptr;
    // CFITSIO reads the first digits of "0   32" and takes a value no number
    // gives for absent, and a default in its place.
    for (auto key = keys.cbegin(); key != keys.cend(); ++key) {
        if (imageNumber.match(key.key()).hasMatch() && !structuralNumber(key.value()))
            return LoadProblem::Damaged;
    }
    return nullptr;
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
            keys.insert(QString::fromLatin1(name), unquotedValue(value));
    }
    return keys;
}

// Every card of the current header, as WCSLIB reads them.
QByteArray headerCards(fitsfile *file)
{
    char *text = nullptr;
    int count = 0;
    int status = 0;
    QByteArray cards;
    if (fits_convert_hdr2str(file, 0, nullptr, 0, &text, &count, &status) == 0)
        cards = QByteArray(text); // count cards, ended by a NUL
    // CFITSIO does nothing on an error status, freeing included: a fresh one.
    int freeing = 0;
    if (text)
        fits_free_memory(text, &freeing);
    return cards;
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
// joined to the image's edge through other zeros is no sky. Whether there
// was any.
bool invalidateZeroBorder(Pixels &pixels, int width, int height)
{
    std::vector<quint32> pending;
    bool any = false;
    const auto visit = [&](quint32 i) {
        if (pixels[i] == 0.0f) {
            pixels[i] = Invalid;
            pending.push_back(i);
            any = true;
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
    return any;
}

// Beside the program (the build tree), then where the package installs it.
QStringList programFolders()
{
    const QDir program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return {program.path(), QDir::cleanPath(program.filePath(QStringLiteral(VEVURID_MODULE_FROM_PROGRAM)))};
}

// Where the helper is looked for, and the one found there, shared by every
// thread that loads an image.
struct HelperPlace
{
    QMutex mutex;
    QStringList folders = programFolders();
    std::optional<QString> found; // looked for, perhaps in vain
};

HelperPlace &helperPlace()
{
    static HelperPlace place;
    return place;
}

std::atomic<std::chrono::milliseconds::rep> helperLimit{std::chrono::milliseconds(HelperLimit).count()};

// The helper, looked for again when `again`.
QString helperPath(bool again)
{
    HelperPlace &place = helperPlace();
    const QMutexLocker lock(&place.mutex);
    if (again || !place.found)
        place.found = fitsHelperIn(place.folders);
    return *place.found;
}

// The helper started on the file open at `file` with `arguments`, and with
// the shared memory at `pixels` when it reads them; -1 when it cannot start.
pid_t startHelper(const QString &helper, int file, const std::vector<LONGLONG> &arguments, int pixels)
{
    const QByteArray program = QFile::encodeName(helper);
    std::vector<std::string> texts{program.toStdString()};
    for (const LONGLONG argument : arguments)
        texts.push_back(std::to_string(argument));
    std::vector<char *> argv;
    argv.reserve(texts.size() + 1);
    for (std::string &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    // Copies above the helper's own numbers, so that placing one there
    // cannot overwrite the other.
    const int fileCopy = fcntl(file, F_DUPFD_CLOEXEC, 10);
    const int pixelsCopy = pixels >= 0 ? fcntl(pixels, F_DUPFD_CLOEXEC, 10) : -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileCopy, FileDescriptor);
    if (pixelsCopy >= 0)
        posix_spawn_file_actions_adddup2(&actions, pixelsCopy, PixelsDescriptor);
    pid_t child = -1;
    const bool started = fileCopy >= 0 && (pixels < 0 || pixelsCopy >= 0)
        && posix_spawn(&child, program.constData(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    for (const int copy : {fileCopy, pixelsCopy}) {
        if (copy >= 0)
            close(copy);
    }
    return started ? child : -1;
}

// The helper's end, waited for up to the limit: one that never ends would
// hold the window for ever, so it is ended then (at once, if it cannot be
// watched).
Apart helperEnd(pid_t child)
{
    // Through syscall(): Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    const int watch = int(syscall(SYS_pidfd_open, child, 0));
    bool ended = false;
    if (watch >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(helperLimit.load());
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd end{watch, POLLIN, 0};
            const int ready = poll(&end, 1, int(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
            ended = ready > 0;
            if (ready >= 0 || errno != EINTR)
                break;
        }
        close(watch);
    }
    if (!ended)
        kill(child, SIGKILL);
    int outcome = 0;
    pid_t waited = -1;
    do
        waited = waitpid(child, &outcome, 0);
    while (waited < 0 && errno == EINTR);
    if (!ended)
        return watch >= 0 ? Apart::TimedOut : Apart::Broken;
    return waited == child && WIFEXITED(outcome) && WEXITSTATUS(outcome) == 0 ? Apart::Done : Apart::Failed;
}

// Runs the helper on the file open at `file` with `arguments`, and with the
// shared memory at `pixels` when it reads them.
Apart runApart(int file, const std::vector<LONGLONG> &arguments, int pixels = -1)
{
    // One that cannot start may have been removed or replaced since it was
    // found: another may stand in the folders now.
    for (const bool again : {false, true}) {
        const QString helper = helperPath(again);
        if (helper.isEmpty())
            return Apart::Unavailable;
        if (const pid_t child = startHelper(helper, file, arguments, pixels); child >= 0)
            return helperEnd(child);
    }
    return Apart::Unavailable;
}

const char *apartProblem(Apart ended)
{
    switch (ended) {
    case Apart::Unavailable: return LoadProblem::NoHelper;
    case Apart::Broken: return LoadProblem::HelperFailed;
    case Apart::TimedOut: return LoadProblem::HelperStopped;
    default: return LoadProblem::Damaged;
    }
}

// Debian's CFITSIO also reads past its buffers on some damaged compressed
// tiles: the helper decompresses them into memory shared with it, which it
// sizes itself, so that what it wrote is told by its size.
Apart readCompressedApart(int handle, fitsfile *file, const std::vector<LONGLONG> &first, Pixels &pixels)
{
    int hdu = 0;
    fits_get_hdu_num(file, &hdu);
    const size_t bytes = pixels.size() * sizeof(float);
    const int shared = memfd_create("vevurid-pixels", MFD_CLOEXEC);
    if (shared < 0)
        return Apart::Failed;
    std::vector<LONGLONG> arguments{hdu, LONGLONG(pixels.size())};
    arguments.insert(arguments.end(), first.cbegin(), first.cend());
    Apart read = runApart(handle, arguments, shared);
    struct stat written;
    if (read == Apart::Done && (fstat(shared, &written) != 0 || quint64(written.st_size) != bytes))
        read = Apart::Broken;
    if (read == Apart::Done) {
        void *mapped = mmap(nullptr, bytes, PROT_READ, MAP_SHARED, shared, 0);
        if (mapped == MAP_FAILED) {
            read = Apart::Failed;
        } else {
            std::memcpy(pixels.data(), mapped, bytes);
            munmap(mapped, bytes);
        }
    }
    close(shared);
    return read;
}

// What one pass over pixels just read finds: whether one is valid, and the
// largest value with how many pixels share it.
struct Survey
{
    bool anyValid = false;
    float largest = -std::numeric_limits<float>::infinity();
    qint64 count = 0;

    void add(const Survey &other)
    {
        anyValid = anyValid || other.anyValid;
        if (other.largest > largest) {
            largest = other.largest;
            count = other.count;
        } else if (other.largest == largest) {
            count += other.count;
        }
    }
};

// Drops the infinities from pixels just read, while they are at hand, and
// surveys them: the band's largest value first, then, only where it is the
// image's so far, how many pixels share it.
void settle(float *pixels, std::size_t count, Survey &survey)
{
    constexpr float Infinite = std::numeric_limits<float>::infinity();
    float largest = -Infinite;
    std::size_t i = 0;
#ifdef __SSE2__
    // Four at a time, each lane keeping its own largest. Lanes that meet
    // equal values in another order find the same largest: CFITSIO reads no
    // minus zero (equal to a zero, but not the same) from a file.
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 infinite = _mm_set1_ps(Infinite);
    const __m128 invalid = _mm_set1_ps(Invalid);
    __m128 largests = _mm_set1_ps(-Infinite);
    for (; i + 4 <= count; i += 4) {
        __m128 v = _mm_loadu_ps(pixels + i);
        const __m128 isInfinite = _mm_cmpeq_ps(_mm_and_ps(v, magnitude), infinite);
        v = _mm_or_ps(_mm_and_ps(isInfinite, invalid), _mm_andnot_ps(isInfinite, v));
        _mm_storeu_ps(pixels + i, v);
        largests = _mm_max_ps(v, largests); // v > largest ? v : largest, as below
    }
    float lanes[4];
    _mm_storeu_ps(lanes, largests);
    for (const float lane : lanes)
        largest = lane > largest ? lane : largest;
#endif
    for (; i < count; ++i) {
        const float v = std::fabs(pixels[i]) == Infinite ? Invalid : pixels[i];
        pixels[i] = v;
        largest = v > largest ? v : largest; // never a NaN
    }
    if (largest == -Infinite || largest < survey.largest)
        return;
    survey.anyValid = true;
    if (largest > survey.largest) {
        survey.largest = largest;
        survey.count = 0;
    }
    survey.count += std::count(pixels, pixels + count, largest);
}

// A camera with fewer bits than its file clips at its largest code, which a
// negative scale makes the smallest value: a plateau at the top is then no
// camera's, and the type's largest value comes from its smallest code.
double plateauOrTypeMaximum(const Survey &survey, int bitpix, const HeaderKeys &keys)
{
    const double typeMax = typeMaximum(bitpix, keys);
    if (parseHeaderNumber(keys.value(QStringLiteral("BSCALE"))).value_or(1) < 0)
        return typeMax;
    return survey.count >= 3 ? double(survey.largest) : typeMax;
}

// Raw pixels are read a band of rows at a time, so that the pass keeps none.
constexpr LONGLONG ScanRows = 64;

// The largest valid pixel, how many pixels share it, and whether a pixel of
// the edge is zero, in the file's own numbers.
template<typename Raw>
struct RawScan
{
    Raw largest = std::numeric_limits<Raw>::lowest();
    qint64 count = 0;
    bool zeroOnEdge = false;
};

// Blank pixels are no value, and neither are NaN and infinities.
template<typename Raw>
struct ValidPixel
{
    std::optional<Raw> blank;

    bool operator()(Raw v) const
    {
        if constexpr (std::numeric_limits<Raw>::is_integer)
            return !blank || v != *blank;
        else
            return std::fabs(v) < std::numeric_limits<Raw>::infinity();
    }
};

// CFITSIO reads a subnormal float as 0: so does the pass.
template<typename Raw>
Raw asRead(Raw v)
{
    if constexpr (std::numeric_limits<Raw>::is_integer)
        return v;
    else
        return std::fabs(v) < std::numeric_limits<Raw>::min() ? Raw(0) : v;
}

// Kept apart from the edge test, so that the compiler can vectorise it.
template<typename Raw>
void scanLargest(const Raw *values, std::size_t count, const ValidPixel<Raw> &valid, RawScan<Raw> &scan)
{
    Raw largest = std::numeric_limits<Raw>::lowest();
    for (std::size_t i = 0; i < count; ++i) {
        const Raw v = asRead(values[i]);
        largest = valid(v) && v > largest ? v : largest;
    }
    if (largest < scan.largest)
        return;
    if (largest > scan.largest) {
        scan.largest = largest;
        scan.count = 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const Raw v = asRead(values[i]);
        scan.count += v == largest && valid(v);
    }
}

template<typename Raw>
bool scanRaw(fitsfile *file, int type, const std::vector<LONGLONG> &axes, std::optional<Raw> zero,
             const ValidPixel<Raw> &valid, RawScan<Raw> &scan)
{
    const LONGLONG width = axes[0];
    const LONGLONG height = axes.size() > 1 ? axes[1] : 1;
    std::vector<Raw> band(std::size_t(width * std::min(height, ScanRows)));
    std::vector<LONGLONG> first(axes.size(), 1);
    const auto isZero = [&](Raw v) { return zero && asRead(v) == *zero && valid(v); };
    int status = 0;
    for (LONGLONG row = 0; row < height && status == 0; row += ScanRows) {
        const LONGLONG rows = std::min(ScanRows, height - row);
        if (first.size() > 1)
            first[1] = row + 1;
        int anyBlank = 0;
        fits_read_pixll(file, type, first.data(), rows * width, nullptr, band.data(), &anyBlank, &status);
        scanLargest(band.data(), std::size_t(rows * width), valid, scan);
        for (LONGLONG r = 0; r < rows; ++r) {
            const Raw *line = band.data() + r * width;
            if (row + r == 0 || row + r == height - 1)
                scan.zeroOnEdge = scan.zeroOnEdge || std::any_of(line, line + width, isZero);
            else
                scan.zeroOnEdge = scan.zeroOnEdge || isZero(line[0]) || isZero(line[width - 1]);
        }
    }
    return status == 0;
}

// `value` as a Raw, if one holds it exactly.
template<typename Raw>
std::optional<Raw> exactly(std::optional<double> value)
{
    // An integer type's largest value + 1 is a power of 2, which a double holds.
    using Limits = std::numeric_limits<Raw>;
    const double beyond = Limits::is_integer ? double(Limits::max()) + 1 : Limits::infinity();
    if (!value || !(*value >= double(Limits::lowest())) || !(*value < beyond) || double(Raw(*value)) != *value)
        return std::nullopt;
    return Raw(*value);
}

} // namespace

struct OpenedFits
{
    QFile checked;
    OpenFits fits;
    std::vector<LONGLONG> axes;
    HeaderKeys keys;
    QByteArray cards;
    int bitpix = 0;
    bool compressed = false;
    double scale = 1; // BSCALE and BZERO, uncompressed images only
    double zero = 0;
    std::optional<LONGLONG> blank; // integer images' BLANK, uncompressed only

    LONGLONG width() const { return axes[0]; }
    LONGLONG height() const { return axes.size() > 1 ? axes[1] : 1; }
};

namespace {

// Opens `path` and checks it can hold its first image; the problem, with
// the file's name, when it cannot.
QString openChecked(OpenedFits &opened, const QString &path, qint64 maxPixels)
{
    const char *const refusals[] = {nullptr, LoadProblem::Missing, LoadProblem::Folder, LoadProblem::NotRegular,
                                    LoadProblem::Unreadable};
    QFile &checked = opened.checked;
    if (const Files::ReadRefusal refusal = Files::openForReading(checked, path); refusal != Files::ReadRefusal::None)
        return problemText(refusals[int(refusal)], path);
    const QByteArray start = checked.peek(6);
    if (start.startsWith("\x1f\x8b"))
        return problemText(LoadProblem::Gzipped, path);
    if (!start.startsWith("SIMPLE"))
        return problemText(LoadProblem::NotFits, path);
    if (const char *problem = unsafeHeader(checked, 0))
        return problemText(problem, path);

    // CFITSIO opens by name. The descriptor's own name is the very file just
    // checked, whatever happens to `path` meanwhile, and holds no syntax.
    const QByteArray name = "/proc/self/fd/" + QByteArray::number(checked.handle());
    int status = 0;
    fitsfile *&file = opened.fits.file;
    if (fits_open_diskfile(&file, name.constData(), READONLY, &status) != 0)
        return problemText(endedEarly(status) ? LoadProblem::Truncated : LoadProblem::NotFits, path);

    std::vector<LONGLONG> &axes = opened.axes;
    for (int hdu = 1; axes.empty(); ++hdu) {
        int type = 0;
        int dimensions = 0;
        LONGLONG next = 0; // where the current HDU ends, and the next header starts
        if (hdu > 1 && fits_get_hduaddrll(file, nullptr, nullptr, &next, &status) == 0) {
            if (const char *problem = unsafeHeader(checked, next))
                return problemText(problem, path);
            // Moving to a later header, CFITSIO builds a table's columns and a
            // compressed image's parameters, and the checks cannot foresee
            // every damaged card it crashes on: the helper moves there first.
            if (const Apart moved = runApart(checked.handle(), {hdu}); moved != Apart::Done)
                return problemText(apartProblem(moved), path);
        }
        if (fits_movabs_hdu(file, hdu, &type, &status) != 0)
            return problemText(hdu > 1 && status == END_OF_FILE ? LoadProblem::NoImage : LoadProblem::NotFits, path);
        if (type != IMAGE_HDU || fits_get_img_dim(file, &dimensions, &status) != 0 || dimensions == 0)
            continue;
        axes.resize(std::size_t(dimensions));
        if (fits_get_img_sizell(file, dimensions, axes.data(), &status) != 0)
            return problemText(LoadProblem::NotFits, path);
        if (std::any_of(axes.cbegin(), axes.cend(), [](LONGLONG n) { return n <= 0; }))
            axes.clear();
    }
    const LONGLONG width = opened.width(), height = opened.height();
    if (width > maxPixels || height > maxPixels || width * height > maxPixels)
        return tooLarge(path, maxPixels);
    opened.keys = readKeys(file);
    opened.cards = headerCards(file);
    fits_get_img_type(file, &opened.bitpix, &status);
    opened.compressed = fits_is_compressed_image(file, &status);
    if (opened.compressed) {
        if (tilePixels(opened.keys) > maxPixels)
            return tooLarge(path, maxPixels);
        // Damaged tile descriptors can still decompress into an image: the
        // sum of the compressed data, where the file has one, tells.
        int dataSum = 0, headerSum = 0;
        if (fits_verify_chksum(file, &dataSum, &headerSum, &status) != 0 || dataSum < 0)
            return problemText(LoadProblem::Damaged, path);
    } else {
        LONGLONG dataStart = 0;
        fits_get_hduaddrll(file, nullptr, &dataStart, nullptr, &status);
        if (dataStart + width * height * std::abs(opened.bitpix) / 8 > checked.size())
            return problemText(LoadProblem::Truncated, path);
        // CFITSIO takes a scale that is no number as 0, and has its own
        // reading of a damaged BLANK: the pixels are scaled and blanked as
        // this program reads the header, or not read at all.
        const auto number = [&opened](const char *name, double absent) {
            const QString key = QLatin1String(name);
            return opened.keys.contains(key) ? parseHeaderNumber(opened.keys.value(key)) : absent;
        };
        const std::optional<double> scale = number("BSCALE", 1), zero = number("BZERO", 0);
        if (!scale || !zero || fits_set_bscale(file, *scale, *zero, &status) != 0)
            return problemText(LoadProblem::NotFits, path);
        opened.scale = *scale;
        opened.zero = *zero;
        if (opened.bitpix > 0 && opened.keys.contains(QStringLiteral("BLANK"))) {
            const std::optional<LONGLONG> blank = exactly<LONGLONG>(number("BLANK", 0));
            if (!blank || fits_set_imgnull(file, *blank, &status) != 0)
                return problemText(LoadProblem::NotFits, path);
            opened.blank = blank;
        }
    }
    return QString();
}

// The image without its pixels.
FitsImage described(const OpenedFits &opened)
{
    FitsImage image;
    image.width = int(opened.width());
    image.height = int(opened.height());
    for (std::size_t k = 2; k < opened.axes.size(); ++k)
        image.firstPlaneOnly = image.firstPlaneOnly || opened.axes[k] > 1;
    image.header = readHeader(opened.keys);
    image.headerCards = opened.cards;
    return image;
}

// A second handle on an open image, for a second thread: CFITSIO shares one
// between two openings of the same name, and a duplicated descriptor's name
// is another.
struct SecondHandle
{
    int descriptor = -1;
    OpenFits fits; // closed before the descriptor

    SecondHandle() = default;
    SecondHandle(const SecondHandle &) = delete;
    SecondHandle &operator=(const SecondHandle &) = delete;
    ~SecondHandle()
    {
        if (fits.file) {
            int status = 0;
            fits_close_file(fits.file, &status);
            fits.file = nullptr;
        }
        if (descriptor >= 0)
            close(descriptor);
    }

    // At the same image, with the same scale and blank value as `opened`.
    bool open(const OpenedFits &opened)
    {
        descriptor = fcntl(opened.checked.handle(), F_DUPFD_CLOEXEC, 0);
        if (descriptor < 0)
            return false;
        const QByteArray name = "/proc/self/fd/" + QByteArray::number(descriptor);
        int status = 0, hdu = 0, type = 0;
        fits_get_hdu_num(opened.fits.file, &hdu);
        fits_open_diskfile(&fits.file, name.constData(), READONLY, &status);
        fits_movabs_hdu(fits.file, hdu, &type, &status);
        fits_set_bscale(fits.file, opened.scale, opened.zero, &status);
        if (opened.blank)
            fits_set_imgnull(fits.file, *opened.blank, &status);
        return status == 0;
    }
};

// Rows [from, to) of the first plane as readPixels gives them, settled a
// band at a time while the band is in the cache; CFITSIO's status.
int readRows(fitsfile *file, std::size_t dimensions, std::size_t width, std::size_t from, std::size_t to,
             float *pixels, Survey &survey)
{
    const std::size_t band = std::max<std::size_t>(1, (std::size_t(1) << 16) / width);
    std::vector<LONGLONG> first(dimensions, 1);
    for (std::size_t row = from; row < to; row += band) {
        const std::size_t rows = std::min(band, to - row);
        if (first.size() > 1)
            first[1] = LONGLONG(row) + 1;
        float *const at = pixels + row * width;
        if (const int status = readPixels(file, first.data(), at, LONGLONG(rows) * LONGLONG(width)))
            return status;
        settle(at, rows * width, survey);
    }
    return 0;
}

// The first plane's pixels as readPixels gives them, infinities dropped: on
// two threads, a half of the rows each, where the image is large. CFITSIO's
// status, the first half's first.
int readPlane(const OpenedFits &opened, Pixels &pixels, Survey &survey)
{
    const std::size_t width = std::size_t(opened.width());
    const std::size_t height = pixels.size() / width;
    SecondHandle second;
    if (pixels.size() < SplitFromPixels || !second.open(opened))
        return readRows(opened.fits.file, opened.axes.size(), width, 0, height, pixels.data(), survey);
    int statuses[2] = {0, 0};
    Survey halves[2];
    inHalves(
        pixels.size(), [width](std::size_t count) { return count / width / 2 * width; },
        [&](std::size_t from, std::size_t to) {
            // The second half's thread has the second handle, or none started and the first reads all.
            fitsfile *file = from > 0 ? second.fits.file : opened.fits.file;
            statuses[from > 0] = readRows(file, opened.axes.size(), width, from / width, to / width,
                                          pixels.data(), halves[from > 0]);
        });
    survey.add(halves[0]);
    survey.add(halves[1]);
    return statuses[0] != 0 ? statuses[0] : statuses[1];
}

FitsLoad readWhole(OpenedFits &opened, const QString &path)
{
    FitsImage image = described(opened);
    image.held = QRect(0, 0, image.width, image.height);
    image.pixels.resize(std::size_t(opened.width() * opened.height()));
    Survey survey;
    if (opened.compressed) {
        const std::vector<LONGLONG> first(opened.axes.size(), 1);
        const Apart read = readCompressedApart(opened.checked.handle(), opened.fits.file, first, image.pixels);
        if (read != Apart::Done)
            return refused(apartProblem(read), path);
        settle(image.pixels.data(), image.pixels.size(), survey);
    } else if (const int problem = readPlane(opened, image.pixels, survey)) {
        return refused(endedEarly(problem) ? LoadProblem::Truncated : LoadProblem::NotFits, path);
    }
    if (!survey.anyValid)
        return refused(LoadProblem::NoValidPixels, path);
    // Zeros cleared from the edge change what the survey found only where
    // no valid pixel is above zero.
    if (invalidateZeroBorder(image.pixels, image.width, image.height) && survey.largest == 0.0f) {
        survey = Survey();
        settle(image.pixels.data(), image.pixels.size(), survey);
    }
    if (!survey.anyValid)
        return refused(LoadProblem::Empty, path);
    image.saturation = image.header.saturation
        ? *image.header.saturation
        : plateauOrTypeMaximum(survey, opened.bitpix, opened.keys);
    return {std::move(image), QString()};
}

// The saturation level loadFits would find without a header's, from a pass
// that keeps no pixel; none where it could differ. Only unscaled 8- and
// 16-bit and float pixels qualify, whose every value a float holds exactly,
// and only images with no zero on their edge, which loadFits would clear,
// and with a valid pixel, which loadFits would refuse.
template<typename Raw>
std::optional<double> scannedSaturation(OpenedFits &opened, int type, double zero)
{
    ValidPixel<Raw> valid;
    if (std::numeric_limits<Raw>::is_integer)
        valid.blank = exactly<Raw>(parseHeaderNumber(opened.keys.value(QStringLiteral("BLANK"))));
    int status = 0;
    fits_set_bscale(opened.fits.file, 1, 0, &status);
    RawScan<Raw> scan;
    const bool read = scanRaw<Raw>(opened.fits.file, type, opened.axes, exactly<Raw>(-zero), valid, scan);
    fits_set_bscale(opened.fits.file, 1, zero, &status);
    if (!read || status != 0 || scan.zeroOnEdge || scan.count == 0)
        return std::nullopt;
    return scan.count >= 3 ? double(scan.largest) + zero : typeMaximum(opened.bitpix, opened.keys);
}

std::optional<double> scannedSaturation(OpenedFits &opened)
{
    const double zero = opened.zero;
    if (opened.compressed || opened.scale != 1 || zero != std::round(zero) || std::fabs(zero) > (1 << 23))
        return std::nullopt;
    switch (opened.bitpix) {
    case BYTE_IMG: return scannedSaturation<unsigned char>(opened, TBYTE, zero);
    case SHORT_IMG: return scannedSaturation<short>(opened, TSHORT, zero);
    case FLOAT_IMG: return zero == 0 ? scannedSaturation<float>(opened, TFLOAT, zero) : std::nullopt;
    default: return std::nullopt;
    }
}

} // namespace

void *takePixelMemory(std::size_t bytes)
{
    constexpr std::size_t LargePage = std::size_t(1) << 21;
    void *memory = nullptr;
    if (bytes < 2 * LargePage) {
        memory = std::malloc(std::max<std::size_t>(bytes, 1));
    } else {
        const std::size_t pages = bytes / LargePage + (bytes % LargePage != 0);
        memory = std::aligned_alloc(LargePage, pages * LargePage);
        // Only a wish: refused, the pages are small.
        if (memory)
            madvise(memory, pages * LargePage, MADV_HUGEPAGE);
    }
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

QString fitsHelperIn(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QFileInfo helper(QDir(folder).filePath(QLatin1String(HelperName)));
        if (helper.isFile() && helper.isExecutable())
            return helper.filePath();
    }
    return QString();
}

QString fitsHelperPath()
{
    return helperPath(false);
}

void setFitsHelperFolders(const QStringList &folders)
{
    HelperPlace &place = helperPlace();
    const QMutexLocker lock(&place.mutex);
    place.folders = folders;
    place.found.reset();
}

void setFitsHelperLimit(std::chrono::milliseconds limit)
{
    helperLimit = limit.count();
}

FitsLoad loadFits(const QString &path, qint64 maxPixels)
{
    OpenedFits opened;
    const QString problem = openChecked(opened, path, maxPixels);
    if (!problem.isEmpty())
        return {std::nullopt, problem};
    return readWhole(opened, path);
}

PartialFits::PartialFits(const QString &path, qint64 maxPixels) : m_path(path), m_opened(std::make_unique<OpenedFits>())
{
    m_load.problem = openChecked(*m_opened, path, maxPixels);
    if (!m_load.problem.isEmpty()) {
        m_opened.reset();
        return;
    }
    if (const std::optional<double> saturation = scannedSaturation(*m_opened)) {
        m_load.image = described(*m_opened);
        m_load.image->saturation = m_load.image->header.saturation.value_or(*saturation);
        return;
    }
    m_load = readWhole(*m_opened, path);
    m_opened.reset();
}

PartialFits::~PartialFits() = default;

QByteArray PartialFits::headerCards() const
{
    return m_load.image ? m_load.image->headerCards : QByteArray();
}

QSize PartialFits::size() const
{
    return m_load.image ? QSize(m_load.image->width, m_load.image->height) : QSize();
}

FitsLoad PartialFits::read(const QRect &part)
{
    if (!m_opened)
        return std::move(m_load);
    FitsImage image = std::move(*m_load.image);
    image.held = part & QRect(0, 0, image.width, image.height);
    image.pixels.resize(std::size_t(image.held.width()) * std::size_t(image.held.height()));
    if (!image.held.isEmpty()) {
        std::vector<long> first(m_opened->axes.size(), 1), last(first), step(first);
        first[0] = image.held.left() + 1;
        last[0] = image.held.right() + 1;
        if (first.size() > 1) {
            first[1] = image.held.top() + 1;
            last[1] = image.held.bottom() + 1;
        }
        int status = 0;
        float blank = Invalid;
        int anyBlank = 0;
        fits_read_subset(m_opened->fits.file, TFLOAT, first.data(), last.data(), step.data(), &blank,
                         image.pixels.data(), &anyBlank, &status);
        if (status != 0)
            return refused(endedEarly(status) ? LoadProblem::Truncated : LoadProblem::NotFits, m_path);
    }
    m_opened.reset();
    return {std::move(image), QString()};
}

namespace {

// Whether a pixel of the image's edge is zero, which loadFits would clear
// with the zeros joined to it; read without keeping the image.
bool edgeHasZero(OpenedFits &opened)
{
    const LONGLONG width = opened.width(), height = opened.height();
    std::vector<long> first(opened.axes.size(), 1), last(first), step(first);
    last[0] = long(width);
    step[0] = long(std::max<LONGLONG>(1, width - 1)); // the first and the last column
    if (first.size() > 1)
        last[1] = long(height);
    std::vector<float> edge(std::size_t(width > 1 ? 2 : 1) * std::size_t(height));
    std::vector<float> row(static_cast<std::size_t>(width));
    int status = 0;
    float blank = Invalid;
    int anyBlank = 0;
    fits_read_subset(opened.fits.file, TFLOAT, first.data(), last.data(), step.data(), &blank, edge.data(),
                     &anyBlank, &status);
    for (const LONGLONG fitsRow : {LONGLONG(1), height}) {
        std::vector<LONGLONG> at(opened.axes.size(), 1);
        if (at.size() > 1)
            at[1] = fitsRow;
        status = status != 0 ? status : readPixels(opened.fits.file, at.data(), row.data(), width);
        edge.insert(edge.end(), row.cbegin(), row.cend());
    }
    // A failed read is told by the band that meets it.
    return status != 0 || std::find(edge.cbegin(), edge.cend(), 0.0f) != edge.cend();
}

} // namespace

FitsRows::FitsRows(const QString &path, EdgeZeros edgeZeros, qint64 maxPixels)
    : m_path(path), m_opened(std::make_unique<OpenedFits>()), m_edgeChecked(edgeZeros == EdgeZeros::Kept)
{
    m_problem = openChecked(*m_opened, path, maxPixels);
    if (m_problem.isEmpty())
        m_described = Imaging::described(*m_opened);
    else
        m_opened.reset();
}

FitsRows::~FitsRows() = default;

bool FitsRows::read(int first, int count, float *pixels)
{
    if (!m_problem.isEmpty())
        return false;
    const int width = m_described.width;
    if (first < 0 || count < 0 || first + count > m_described.height) {
        m_problem = problemText(LoadProblem::NotFits, m_path);
        return false;
    }
    if (m_opened && (m_opened->compressed || (!m_edgeChecked && edgeHasZero(*m_opened)))) {
        FitsLoad whole = readWhole(*m_opened, m_path);
        m_opened.reset();
        m_problem = whole.problem;
        m_whole = std::move(whole.image);
        if (!m_whole)
            return false;
    }
    m_edgeChecked = true;
    const std::size_t size = std::size_t(width) * std::size_t(count);
    if (m_whole) {
        std::copy_n(m_whole->pixels.cbegin() + std::ptrdiff_t(std::size_t(first) * std::size_t(width)), size, pixels);
        return true;
    }
    std::vector<LONGLONG> at(m_opened->axes.size(), 1);
    if (at.size() > 1)
        at[1] = first + 1;
    if (const int status = readPixels(m_opened->fits.file, at.data(), pixels, LONGLONG(size))) {
        m_problem = problemText(endedEarly(status) ? LoadProblem::Truncated : LoadProblem::NotFits, m_path);
        return false;
    }
    for (float *v = pixels; v != pixels + size; ++v) {
        if (std::isinf(*v))
            *v = Invalid;
        m_anyValid = m_anyValid || !std::isnan(*v);
    }
    if (first == m_nextRow)
        m_nextRow += count;
    if (m_nextRow == m_described.height && !m_anyValid) {
        m_problem = problemText(LoadProblem::NoValidPixels, m_path);
        return false;
    }
    return true;
}

} // namespace Imaging

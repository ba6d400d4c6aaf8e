#pragma once
// A FITS image as the photometry sees it: one plane of float pixels, the
// invalid ones NaN, with what its header says.
//
// Coordinates: pixel (x, y) is the unit square centred on the integer point
// (x, y), counted from 0, so pixel (0, 0) is FITS pixel (1, 1) and rows go up
// as FITS rows do. Positions are real numbers in the same frame; fromFits and
// toFits convert a FITS (1-based) coordinate.

#include "imaging/fitsheader.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Imaging {

constexpr double fromFits(double fitsCoordinate) { return fitsCoordinate - 1; }
constexpr double toFits(double coordinate) { return coordinate + 1; }

// The most pixels one plane may hold (a gigabyte of floats).
constexpr qint64 MaxPixels = qint64(1) << 28;

// The most columns the FITS standard lets a table have.
constexpr int MaxTableFields = 999;

// Why a file is refused; each text takes the file's name as %1.
namespace LoadProblem {
inline const char *const Missing = "Impossibile aprire \"%1\": il file non esiste.";
inline const char *const Folder = "Impossibile aprire \"%1\": è una cartella, non un file.";
inline const char *const NotRegular = "Impossibile aprire \"%1\": non è un file normale "
                                      "(è una pipe o un dispositivo).";
inline const char *const Unreadable = "Impossibile aprire \"%1\": il file non può essere letto.";
inline const char *const NotFits = "Impossibile aprire \"%1\": non è un file FITS.";
inline const char *const Gzipped = "Impossibile aprire \"%1\": il file è compresso con gzip: "
                                   "decomprimerlo, oppure usare un file .fz.";
inline const char *const Truncated = "Impossibile aprire \"%1\": il file è troncato.";
inline const char *const Damaged = "Impossibile aprire \"%1\": l'immagine compressa è danneggiata.";
inline const char *const NoImage = "Impossibile aprire \"%1\": il file non contiene un'immagine.";
inline const char *const NoValidPixels = "Impossibile aprire \"%1\": l'immagine non contiene pixel validi "
                                         "(sono tutti vuoti o non numerici).";
inline const char *const Empty = "Impossibile aprire \"%1\": l'immagine è vuota (tutti i suoi pixel valgono zero).";
inline const char *const NoHelper = "Impossibile aprire \"%1\": manca vevurid-fits, il programma che legge "
                                    "le immagini compresse e i file con più intestazioni; reinstallare Vevurid.";
inline const char *const HelperFailed = "Impossibile aprire \"%1\": vevurid-fits, il programma che legge le immagini "
                                        "compresse e i file con più intestazioni, non ha funzionato come doveva; "
                                        "reinstallare Vevurid.";
inline const char *const HelperStopped = "Impossibile aprire \"%1\": vevurid-fits, il programma che legge le immagini "
                                         "compresse e i file con più intestazioni, non ha finito in tempo ed è stato "
                                         "fermato.";
// %2: the most pixels an image may hold.
inline const char *const TooLarge = "Impossibile aprire \"%1\": l'immagine ha più di %2 pixel.";
} // namespace LoadProblem

// Memory for pixels, to be given back with std::free: a large image's in the
// processor's large pages where the system gives them on request, so that
// writing it first faults once per 2 MB rather than once per 4 kB.
void *takePixelMemory(std::size_t bytes);

// Makes the floats of a resize without setting them: a read writes every
// pixel at once, and zeroing a large image first costs as much as reading it.
template<typename T>
struct LeftUnset : std::allocator<T>
{
    template<typename U>
    struct rebind
    {
        using other = LeftUnset<U>;
    };
    LeftUnset() = default;
    template<typename U>
    LeftUnset(const LeftUnset<U> &) noexcept
    {
    }
    T *allocate(std::size_t count) { return static_cast<T *>(takePixelMemory(count * sizeof(T))); }
    void deallocate(T *memory, std::size_t) noexcept { std::free(memory); }
    template<typename U, typename... Values>
    void construct(U *at, Values &&...values)
    {
        if constexpr (sizeof...(Values) == 0)
            ::new (static_cast<void *>(at)) U;
        else
            ::new (static_cast<void *>(at)) U(std::forward<Values>(values)...);
    }
};

// An image's pixels: a resize leaves them unset.
using Pixels = std::vector<float, LeftUnset<float>>;

struct FitsImage
{
    int width = 0;
    int height = 0;
    QRect held; // the pixels read: the whole image, or the part around the stars a series measures
    Pixels pixels; // held's, row by row from its lowest y; NaN where invalid (blank, NaN, infinite, zero border)
    bool firstPlaneOnly = false; // the file holds more planes than this one
    ImageHeader header;
    // The image's header as 80-character cards, for the sky coordinates
    // (SkyFrame::read); a compressed image's as its uncompressed image's.
    QByteArray headerCards;
    // The level from which a pixel counts as saturated: the header's, else a
    // plateau of at least three pixels at the image's largest value (a camera
    // with fewer bits than its file; never under a negative BSCALE), else the
    // largest value the file's type can hold (+inf for floating-point files).
    double saturation = std::numeric_limits<double>::infinity();

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // NaN for a pixel not held.
    float at(int x, int y) const
    {
        if (!held.contains(x, y))
            return std::numeric_limits<float>::quiet_NaN();
        return pixels[std::size_t(y - held.y()) * std::size_t(held.width()) + std::size_t(x - held.x())];
    }
};

struct FitsLoad
{
    std::optional<FitsImage> image;
    QString problem; // when no image: one of LoadProblem's texts, with the file's name
};

// Reads the first image that holds pixels (the primary array, or the first
// extension after an empty one, as in tile-compressed .fz files), first
// plane only. The name is a file name, never CFITSIO's extended syntax, and
// anything but a regular file is refused without waiting on it. A plane, or
// a compressed file's tile, of more than `maxPixels` is refused before any
// memory is taken for it, and so is a plane the file is too short to hold,
// and a header CFITSIO could not move to safely. A compressed image whose
// DATASUM disagrees with its data is damaged; an image with no valid pixel
// is refused.
FitsLoad loadFits(const QString &path, qint64 maxPixels = MaxPixels);

// The helper program that does what CFITSIO may crash on with a damaged
// file (moving to a later header, decompressing tiles): beside the program
// (the build tree), else where the package installs it; empty when there is
// none. One that cannot be started is looked for again.
QString fitsHelperPath();
// The helper as an executable file in the first of `folders` that holds one.
QString fitsHelperIn(const QStringList &folders);
// How long the helper may run before it is ended and the file refused.
constexpr std::chrono::seconds HelperLimit{30};
// For the tests: where the helper is looked for instead, and a limit of their own.
void setFitsHelperFolders(const QStringList &folders);
void setFitsHelperLimit(std::chrono::milliseconds limit);

struct OpenedFits;

// An image read in two steps, for measuring a few stars whose places are
// known only later. Opening checks the file as loadFits does and takes the
// saturation level from one pass over the pixels that keeps none of them;
// `read`, once, then reads only the part asked for. Where that pass could
// not give exactly what loadFits gives (compressed, scaled or 32- and
// 64-bit pixels, zeros on the edge to clear) the image is read whole on
// opening.
class PartialFits
{
public:
    explicit PartialFits(const QString &path, qint64 maxPixels = MaxPixels);
    ~PartialFits();
    PartialFits(const PartialFits &) = delete;
    PartialFits &operator=(const PartialFits &) = delete;

    // The image holding the pixels of `part`, or of the whole image if it was read whole.
    FitsLoad read(const QRect &part);
    // The header's cards and the image's size before `read`; empty for a refused file.
    QByteArray headerCards() const;
    QSize size() const;

private:
    QString m_path;
    std::unique_ptr<OpenedFits> m_opened; // until read, when only the saturation is known
    FitsLoad m_load;                      // the image so far, or why there is none
};

// An image read a band of rows at a time, for combining many frames
// without holding them: the bands give exactly the pixels loadFits gives.
// Opening checks the file as loadFits does and reads no pixel. Where a band
// could not (compressed pixels, zeros on the edge to clear) the image is
// read whole by the first band asked for.
class FitsRows
{
public:
    // `edgeZeros`: what an edge of zeros is. An image this program made
    // (a master frame) may hold exact zeros that are no registration's
    // border: they stay.
    enum class EdgeZeros { Invalid, Kept };
    explicit FitsRows(const QString &path, EdgeZeros edgeZeros = EdgeZeros::Invalid, qint64 maxPixels = MaxPixels);
    ~FitsRows();
    FitsRows(const FitsRows &) = delete;
    FitsRows &operator=(const FitsRows &) = delete;

    // Why the file is refused, with its name; empty while it reads.
    const QString &problem() const { return m_problem; }
    // The image with no pixel held: its size and header.
    const FitsImage &described() const { return m_described; }
    // `count` rows from `first` (0-based) into `pixels`, row by row. False,
    // with the problem, when they cannot be read, and when bands read in
    // order up to the last row show that no pixel of the image is valid.
    bool read(int first, int count, float *pixels);

private:
    QString m_path;
    QString m_problem;
    FitsImage m_described;
    std::unique_ptr<OpenedFits> m_opened;
    std::optional<FitsImage> m_whole; // when it had to be read whole
    bool m_edgeChecked;
    int m_nextRow = 0; // the bands read in order reach this far
    bool m_anyValid = false;
};

} // namespace Imaging

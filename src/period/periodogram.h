#pragma once
// The floating-mean (generalized Lomb–Scargle) periodogram, shown as the
// power of the date-compensated discrete Fourier transform (DCDFT) AAVSO
// observers know: (N − 1)/2 times the floating-mean power, which ranks
// periods the same way. Its peaks, their aliases and widths.

#include "points.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace Period {

// Frequencies in cycles per day, evenly spaced.
struct Grid
{
    double first = 0;
    double step = 0;
    qsizetype count = 0;

    double frequency(qsizetype index) const { return first + double(index) * step; }
};

struct Range
{
    double shortest = 0; // period in days
    double longest = 0;
};

// From 1 d (0.05 d when the data span under 100 days) to half the span.
Range defaultRange(double span);

// Steps of at most 1/(5 span), so no peak, about 1/span wide, falls
// between two; the longest period first. Empty when the range is not one.
Grid gridOf(const Range &range, double span);
inline constexpr double StepsPerPeakWidth = 5;

// Called with the share of the frequencies done, from 0 to 1, by one thread
// at a time but not always the same one; false stops the work. search()
// goes on calling it with 1 while it computes the peaks.
using Progress = std::function<bool(double done)>;

// How the power over a whole grid is computed: Exact takes the sums over
// the observations at each frequency; Fast takes them all at once by FFT
// (see meshsums.h), within about a ten-thousandth of the highest power,
// and serves to find the peaks that are then computed exactly. Chosen
// picks Fast where it is the quicker, as methodFor() says.
enum class Method { Chosen, Exact, Fast };
Method methodFor(size_t points, qsizetype frequencies);
// The FFT's cost goes with the frequencies alone, the exact sums' with the
// frequencies times the points: under this many points these are the quicker.
inline constexpr size_t FastFromPoints = 200;
// Under this many points × frequencies, the exact sums take a few
// hundredths of a second.
inline constexpr double FastFromWork = 2e7;

// The DCDFT power at each frequency of `grid`, on every core; empty when
// `progress` stopped it, the series has fewer than MinimumPoints points or
// the grid more than MostFrequencies frequencies. Throws std::bad_alloc
// when memory runs out; search() does not.
std::vector<double> periodogram(const Series &series, const Grid &grid, const Progress &progress = {},
                                Method method = Method::Chosen);
inline constexpr size_t MinimumPoints = 4;

// The same at one frequency, from sines and cosines computed anew.
double powerAt(const Series &series, double frequency);

struct Peak
{
    double frequency = 0;     // cycles per day
    double power = 0;         // DCDFT
    double semiAmplitude = 0; // of the sine at that frequency, magnitudes
    double halfWidth = 0;     // half width at half maximum, cycles per day
    bool alias = false;       // of the chosen peak, yearly or daily

    double period() const { return 1 / frequency; }
    // The period's uncertainty from the peak's half width; NaN when the peak
    // gives no width to take it from (a peak narrower than the grid's step).
    double periodError() const;
};

// The `count` highest local maxima of the exact power on `grid`, highest
// first, each moved to its own maximum between the grid's steps. `power`,
// exact or fast, says where to look: the maxima it ranks highest are climbed
// and measured with exact sums, down to where its error could hide no
// higher one.
std::vector<Peak> peaks(const Series &series, const Grid &grid, const std::vector<double> &power,
                        int count = 10);
// The peak reached climbing the exact power from the grid's `index`,
// refined as peaks() does.
Peak peakNear(const Series &series, const Grid &grid, const std::vector<double> &power, qsizetype index);

inline constexpr double DaysPerYear = 365.25;
// Marks the peaks within half a peak width (1/(2 span)) of a yearly
// (f ± 1/365.25) or daily (f ± 1) alias of `chosen`'s frequency f; unmarks
// the others.
void markAliases(std::vector<Peak> &peaks, const Peak &chosen, double span);

// The most frequencies a search takes: their powers alone fill 160 MB.
inline constexpr qsizetype MostFrequencies = 20000000;

// What a search found, or why it found nothing.
struct Search
{
    enum class Outcome {
        Found,              // the power and peaks below
        Stopped,            // by `progress`
        NotSearched,        // fewer than MinimumPoints points, or a grid of no frequency
        TooManyFrequencies, // over MostFrequencies: `message` says how many were asked
        NoVariation,        // every magnitude alike, to rounding: no period to find
        OutOfMemory,
    };
    Outcome outcome = Outcome::NotSearched;
    std::vector<double> power;
    std::vector<Peak> peaks; // highest first, as peaks() gives them
    QString message;         // for the user, when the outcome has one
};

// The periodogram of `series` on `grid` and its `count` highest peaks. Never
// throws: a grid too large is refused before anything is allocated, and
// memory that runs out on the way ends the search with OutOfMemory.
Search search(const Series &series, const Grid &grid, const Progress &progress = {}, int count = 10,
              Method method = Method::Chosen);
// %1: the frequencies the grid holds, %2: MostFrequencies.
inline const QString TooManyFrequencies =
    QStringLiteral("La ricerca chiede %1 frequenze, più delle %2 che si possono calcolare: "
                   "restringi l'intervallo dei periodi.");
inline const QString NoVariation = QStringLiteral("nessuna variazione");
inline const QString NoMemory = QStringLiteral("Memoria insufficiente per la ricerca del periodo.");

// The probability that noise alone gives a peak as high as `power` anywhere
// on `grid`, for `points` observations spanning `span` days.
double falseAlarm(double power, size_t points, const Grid &grid, double span);

// The periodogram as CSV: a header line (CsvHeader), then one line per
// frequency, period first; '.' as decimal separator.
QByteArray csv(const Grid &grid, const std::vector<double> &power);
inline const QByteArray CsvHeader = "periodo_d,frequenza_c_d,potenza_dcdft";

} // namespace Period

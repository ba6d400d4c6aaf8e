#include "periodogram.h"

#include "files/csv.h"
#include "meshsums.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace Period {

namespace {

constexpr double TwoPi = 6.283185307179586;

// Frequencies whose phasors are turned one step at a time before they are
// computed anew: the turning drifts by about one rounding per step, far
// under the 1e-9 the tests ask for after this many.
constexpr qsizetype StepsPerSeed = 256;
// Observations whose phasors, weights and steps stay in the first-level
// cache while every frequency of a block goes through them.
constexpr size_t TileSize = 512;
// Observations handled side by side; the arrays are padded to a multiple of it.
constexpr size_t Lanes = 4;
// A weighted standard deviation under this share of the largest magnitude is
// what rounding leaves of the mean of ten million equal values, not a variation.
constexpr double RoundingLevel = 1e-8;

// Σw·y·cos, Σw·y·sin, Σw·cos, Σw·sin, Σw·cos², Σw·cos·sin at one frequency,
// y from the weighted mean.
struct Sums
{
    double yc = 0, ys = 0, c = 0, s = 0, cc = 0, cs = 0;
};
constexpr size_t SumCount = 6;

// The sums with the floating mean taken out: CC, SS, CS and their
// determinant D; none when all phases are alike (a frequency the sampling
// cannot tell).
struct Centred
{
    double cc, ss, cs, d;
};
std::optional<Centred> centred(const Sums &sums)
{
    const double cc = sums.cc - sums.c * sums.c;
    const double ss = (1 - sums.cc) - sums.s * sums.s;
    const double cs = sums.cs - sums.c * sums.s;
    const double d = cc * ss - cs * cs;
    if (!(d > 1e-12))
        return std::nullopt;
    return Centred{cc, ss, cs, d};
}

// Zechmeister & Kürster's power, from 0 to 1; `yy` is Σw·y², y from the mean.
double floatingMeanPower(const Sums &sums, double yy)
{
    const std::optional<Centred> m = centred(sums);
    if (!m || !(yy > 0))
        return 0;
    return (m->ss * sums.yc * sums.yc + m->cc * sums.ys * sums.ys - 2 * m->cs * sums.yc * sums.ys) / (yy * m->d);
}

double dcdft(const Series &series, double floatingMean)
{
    return (double(series.size()) - 1) / 2 * floatingMean;
}

// Σw·y², y from the mean; 0 when that is at the level of rounding, where
// the power would be the ratio of two roundings.
double spreadOf(const Series &series)
{
    double yy = 0, largest = 0;
    for (size_t i = 0; i < series.size(); ++i) {
        yy += series.w[i] * (series.y[i] - series.mean) * (series.y[i] - series.mean);
        largest = std::max(largest, std::abs(series.y[i]));
    }
    return std::sqrt(yy) > RoundingLevel * largest ? yy : 0;
}

Sums directSums(const Series &series, double frequency)
{
    Sums sums;
    for (size_t i = 0; i < series.size(); ++i) {
        const double angle = TwoPi * frequency * series.t[i];
        const double c = std::cos(angle), s = std::sin(angle);
        const double w = series.w[i], wy = w * (series.y[i] - series.mean);
        sums.yc += wy * c;
        sums.ys += wy * s;
        sums.c += w * c;
        sums.s += w * s;
        sums.cc += w * c * c;
        sums.cs += w * c * s;
    }
    return sums;
}

double semiAmplitude(const Sums &sums)
{
    const std::optional<Centred> m = centred(sums);
    if (!m)
        return 0;
    return std::hypot((sums.yc * m->ss - sums.ys * m->cs) / m->d, (sums.ys * m->cc - sums.yc * m->cs) / m->d);
}

// Adds the sums of `frequencies` successive frequencies over `n` observations
// (a multiple of Lanes) to `sums`, turning each phasor (c, s) one step
// (stepCos, stepSin) per frequency. Vectorised across observations.
__attribute__((target_clones("avx2", "default")))
void addSums(const double *wy, const double *w, const double *stepCos, const double *stepSin, double *c,
             double *s, size_t n, qsizetype frequencies, double *sums)
{
    using Vector = double __attribute__((vector_size(Lanes * sizeof(double))));
    // Copied in and out, not returned: a vector returned by value would
    // change the calling convention between the two builds.
    constexpr size_t Bytes = sizeof(Vector);
    for (qsizetype k = 0; k < frequencies; ++k) {
        Vector yc{}, ys{}, sc{}, ss{}, cc{}, cs{};
        for (size_t i = 0; i < n; i += Lanes) {
            Vector cv, sv, wv, wyv, dc, ds;
            std::memcpy(&cv, c + i, Bytes);
            std::memcpy(&sv, s + i, Bytes);
            std::memcpy(&wv, w + i, Bytes);
            std::memcpy(&wyv, wy + i, Bytes);
            std::memcpy(&dc, stepCos + i, Bytes);
            std::memcpy(&ds, stepSin + i, Bytes);
            const Vector wc = wv * cv;
            yc += wyv * cv;
            ys += wyv * sv;
            sc += wc;
            ss += wv * sv;
            cc += wc * cv;
            cs += wc * sv;
            const Vector nextC = cv * dc - sv * ds, nextS = sv * dc + cv * ds;
            std::memcpy(c + i, &nextC, Bytes);
            std::memcpy(s + i, &nextS, Bytes);
        }
        const Vector all[SumCount] = {yc, ys, sc, ss, cc, cs};
        for (size_t m = 0; m < SumCount; ++m)
            sums[size_t(k) * SumCount + m] += all[m][0] + all[m][1] + all[m][2] + all[m][3];
    }
}

// The series padded with weightless points to a multiple of Lanes.
struct Padded
{
    explicit Padded(const Series &series, double step)
    {
        const size_t n = (series.size() + Lanes - 1) / Lanes * Lanes;
        t.assign(n, 0);
        w.assign(n, 0);
        wy.assign(n, 0);
        stepCos.assign(n, 1);
        stepSin.assign(n, 0);
        for (size_t i = 0; i < series.size(); ++i) {
            t[i] = series.t[i];
            w[i] = series.w[i];
            wy[i] = w[i] * (series.y[i] - series.mean);
            stepCos[i] = std::cos(TwoPi * step * t[i]);
            stepSin[i] = std::sin(TwoPi * step * t[i]);
        }
    }
    std::vector<double> t, w, wy, stepCos, stepSin;
};

// The power of the frequencies from `first` on, `count` of them (at most
// StepsPerSeed), into `power`.
void block(const Padded &padded, const Grid &grid, qsizetype first, qsizetype count, double yy,
           const Series &series, double *power)
{
    std::vector<double> sums(size_t(count) * SumCount, 0.0);
    double c[TileSize], s[TileSize];
    const double start = grid.frequency(first);
    for (size_t tile = 0; tile < padded.t.size(); tile += TileSize) {
        const size_t n = std::min(TileSize, padded.t.size() - tile);
        for (size_t i = 0; i < n; ++i) {
            const double angle = TwoPi * start * padded.t[tile + i];
            c[i] = std::cos(angle);
            s[i] = std::sin(angle);
        }
        addSums(&padded.wy[tile], &padded.w[tile], &padded.stepCos[tile], &padded.stepSin[tile], c, s, n,
                count, sums.data());
    }
    for (qsizetype k = 0; k < count; ++k) {
        const double *at = &sums[size_t(k) * SumCount];
        power[k] = dcdft(series, floatingMeanPower({at[0], at[1], at[2], at[3], at[4], at[5]}, yy));
    }
}

// The sums at any frequency between two close together, as polynomials in
// the frequency: each phasor's Taylor series from the lower one, summed over
// the observations once. Where the phases turn by at most MostTurn from one
// frequency to the other, the series' terms fall under rounding long before
// the last, and the sums are the direct ones to rounding.
class NearbySums
{
public:
    static constexpr double MostTurn = 1.3; // radians
    static constexpr int Terms = 32;

    static bool serves(const Series &series, double low, double high)
    {
        double latest = 0;
        for (double t : series.t)
            latest = std::max(latest, std::abs(t));
        return TwoPi * (high - low) * latest <= MostTurn;
    }

    NearbySums(const Series &series, double low, double high) : m_low(low), m_width(high - low)
    {
        std::array<double, Terms> once{}, twice{}; // x^k / k!, (2x)^k / k!
        for (size_t i = 0; i < series.size(); ++i) {
            const double angle = TwoPi * low * series.t[i];
            const double c = std::cos(angle), s = std::sin(angle);
            const double w = series.w[i], wy = w * (series.y[i] - series.mean);
            const std::complex<double> yw(wy * c, wy * s), phasor(w * c, w * s);
            const std::complex<double> doubled = w * std::complex<double>(c * c - s * s, 2 * c * s);
            const double x = TwoPi * m_width * series.t[i];
            once[0] = twice[0] = 1;
            for (int k = 1; k < Terms; ++k) {
                once[size_t(k)] = once[size_t(k) - 1] * x / k;
                twice[size_t(k)] = twice[size_t(k) - 1] * 2 * x / k;
            }
            for (size_t k = 0; k < Terms; ++k) {
                m_yw[k] += yw * once[k];
                m_w[k] += phasor * once[k];
                m_w2[k] += doubled * twice[k];
            }
        }
        // The series of e^{ix} has i^k with each x^k.
        std::complex<double> turn = 1;
        for (size_t k = 0; k < Terms; ++k) {
            m_yw[k] *= turn;
            m_w[k] *= turn;
            m_w2[k] *= turn;
            turn *= std::complex<double>(0, 1);
        }
    }

    Sums at(double frequency) const
    {
        const double u = (frequency - m_low) / m_width;
        std::complex<double> yw = 0, w = 0, w2 = 0;
        for (size_t k = Terms; k-- > 0;) {
            yw = yw * u + m_yw[k];
            w = w * u + m_w[k];
            w2 = w2 * u + m_w2[k];
        }
        // Σw·cos² and Σw·cos·sin from the double angle; the weights add up to one.
        return {yw.real(), yw.imag(), w.real(), w.imag(), (1 + w2.real()) / 2, w2.imag() / 2};
    }

private:
    double m_low, m_width;
    std::array<std::complex<double>, Terms> m_yw{}, m_w{}, m_w2{};
};

// The golden-section search for the highest power between two frequencies.
double highestBetween(const Series &series, double low, double high)
{
    constexpr double Ratio = 0.6180339887498949;
    std::optional<NearbySums> nearby;
    if (NearbySums::serves(series, low, high))
        nearby.emplace(series, low, high);
    const double yy = spreadOf(series);
    const auto power = [&](double f) {
        return nearby ? dcdft(series, floatingMeanPower(nearby->at(f), yy)) : powerAt(series, f);
    };
    double a = low, b = high;
    double x1 = b - Ratio * (b - a), x2 = a + Ratio * (b - a);
    double p1 = power(x1), p2 = power(x2);
    const double tolerance = (high - low) * 1e-5;
    while (b - a > tolerance) {
        if (p1 < p2) {
            a = x1;
            x1 = x2;
            p1 = p2;
            x2 = a + Ratio * (b - a);
            p2 = power(x2);
        } else {
            b = x2;
            x2 = x1;
            p2 = p1;
            x1 = b - Ratio * (b - a);
            p1 = power(x1);
        }
    }
    return (a + b) / 2;
}

// The exact power at the grid's frequencies, computed as asked, a chunk of
// neighbours at a time, and kept.
class ExactGrid
{
public:
    ExactGrid(const Series &series, const Grid &grid)
        : m_series(series)
        , m_grid(grid)
        , m_padded(series, grid.step)
        , m_yy(spreadOf(series))
    {
    }

    double operator()(qsizetype index)
    {
        const qsizetype chunk = index / Chunk;
        auto found = m_chunks.find(chunk);
        if (found == m_chunks.end()) {
            found = m_chunks.emplace(chunk, std::array<double, Chunk>{}).first;
            const qsizetype first = chunk * Chunk;
            block(m_padded, m_grid, first, std::min(Chunk, m_grid.count - first), m_yy, m_series,
                  found->second.data());
        }
        return found->second[size_t(index % Chunk)];
    }

    // The local maximum reached climbing from `index`.
    qsizetype climb(qsizetype index)
    {
        for (;;) {
            const double here = (*this)(index);
            if (index + 1 < m_grid.count && (*this)(index + 1) > here)
                ++index;
            else if (index > 0 && (*this)(index - 1) > here)
                --index;
            else
                return index;
        }
    }

    static constexpr qsizetype Chunk = 16;

private:
    const Series &m_series;
    const Grid &m_grid;
    const Padded m_padded;
    const double m_yy;
    std::unordered_map<qsizetype, std::array<double, Chunk>> m_chunks;
};

// Steps from a peak within which its width is measured on the exact power;
// further out, on the power given. A peak wider than this is no period.
constexpr qsizetype ExactWidthSteps = 4096;

// Where the power first falls under `level` going from `index` by
// `direction`, between grid points; the grid's end where it never does.
double fallsUnder(const Grid &grid, const std::vector<double> &power, ExactGrid &exact, qsizetype index,
                  int direction, double level)
{
    const auto at = [&](qsizetype k) {
        return std::abs(k - index) <= ExactWidthSteps ? exact(k) : power[size_t(k)];
    };
    for (qsizetype k = index + direction; k >= 0 && k < grid.count; k += direction) {
        const double below = at(k);
        if (below < level) {
            const double above = at(k - direction);
            // Within the step: the grid's power may lie under the refined peak's half.
            const double share = above > below ? std::clamp((above - level) / (above - below), 0.0, 1.0) : 0;
            return grid.frequency(k - direction) + direction * share * grid.step;
        }
    }
    return grid.frequency(direction > 0 ? grid.count - 1 : 0);
}

// The highest power between the grid's neighbours of `index`.
double highestAround(const Series &series, const Grid &grid, qsizetype index)
{
    return highestBetween(series, grid.frequency(std::max<qsizetype>(index - 1, 0)),
                          grid.frequency(std::min(index + 1, grid.count - 1)));
}

// The peak at `frequency`, highest around the grid's `index`.
Peak refined(const Series &series, const Grid &grid, const std::vector<double> &power, ExactGrid &exact,
             qsizetype index, double frequency)
{
    Peak peak;
    peak.frequency = frequency;
    const Sums sums = directSums(series, peak.frequency);
    peak.power = dcdft(series, floatingMeanPower(sums, spreadOf(series)));
    peak.semiAmplitude = semiAmplitude(sums);
    const double half = peak.power / 2;
    peak.halfWidth = (fallsUnder(grid, power, exact, index, +1, half) -
                      fallsUnder(grid, power, exact, index, -1, half)) /
                     2;
    return peak;
}

// peaks(), asking `goOn` between one exact computation and the next; none
// when it said no.
std::optional<std::vector<Peak>> peaksOf(const Series &series, const Grid &grid, const std::vector<double> &power,
                                         int count, const std::function<bool()> &goOn)
{
    std::vector<qsizetype> maxima;
    for (qsizetype k = 0; k < grid.count; ++k) {
        const double p = power[size_t(k)];
        if (p > 0 && (k == 0 || p > power[size_t(k - 1)]) && (k + 1 == grid.count || p >= power[size_t(k + 1)]))
            maxima.push_back(k);
    }
    if (maxima.empty() || count <= 0)
        return std::vector<Peak>{};
    const auto higher = [&power](qsizetype a, qsizetype b) { return power[size_t(a)] > power[size_t(b)]; };
    // The maxima are ranked a few at a time: most are never looked at.
    size_t ranked = 0;
    const auto rankTo = [&](size_t n) {
        n = std::min(n, maxima.size());
        if (n > ranked)
            std::partial_sort(maxima.begin() + qsizetype(ranked), maxima.begin() + qsizetype(n), maxima.end(),
                              higher);
        ranked = std::max(ranked, n);
    };
    ExactGrid exact(series, grid);
    std::vector<std::pair<double, qsizetype>> found; // exact maxima, highest first
    // The error of `power`, the largest seen: at the maxima climbed, and at
    // a few chunks across the grid, since the highest maxima may be those
    // where the error happens to raise the power.
    double error = 0;
    constexpr qsizetype SampledChunks = 8;
    for (qsizetype sample = 0; sample < SampledChunks; ++sample) {
        const qsizetype first = grid.count * sample / SampledChunks / ExactGrid::Chunk * ExactGrid::Chunk;
        for (qsizetype k = first; k < std::min(first + ExactGrid::Chunk, grid.count); ++k)
            error = std::max(error, std::abs(power[size_t(k)] - exact(k)));
    }
    for (size_t i = 0; i < maxima.size(); ++i) {
        if (i == ranked)
            rankTo(std::max<size_t>(4 * ranked, size_t(count) + 16));
        const qsizetype k = maxima[i];
        if (goOn && !goOn())
            return std::nullopt;
        if (found.size() >= size_t(count)) {
            // A maximum this far under the lowest one kept, the power given
            // cannot hide an exact one above it.
            const double lowest = found[size_t(count) - 1].first;
            if (power[size_t(k)] < lowest - 4 * error - 1e-12 * found.front().first)
                break;
        }
        error = std::max(error, std::abs(power[size_t(k)] - exact(k)));
        const qsizetype top = exact.climb(k);
        const std::pair<double, qsizetype> peak{exact(top), top};
        if (peak.first > 0 && std::find(found.begin(), found.end(), peak) == found.end())
            found.insert(std::upper_bound(found.begin(), found.end(), peak,
                                          [](const auto &a, const auto &b) { return a.first > b.first; }),
                         peak);
    }
    found.resize(std::min(found.size(), size_t(count)));
    // The searches between grid steps take the most time: both cores share them.
    std::vector<double> tops(found.size());
    std::atomic<size_t> next{0};
    std::atomic<bool> stopped{false};
    const auto climb = [&](bool asking) {
        for (size_t i = next++; i < found.size() && !stopped; i = next++) {
            if (asking && goOn && !goOn()) {
                stopped = true;
                return;
            }
            tops[i] = highestAround(series, grid, found[i].second);
        }
    };
    std::thread helper;
    try {
        helper = std::thread(climb, false);
    } catch (const std::system_error &) {
        // No thread to be had: this one climbs them all.
    }
    climb(true);
    if (helper.joinable())
        helper.join();
    if (stopped)
        return std::nullopt;
    std::vector<Peak> refinedPeaks;
    for (size_t i = 0; i < found.size(); ++i)
        refinedPeaks.push_back(refined(series, grid, power, exact, found[i].second, tops[i]));
    std::stable_sort(refinedPeaks.begin(), refinedPeaks.end(),
                     [](const Peak &a, const Peak &b) { return a.power > b.power; });
    return refinedPeaks;
}

// The shortest text that reads back as `value`.
QByteArray number(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

Range defaultRange(double span)
{
    return {span < 100 ? 0.05 : 1.0, span / 2};
}

Grid gridOf(const Range &range, double span)
{
    if (!(range.shortest > 0) || !(range.longest > range.shortest) || !(span > 0))
        return {};
    const double first = 1 / range.longest, last = 1 / range.shortest;
    const double widest = 1 / (StepsPerPeakWidth * span);
    const qsizetype count = qsizetype(std::ceil((last - first) / widest)) + 1;
    return {first, (last - first) / double(count - 1), count};
}

Method methodFor(size_t points, qsizetype frequencies)
{
    return points >= FastFromPoints && double(points) * double(frequencies) >= FastFromWork ? Method::Fast
                                                                                               : Method::Exact;
}

std::vector<double> periodogram(const Series &series, const Grid &grid, const Progress &progress, Method method)
{
    if (series.size() < MinimumPoints || grid.count <= 0 || grid.count > MostFrequencies)
        return {};
    if (method == Method::Chosen)
        method = methodFor(series.size(), grid.count);
    const bool fast = method == Method::Fast;
    std::optional<Padded> padded;
    std::optional<Mesh> mesh;
    if (fast)
        mesh.emplace(series, grid.step, grid.count);
    else
        padded.emplace(series, grid.step);
    const double yy = spreadOf(series);
    std::vector<double> power(size_t(grid.count));
    const qsizetype size = fast ? mesh->most() : StepsPerSeed;
    const qsizetype blocks = (grid.count + size - 1) / size;
    std::atomic<qsizetype> next{0};
    std::atomic<bool> stopped{false}, outOfMemory{false};
    std::mutex reporting;
    qsizetype done = 0;
    const auto work = [&] {
        // An exception leaving a thread would end the program: it is taken
        // back to the calling thread instead.
        try {
            std::optional<MeshSums> sums;
            std::vector<double> meshed;
            if (fast) {
                sums.emplace(*mesh);
                meshed.resize(size_t(size) * SumCount);
            }
            for (qsizetype b = next++; b < blocks && !stopped; b = next++) {
                const qsizetype first = b * size, count = std::min(size, grid.count - first);
                if (fast) {
                    sums->sums(grid.frequency(first), count, meshed.data());
                    for (qsizetype k = 0; k < count; ++k) {
                        const double *at = &meshed[size_t(k) * SumCount];
                        // Σw·cos² and Σw·cos·sin from the double angle; the weights add up to one.
                        const Sums sum{at[0], at[1], at[2], at[3], (1 + at[4]) / 2, at[5] / 2};
                        power[size_t(first + k)] = dcdft(series, floatingMeanPower(sum, yy));
                    }
                } else {
                    block(*padded, grid, first, count, yy, series, &power[size_t(first)]);
                }
                if (progress) {
                    // Once told to stop, the other thread's last block goes unreported.
                    const std::lock_guard<std::mutex> lock(reporting);
                    if (!stopped && !progress(double(++done) / double(blocks)))
                        stopped = true;
                }
            }
        } catch (const std::bad_alloc &) {
            outOfMemory = stopped = true;
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 1; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
            helpers.emplace_back(work);
    } catch (const std::system_error &) {
        // No more threads to be had: those started share the work.
    }
    work();
    for (std::thread &helper : helpers)
        helper.join();
    if (outOfMemory)
        throw std::bad_alloc();
    if (stopped)
        return {};
    return power;
}

Search search(const Series &series, const Grid &grid, const Progress &progress, int count, Method method)
{
    Search result;
    if (series.size() < MinimumPoints || grid.count <= 0)
        return result;
    if (spreadOf(series) == 0) {
        result.outcome = Search::Outcome::NoVariation;
        result.message = NoVariation;
        return result;
    }
    if (grid.count > MostFrequencies) {
        result.outcome = Search::Outcome::TooManyFrequencies;
        result.message = TooManyFrequencies.arg(grid.count).arg(MostFrequencies);
        return result;
    }
    try {
        result.power = periodogram(series, grid, progress, method);
        if (result.power.empty()) {
            result.outcome = Search::Outcome::Stopped;
            return result;
        }
        // Told that all is done while the peaks are computed, `progress` may still stop them.
        std::optional<std::vector<Peak>> found =
            peaksOf(series, grid, result.power, count, [&progress] { return !progress || progress(1); });
        if (!found) {
            result = {};
            result.outcome = Search::Outcome::Stopped;
            return result;
        }
        result.peaks = std::move(*found);
        result.outcome = Search::Outcome::Found;
    } catch (const std::bad_alloc &) {
        result = {};
        result.outcome = Search::Outcome::OutOfMemory;
        result.message = NoMemory;
    }
    return result;
}

double Peak::periodError() const
{
    return halfWidth > 0 && std::isfinite(halfWidth) ? halfWidth / (frequency * frequency)
                                                     : std::numeric_limits<double>::quiet_NaN();
}

double powerAt(const Series &series, double frequency)
{
    return dcdft(series, floatingMeanPower(directSums(series, frequency), spreadOf(series)));
}

std::vector<Peak> peaks(const Series &series, const Grid &grid, const std::vector<double> &power, int count)
{
    return *peaksOf(series, grid, power, count, {});
}

Peak peakNear(const Series &series, const Grid &grid, const std::vector<double> &power, qsizetype index)
{
    ExactGrid exact(series, grid);
    const qsizetype top = exact.climb(std::clamp<qsizetype>(index, 0, grid.count - 1));
    return refined(series, grid, power, exact, top, highestAround(series, grid, top));
}

void markAliases(std::vector<Peak> &peaks, const Peak &chosen, double span)
{
    const double f = chosen.frequency, tolerance = 1 / (2 * span);
    const double aliases[] = {f + 1 / DaysPerYear, f - 1 / DaysPerYear, f + 1, f - 1};
    for (Peak &peak : peaks)
        peak.alias = std::any_of(std::begin(aliases), std::end(aliases), [&](double alias) {
            return std::abs(peak.frequency - std::abs(alias)) < tolerance;
        });
}

double falseAlarm(double power, size_t points, const Grid &grid, double span)
{
    if (points < MinimumPoints)
        return 1;
    // Zechmeister & Kürster's chance at one frequency, for as many
    // frequencies as the grid holds independent ones (one per peak width).
    const double floatingMean = std::clamp(2 * power / (double(points) - 1), 0.0, 1.0);
    const double once = std::pow(1 - floatingMean, (double(points) - 3) / 2);
    const double independent = std::max(1.0, span * double(grid.count - 1) * grid.step);
    return -std::expm1(independent * std::log1p(-std::min(once, 1.0 - 1e-16)));
}

QByteArray csv(const Grid &grid, const std::vector<double> &power)
{
    Files::CsvWriter table;
    table.addRow(QString::fromLatin1(CsvHeader).split(u','));
    for (qsizetype k = 0; k < qsizetype(power.size()); ++k) {
        const double f = grid.frequency(k);
        table.addRow({number(1 / f), number(f), number(power[size_t(k)])});
    }
    return table.bytes();
}

} // namespace Period

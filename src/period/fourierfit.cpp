#include "fourierfit.h"

#include <algorithm>
#include <cmath>

namespace Period {

namespace {

constexpr double TwoPi = 6.283185307179586;
// The curve is searched for its extremes at this many phases, then between
// the best one's neighbours.
constexpr int Samples = 2000;

// 1, then cos and sin of each harmonic at `cycles` cycles.
std::vector<double> terms(double cycles, int harmonics)
{
    std::vector<double> row{1};
    for (int h = 1; h <= harmonics; ++h) {
        const double angle = TwoPi * h * cycles;
        row.push_back(std::cos(angle));
        row.push_back(std::sin(angle));
    }
    return row;
}

double value(const std::vector<double> &coefficients, double cycles)
{
    const std::vector<double> row = terms(cycles, int(coefficients.size() / 2));
    double sum = 0;
    for (size_t j = 0; j < row.size(); ++j)
        sum += coefficients[j] * row[j];
    return sum;
}

// Solves a·x = b by elimination with partial pivoting; empty when a is
// singular.
std::vector<double> solve(std::vector<std::vector<double>> a, std::vector<double> b)
{
    const size_t n = b.size();
    for (size_t col = 0; col < n; ++col) {
        size_t pivot = col;
        for (size_t row = col + 1; row < n; ++row)
            if (std::abs(a[row][col]) > std::abs(a[pivot][col]))
                pivot = row;
        if (!(std::abs(a[pivot][col]) > 1e-12))
            return {};
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (size_t row = col + 1; row < n; ++row) {
            const double factor = a[row][col] / a[col][col];
            for (size_t k = col; k < n; ++k)
                a[row][k] -= factor * a[col][k];
            b[row] -= factor * b[col];
        }
    }
    std::vector<double> x(n);
    for (size_t row = n; row-- > 0;) {
        double sum = b[row];
        for (size_t k = row + 1; k < n; ++k)
            sum -= a[row][k] * x[k];
        x[row] = sum / a[row][row];
    }
    return x;
}

// The cycle, from 0 to 1, where `sign` × the curve is lowest.
double lowest(const std::vector<double> &coefficients, double sign)
{
    const auto at = [&](double cycles) { return sign * value(coefficients, cycles); };
    int best = 0;
    for (int k = 1; k < Samples; ++k)
        if (at(double(k) / Samples) < at(double(best) / Samples))
            best = k;
    double a = (best - 1.0) / Samples, b = (best + 1.0) / Samples;
    while (b - a > 1e-10) {
        const double m1 = a + (b - a) / 3, m2 = b - (b - a) / 3;
        if (at(m1) < at(m2))
            b = m2;
        else
            a = m1;
    }
    return (a + b) / 2;
}

} // namespace

double FourierFit::magnitudeAt(double jd) const
{
    return value(coefficients, (jd - middle) / period);
}

FourierFit fourierFit(const Series &series, double period, int harmonics)
{
    FourierFit fit;
    fit.period = period;
    fit.middle = series.middle;
    harmonics = std::clamp(harmonics, 1, MostHarmonics);
    const size_t n = 2 * size_t(harmonics) + 1;
    if (series.size() <= n || !(period > 0))
        return fit;
    std::vector<std::vector<double>> normal(n, std::vector<double>(n, 0.0));
    std::vector<double> right(n, 0.0);
    for (size_t i = 0; i < series.size(); ++i) {
        const std::vector<double> row = terms(series.t[i] / period, harmonics);
        for (size_t j = 0; j < n; ++j) {
            right[j] += series.w[i] * row[j] * series.y[i];
            for (size_t k = 0; k < n; ++k)
                normal[j][k] += series.w[i] * row[j] * row[k];
        }
    }
    fit.coefficients = solve(normal, right);
    if (!fit.valid())
        return fit;
    fit.mean = fit.coefficients[0];
    double squares = 0;
    for (size_t i = 0; i < series.size(); ++i)
        squares += std::pow(series.y[i] - value(fit.coefficients, series.t[i] / period), 2);
    fit.residualSigma = std::sqrt(squares / double(series.size() - n));
    const double brightest = lowest(fit.coefficients, 1), faintest = lowest(fit.coefficients, -1);
    fit.semiAmplitude = (value(fit.coefficients, faintest) - value(fit.coefficients, brightest)) / 2;
    fit.epoch = series.middle + (brightest - std::round(brightest)) * period;
    return fit;
}

double phase(double jd, double period, double epoch)
{
    const double cycles = (jd - epoch) / period;
    const double fraction = cycles - std::floor(cycles);
    // A point a rounding before the epoch would otherwise sit at 1, off the cycle.
    return fraction < 1 ? fraction : 0;
}

std::array<double, 2> drawnPhases(double phase)
{
    return phase < 0.5 ? std::array<double, 2>{phase, phase + 1} : std::array<double, 2>{phase - 1, phase};
}

} // namespace Period

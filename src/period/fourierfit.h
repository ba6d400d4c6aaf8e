#pragma once
// The Fourier series of a chosen period fitted to a series, and the phase
// plot's folding.

#include "points.h"

#include <array>
#include <vector>

namespace Period {

inline constexpr int MostHarmonics = 6;

struct FourierFit
{
    double period = 0;
    double middle = 0;                 // JD the series' times start from
    std::vector<double> coefficients;  // mean, then cos and sin of each harmonic; empty: no fit
    double mean = 0;                   // magnitude
    double semiAmplitude = 0;          // half the curve's range
    double residualSigma = 0;          // standard deviation of the residuals
    double epoch = 0;                  // JD of maximum brightness nearest `middle`

    bool valid() const { return !coefficients.empty(); }
    double magnitudeAt(double jd) const;
};

// The least-squares fit, weighted as `series` is, of `harmonics` (1 to
// MostHarmonics) harmonics of `period` days. Invalid when there are no more
// points than terms, or the points cannot tell the terms apart.
FourierFit fourierFit(const Series &series, double period, int harmonics);

// The phase of `jd`, from 0 (at `epoch` and whole periods from it) to under 1.
double phase(double jd, double period, double epoch);
// The two places a point of `phase` is drawn between −0.5 and 1.5.
std::array<double, 2> drawnPhases(double phase);

} // namespace Period

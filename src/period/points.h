#pragma once
// The points a period search works on: one band of one star's light curve,
// measured values only, and the same points prepared for the sums (times from
// the middle of the span, weights that add up to one).

#include "aavso/curve.h"

#include <vector>

namespace Period {

// One band's measured observations, by JD.
struct Points
{
    std::vector<double> jd, magnitude, error; // error NaN where none is given
};

// The observations of `band` in `curve`: fainter-than values left out, and
// discrepant ones too unless `discrepant`.
Points pointsOf(const Aavso::LightCurve::Observations &data, const Aavso::LightCurve::Curve &curve, quint32 band,
                bool discrepant);

struct Series
{
    std::vector<double> t; // days from `middle`
    std::vector<double> y; // magnitudes
    std::vector<double> w; // weights, adding up to one
    double middle = 0;     // JD halfway between the first and the last point
    double span = 0;       // days from the first point to the last
    double mean = 0;       // weighted mean magnitude

    size_t size() const { return t.size(); }
};

// No photometry is better than this: a smaller error, often a typing slip,
// would give one point the weight of all the others.
inline constexpr double SmallestError = 1e-4;

// `points` ready for the sums. Weighted by 1/error² when `weighted` (errors
// under SmallestError taken as SmallestError), and then points without a
// positive error are left out; otherwise all weigh the same.
Series seriesOf(const Points &points, bool weighted);

} // namespace Period

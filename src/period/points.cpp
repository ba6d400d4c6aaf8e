#include "points.h"

#include <algorithm>
#include <cmath>

namespace Period {

Points pointsOf(const Aavso::LightCurve::Observations &data, const Aavso::LightCurve::Curve &curve, quint32 band,
                bool discrepant)
{
    std::vector<quint32> rows;
    for (const Aavso::LightCurve::Series &series : curve.series)
        if (series.band == band && !series.fainter && (discrepant || !series.discrepant))
            rows.insert(rows.end(), series.rows.begin(), series.rows.end());
    const std::vector<Aavso::LightCurve::Observation> &all = data.observations;
    std::stable_sort(rows.begin(), rows.end(), [&all](quint32 a, quint32 b) { return all[a].jd < all[b].jd; });
    Points points;
    for (quint32 row : rows) {
        points.jd.push_back(all[row].jd);
        points.magnitude.push_back(all[row].magnitude);
        points.error.push_back(all[row].error);
    }
    return points;
}

Series seriesOf(const Points &points, bool weighted)
{
    Series series;
    std::vector<double> jd;
    for (size_t i = 0; i < points.jd.size(); ++i) {
        const double error = points.error[i];
        if (weighted && !(error > 0 && std::isfinite(error)))
            continue;
        jd.push_back(points.jd[i]);
        series.y.push_back(points.magnitude[i]);
        series.w.push_back(weighted ? 1 / std::pow(std::max(error, SmallestError), 2) : 1.0);
    }
    if (jd.empty())
        return series;
    const auto [first, last] = std::minmax_element(jd.begin(), jd.end());
    series.middle = (*first + *last) / 2;
    series.span = *last - *first;
    double total = 0;
    for (double w : series.w)
        total += w;
    for (size_t i = 0; i < jd.size(); ++i) {
        series.t.push_back(jd[i] - series.middle);
        series.w[i] /= total;
        series.mean += series.w[i] * series.y[i];
    }
    return series;
}

} // namespace Period

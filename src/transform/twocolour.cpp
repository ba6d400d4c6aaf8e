#include "twocolour.h"

#include "core/computation.h"
#include "photometry/pogson.h"

#include <algorithm>
#include <cmath>

namespace Transform {

namespace {

using Computation::Stop;
using Computation::finite;

struct Terms
{
    double colour, first, second;                // Txy, Tx_xy, Ty_xy
    double colourError, firstError, secondError; // their standard errors
};

double coefficient(const Coefficients &coefficients, const QString &name)
{
    if (const std::optional<double> value = coefficients.value(name))
        return *value;
    throw Stop{MissingCoefficient.arg(name)};
}

void checkCount(double count, const QString &star, const QString &filter)
{
    if (!(count > 0 && std::isfinite(count)))
        throw Stop{CountNotPositive.arg(star, filter)};
}

double catalogue(const std::optional<double> &magnitude, const QString &star, const QString &filter)
{
    if (!magnitude)
        throw Stop{MagnitudeMissing.arg(star, filter)};
    return *magnitude;
}

// Everything one filter's image must give, checked before anything is computed.
void checkBand(const BandInput &band, const QString &filter)
{
    checkCount(band.variable.count, VariableName, filter);
    checkCount(band.check.count, CheckName, filter);
    for (int i = 0; i < 3; ++i) {
        checkCount(band.comparisonCounts[i], ComparisonName.arg(i + 1), filter);
        catalogue(band.comparisonMagnitudes[i], ComparisonName.arg(i + 1), filter);
    }
    catalogue(band.checkMagnitude, CheckName, filter);
}

// Δ = star − comparison for each comparison star, −2.5 log10 of the count
// ratio in the very order "MAGNITUDINE" computes it, so that with no
// coefficients the transformed magnitude is the untransformed one exactly.
std::array<double, 3> differences(double count, const BandInput &band, const QString &what)
{
    std::array<double, 3> d{};
    for (int i = 0; i < 3; ++i)
        d[i] = finite(Photometry::pogson(band.comparisonCounts[i] / count), what.arg(i + 1));
    return d;
}

// The mean of three estimates; its error the larger of their spread and the
// CCD error, with the coefficients' share added in quadrature.
Estimate combine(const double (&estimates)[3], double ccdError, double coefficientVariance,
                 const QString &what)
{
    const Computation::MeanAndError spread = Computation::meanAndError(estimates);
    const double measured = std::max(spread.error, ccdError);
    return {finite(spread.mean, what),
            finite(std::sqrt(measured * measured + coefficientVariance), what)};
}

struct StarResult
{
    Estimate first, second;
};

StarResult transformStar(const Measured &x, const Measured &y, const BandInput &first,
                         const BandInput &second, const Terms &t, const PairNames &n,
                         const QString &star)
{
    const QString what = QStringLiteral("%1 %2 con C%3");
    const std::array<double, 3> dx = differences(x.count, first, what.arg(n.first, star));
    const std::array<double, 3> dy = differences(y.count, second, what.arg(n.second, star));
    double mx[3], my[3], colourTerm = 0;
    for (int i = 0; i < 3; ++i) {
        const double instrumental = dx[i] - dy[i];
        const double colourShift = t.colour * instrumental; // (X−Y)★ − (X−Y)_c
        mx[i] = *first.comparisonMagnitudes[i] + dx[i] + t.first * colourShift;
        my[i] = *second.comparisonMagnitudes[i] + dy[i] + t.second * colourShift;
        colourTerm += instrumental / 3;
    }
    // First order, with D the mean over C1..C3 of Δx − Δy:
    //   ∂X★/∂Txy = Tx_xy·D, ∂X★/∂Tx_xy = Txy·D, and so for Y★;
    //   σ²(X★) from the coefficients = (Tx_xy·D·σ_Txy)² + (Txy·D·σ_Tx_xy)².
    const auto share = [&](double own, double ownError) {
        const double byColour = own * colourTerm * t.colourError;
        const double byOwn = t.colour * colourTerm * ownError;
        return byColour * byColour + byOwn * byOwn;
    };
    return {combine(mx, x.ccdError, share(t.first, t.firstError), n.first + u' ' + star),
            combine(my, y.ccdError, share(t.second, t.secondError), n.second + u' ' + star)};
}

Estimate untransformed(const BandInput &band, const QString &filter)
{
    const QString what = filter + QStringLiteral(" non trasformata");
    const std::array<double, 3> d = differences(band.variable.count, band, what + QStringLiteral(" con C%1"));
    double m[3];
    for (int i = 0; i < 3; ++i)
        m[i] = d[i] + *band.comparisonMagnitudes[i];
    const Computation::MeanAndError spread = Computation::meanAndError(m);
    return {finite(spread.mean, what), finite(spread.error, what)};
}

} // namespace

const PairNames &names(Pair pair)
{
    static const PairNames bv{"B", "V", "Tbv", "Tb_bv", "Tv_bv"};
    static const PairNames vr{"V", "R", "Tvr", "Tv_vr", "Tr_vr"};
    static const PairNames vi{"V", "I", "Tvi", "Tv_vi", "Ti_vi"};
    switch (pair) {
    case Pair::BV:
        break;
    case Pair::VR:
        return vr;
    case Pair::VI:
        return vi;
    }
    return bv;
}

Transformed transform(Pair pair, const BandInput &first, const BandInput &second,
                      const Coefficients &coefficients)
{
    const PairNames &n = names(pair);
    Transformed result;
    try {
        const Terms t{coefficient(coefficients, n.colour),
                      coefficient(coefficients, n.firstCoefficient),
                      coefficient(coefficients, n.secondCoefficient),
                      coefficients.error(n.colour),
                      coefficients.error(n.firstCoefficient),
                      coefficients.error(n.secondCoefficient)};
        checkBand(first, n.first);
        checkBand(second, n.second);
        const StarResult variable = transformStar(first.variable, second.variable, first, second, t, n,
                                                  VariableName);
        const StarResult check = transformStar(first.check, second.check, first, second, t, n, CheckName);
        result.first = {variable.first, check.first, check.first.magnitude - *first.checkMagnitude,
                        untransformed(first, n.first)};
        result.second = {variable.second, check.second, check.second.magnitude - *second.checkMagnitude,
                         untransformed(second, n.second)};
    } catch (const Stop &stop) {
        return {BandResult(), BandResult(), stop.reason};
    }
    return result;
}

QString resultText(Pair pair, const Transformed &result)
{
    const PairNames &n = names(pair);
    // The label names V first, the colour's other filter after it.
    const bool vFirst = n.first == QLatin1String("V");
    const QString &a = vFirst ? n.first : n.second, &b = vFirst ? n.second : n.first;
    const BandResult &ra = vFirst ? result.first : result.second, &rb = vFirst ? result.second : result.first;
    return QStringLiteral("%1 %2 ± %3 · %4 %5 ± %6 (trasformate; non trasformate %1 %7 %4 %8)")
        .arg(a, threeDecimals(ra.variable.magnitude), threeDecimals(ra.variable.error), b,
             threeDecimals(rb.variable.magnitude), threeDecimals(rb.variable.error),
             threeDecimals(ra.untransformed.magnitude), threeDecimals(rb.untransformed.magnitude));
}

} // namespace Transform

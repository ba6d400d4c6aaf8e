#pragma once
// The AAVSO's two-colour transformation of an ensemble measurement. Two
// images of the same field, through filters x and y, give each star an
// instrumental difference from each comparison star c (Δx = x★ − x_c from
// the counts); with the comparison's catalogue magnitudes X_c, Y_c:
//   (X−Y)★ = (X−Y)_c + Txy · (Δx − Δy)
//   X★ = X_c + Δx + Tx_xy · ((X−Y)★ − (X−Y)_c)
//   Y★ = Y_c + Δy + Ty_xy · ((X−Y)★ − (X−Y)_c)
// and the star's magnitude is the mean over C1, C2, C3.

#include "coefficients.h"

#include <QString>

#include <array>
#include <optional>

namespace Transform {

// The pairs of filters, x first.
enum class Pair { BV, VR, VI };

struct PairNames
{
    QString first;  // "B"
    QString second; // "V"
    QString colour; // "Tbv": of the colour index
    QString firstCoefficient;  // "Tb_bv"
    QString secondCoefficient; // "Tv_bv"
};
const PairNames &names(Pair pair);

struct Measured
{
    double count = 0;    // ADU
    double ccdError = 0; // of this star's measurement, in magnitudes
};

// One filter's image.
struct BandInput
{
    Measured variable;
    Measured check;
    std::array<double, 3> comparisonCounts{};
    // The catalogue's magnitudes; empty where the user gave none.
    std::array<std::optional<double>, 3> comparisonMagnitudes;
    std::optional<double> checkMagnitude;
};

struct Estimate
{
    double magnitude = 0;
    double error = 0;
};

struct BandResult
{
    Estimate variable;      // transformed
    Estimate check;         // transformed
    double checkDifference = 0; // transformed check − its catalogue magnitude
    Estimate untransformed; // the variable as "MAGNITUDINE" gives it
};

struct Transformed
{
    BandResult first;
    BandResult second;
    QString problem; // when not empty: why nothing was computed, for the user
};

// The variable and the check star through both images. Each magnitude's
// error is the larger of its three estimates' spread (as "MAGNITUDINE" gives
// it) and the star's CCD error, with the coefficients' errors carried through
// the equations added in quadrature; the catalogue's errors are left out, as
// the AAVSO asks. Nothing is computed when a coefficient, a positive count or
// a catalogue magnitude is missing.
Transformed transform(Pair pair, const BandInput &first, const BandInput &second,
                      const Coefficients &coefficients);

// "V 12.345 ± 0.010 · B 13.000 ± 0.012 (trasformate; non trasformate V 12.350
// B 12.990)": V first whatever the pair.
QString resultText(Pair pair, const Transformed &result);

// %1: the coefficient's name.
inline const QString MissingCoefficient = QStringLiteral(
    "Il file dei coefficienti non contiene %1, che la trasformazione richiede.");
// %1: the star, %2: the filter.
inline const QString CountNotPositive = QStringLiteral(
    "Il conteggio ADU %1 nel filtro %2 deve essere un numero maggiore di zero.");
inline const QString MagnitudeMissing = QStringLiteral(
    "Manca la magnitudine di catalogo %1 nel filtro %2.");
// The stars as the messages name them.
inline const QString VariableName = QStringLiteral("della stella variabile");
inline const QString CheckName = QStringLiteral("della stella di controllo");
// %1: 1, 2 or 3.
inline const QString ComparisonName = QStringLiteral("di C%1");

} // namespace Transform

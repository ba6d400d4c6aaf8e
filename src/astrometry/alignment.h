#pragma once
// A frame without sky coordinates laid on its comparison sequence from two
// clicks: the two stars fix scale, rotation and offset of the sequence's
// tangent plane on the image, for either parity (a mirrored field is
// another parity); the parity that puts more sequence stars on found stars
// stays, and every sequence star within MatchRadius of a found star then
// refines it to a linear TAN system.

#include "astrometry/linearwcs.h"
#include "astrometry/starlist.h"

#include <QString>

#include <optional>
#include <vector>

namespace Astrometry {

constexpr double MatchRadius = 3;  // pixels
constexpr int LeastMatched = 3;    // a linear fit needs three stars
constexpr double ScaleTolerance = 0.10; // against the header's scale

namespace AlignText {
// %1: matched stars, %2: the sequence's stars on the image, %3: mean miss, pixels.
inline const QString Aligned = QStringLiteral("Sequenza allineata: %1 stelle su %2, scarto medio %3 pixel");
// %1: matched stars.
inline const QString TooFew = QStringLiteral(
    "Allineamento rifiutato: solo %1 stelle della sequenza cadono su stelle dell'immagine, ne servono almeno 3. "
    "Indicare di nuovo le due stelle.");
// %1: the fit's scale, %2: the header's, both ″/pixel.
inline const QString OtherScale = QStringLiteral(
    "Allineamento rifiutato: la scala trovata (%1″/pixel) differisce di più del 10% da quella dell'intestazione "
    "(%2″/pixel). Indicare di nuovo le due stelle.");
inline const QString SameStar = QStringLiteral(
    "Allineamento rifiutato: le due stelle indicate sono la stessa. Indicare di nuovo le due stelle.");
} // namespace AlignText

struct AlignInput
{
    Sky::Position first; // where the two clicked stars are on the sky
    Sky::Position second;
    QPointF firstPixel; // and on the image, centred
    QPointF secondPixel;
    std::vector<Sky::Position> sequence; // every star to match
    std::vector<FoundStar> found;
    int width = 0;
    int height = 0;
    std::optional<double> headerScale; // ″/pixel
};

struct Alignment
{
    std::optional<LinearWcs> wcs; // none when refused
    int matched = 0;
    int onImage = 0; // sequence stars the fit puts on the image
    double meanMiss = 0; // pixels, between the matched stars and where the fit puts them
    QString problem;
};

Alignment alignToSequence(const AlignInput &input);

} // namespace Astrometry

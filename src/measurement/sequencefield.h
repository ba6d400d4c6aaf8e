#pragma once
// A comparison sequence laid on an image: where each star falls, which can
// serve as comparison stars in the image's band, what each measures against
// the others, and which three and which check star suit the variable best.
// Measuring is left to the caller (the window measures with its aperture;
// a test feeds counts), so this is all arithmetic.

#include "aavso/sequence.h"
#include "imaging/aperture.h"
#include "imaging/skycoordinates.h"

#include <QPointF>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace Measurement {

// Why a sequence star is not a comparison candidate; NoMagnitude takes the band.
namespace NotCandidate {
inline const QString OffImage = QStringLiteral("fuori immagine");
inline const QString NoMagnitude = QStringLiteral("senza magnitudine %1");
inline const QString VisualOnly = QStringLiteral("solo visuale");
inline const QString Saturated = QStringLiteral("saturata");
inline const QString NotAboveSky = QStringLiteral("non più luminosa del cielo");
} // namespace NotCandidate

// A star differs from the others "discorde" when its measured magnitude is
// further than this from the catalogue's and three times the spread of the
// others' differences.
inline constexpr double DiscordantLimit = 0.1;

// The star measured near (x, y), this program's frame, as Imaging::measureStar does.
using MeasureNear = std::function<Imaging::StarMeasurement(double x, double y)>;

enum class SequenceRole { None, C1, C2, C3, Check };

struct FieldStar
{
    std::size_t star = 0; // in the sequence's stars
    std::optional<QPointF> pixel; // where the sequence puts it, when on the image
    std::optional<Aavso::SequenceMagnitude> catalogue; // in the image's band
    std::optional<Imaging::StarMeasurement> measurement;
    // Why it is no candidate (NotCandidate's, Imaging::refusalText's, or the
    // sequence's note of an unreadable magnitude); for a candidate, the
    // sequence's note of its magnitude (Aavso::noteFor), if any.
    QString reason;
    std::optional<double> measured;   // against the other candidates
    std::optional<double> difference; // measured - catalogue
    bool discordant = false;
    SequenceRole role = SequenceRole::None;
};

struct SequenceField
{
    // Brightest first in the image's band; stars without a magnitude in it
    // follow in the sequence's order.
    std::vector<FieldStar> rows;
    std::optional<QPointF> variablePixel; // from the sequence's position of it
    std::optional<Imaging::StarMeasurement> variable;
    std::optional<double> variableMagnitude; // against every candidate
    // Rows of C1, C2, C3 and the check star, as far as there are candidates.
    std::array<std::optional<std::size_t>, 4> chosen;
};

// Lays `sequence` on a `width` x `height` image taken in `filterCode`'s
// band. The variable is where sequence.variablePosition says; a caller that
// knows it otherwise sets that first.
SequenceField placeSequence(const Aavso::Sequence &sequence, const QString &filterCode, const Imaging::SkyFrame &frame,
                            int width, int height, const MeasureNear &measure);

} // namespace Measurement

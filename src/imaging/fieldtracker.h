#pragma once
// Following the field from one image of a night to the next: the telescope
// drifts (hundreds of pixels in a night) and the field turns a little, so
// each placed star is looked for where the field's motion since the last
// image puts it. Up to MostStep pixels between two images are followed.

#include "imaging/aperture.h"
#include "imaging/roles.h"

#include <QPointF>
#include <QRect>

namespace Imaging {

constexpr int MostStep = 12;

// A found star further than this, in pixels, from where the motion of the
// other stars found puts it is another star: the placed one is lost.
constexpr double MostMisfit = 3;

// By Role; empty for a star not placed.
using Positions = std::array<std::optional<QPointF>, RoleCount>;

// The placed stars found and measured on `image`, from their places on the
// previous image. A star not found keeps its refusal; one that does not
// move with the others, or that no other star found confirms, is
// Unconfirmed.
Measurements followField(const FitsImage &image, const Positions &previous, const Aperture &aperture,
                         const Detector &detector);

// The pixels followField may read for stars last seen at `previous`.
QRect followedPart(const Positions &previous, const Aperture &aperture);

// Where the measured stars lie, for the next image; a star not measured is
// put where the others' motion takes it.
Positions nextPositions(const Positions &previous, const Measurements &measured);

} // namespace Imaging

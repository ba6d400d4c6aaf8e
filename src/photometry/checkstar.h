#pragma once
// The check star's magnitude: a star of known magnitude measured beside the
// variable shows how far the comparison stars can be trusted.

#include <QString>
#include <QStringList>

#include <optional>

namespace Photometry {

struct CheckMagnitude
{
    std::optional<double> value;
    QString problem; // when no value: the first thing "MAGNITUDINE" said
};

// The magnitude "MAGNITUDINE" gives a star whose counts text is `counts`,
// put in the variable's place beside the comparison stars' counts and
// catalogue magnitudes (three texts each, C1 to C3, as the sheet holds them).
// Any warning of the command's (an empty box) counts as no value.
CheckMagnitude checkMagnitude(const QString &counts, const QStringList &comparisonCounts,
                              const QStringList &catalogue);

} // namespace Photometry

#include "sequencefield.h"

#include "aavso/bands.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Measurement {

using namespace Imaging;

namespace {

bool onImage(const QPointF &pixel, int width, int height)
{
    // Pixel (x, y) covers x - 0.5 to x + 0.5.
    return pixel.x() >= -0.5 && pixel.y() >= -0.5 && pixel.x() < width - 0.5 && pixel.y() < height - 0.5;
}

std::optional<QPointF> pixelOnImage(const Sky::Position &sky, const SkyFrame &frame, int width, int height)
{
    const std::optional<QPointF> pixel = frame.toPixel(sky);
    return pixel && onImage(*pixel, width, height) ? pixel : std::nullopt;
}

// Measures the star when it can be a candidate; otherwise says why not.
QString candidacy(FieldStar &row, const Aavso::SequenceStar &star, const QString &band, const QString &note,
                  const MeasureNear &measure)
{
    using namespace NotCandidate;
    if (!row.pixel)
        return OffImage;
    if (!row.catalogue)
        return note.isEmpty() ? NoMagnitude.arg(band) : note;
    if (Aavso::reservedForVisual(star))
        return VisualOnly;
    row.measurement = measure(row.pixel->x(), row.pixel->y());
    if (row.measurement->refusal != Refusal::None)
        return refusalText(row.measurement->refusal);
    if (row.measurement->saturated)
        return Saturated;
    if (!(row.measurement->net > 0))
        return NotAboveSky;
    return QString();
}

// The magnitude with which a star of these counts would read zero: the
// catalogue's magnitude against its counts. A star s measured against c has
// M_c - 2.5 log10(F_s / F_c) = zeroPoint(c) - 2.5 log10 F_s, so the mean
// over several c is the mean of their zero points less 2.5 log10 F_s.
double zeroPoint(const FieldStar &row)
{
    return row.catalogue->magnitude + 2.5 * std::log10(row.measurement->net);
}

// Each candidate against the mean zero point of all the others, and its
// difference from the catalogue; discordant beyond DiscordantLimit and three
// sample standard deviations of the other candidates' differences.
void measureCandidates(std::vector<FieldStar> &rows, const std::vector<std::size_t> &candidates)
{
    const std::size_t count = candidates.size();
    if (count < 2)
        return;
    double zeroPoints = 0;
    for (std::size_t c : candidates)
        zeroPoints += zeroPoint(rows[c]);
    for (std::size_t s : candidates) {
        FieldStar &row = rows[s];
        row.measured = (zeroPoints - zeroPoint(row)) / double(count - 1) - 2.5 * std::log10(row.measurement->net);
        row.difference = *row.measured - row.catalogue->magnitude;
    }
    if (count < 3)
        return; // one other star has no spread
    for (std::size_t s : candidates) {
        double sum = 0, squares = 0;
        for (std::size_t c : candidates)
            if (c != s)
                sum += *rows[c].difference;
        const double mean = sum / double(count - 1);
        for (std::size_t c : candidates)
            if (c != s)
                squares += (*rows[c].difference - mean) * (*rows[c].difference - mean);
        const double spread = std::sqrt(squares / double(count - 2));
        const double off = std::abs(*rows[s].difference);
        rows[s].discordant = off > DiscordantLimit && off > 3 * spread;
    }
}

} // namespace

SequenceField placeSequence(const Aavso::Sequence &sequence, const QString &filterCode, const SkyFrame &frame,
                            int width, int height, const MeasureNear &measure)
{
    SequenceField field;
    const QString band = Aavso::Bands::sequenceBands(filterCode).value(0, filterCode);
    field.rows.reserve(sequence.stars.size());
    for (std::size_t i = 0; i < sequence.stars.size(); ++i) {
        const Aavso::SequenceStar &star = sequence.stars[i];
        FieldStar row;
        row.star = i;
        row.pixel = pixelOnImage(star.position, frame, width, height);
        if (const Aavso::SequenceMagnitude *magnitude = Aavso::magnitudeFor(star, filterCode))
            row.catalogue = *magnitude;
        field.rows.push_back(std::move(row));
    }
    std::stable_sort(field.rows.begin(), field.rows.end(), [](const FieldStar &a, const FieldStar &b) {
        return a.catalogue && (!b.catalogue || a.catalogue->magnitude < b.catalogue->magnitude);
    });

    std::vector<std::size_t> candidates;
    for (std::size_t r = 0; r < field.rows.size(); ++r) {
        FieldStar &row = field.rows[r];
        const QString note = Aavso::noteFor(sequence.stars[row.star], filterCode);
        row.reason = candidacy(row, sequence.stars[row.star], band, note, measure);
        if (row.reason.isEmpty()) {
            candidates.push_back(r);
            row.reason = note;
        }
    }
    measureCandidates(field.rows, candidates);

    if (sequence.variablePosition)
        field.variablePixel = pixelOnImage(*sequence.variablePosition, frame, width, height);
    if (field.variablePixel)
        field.variable = measure(field.variablePixel->x(), field.variablePixel->y());
    if (candidates.empty() || !field.variable || field.variable->refusal != Refusal::None || !(field.variable->net > 0))
        return field;
    double zeroPoints = 0;
    for (std::size_t c : candidates)
        zeroPoints += zeroPoint(field.rows[c]);
    const double variable = zeroPoints / double(candidates.size()) - 2.5 * std::log10(field.variable->net);
    field.variableMagnitude = variable;

    // The nearest in magnitude first; of two as near, the brighter (rows are by brightness).
    const auto distance = [&](std::size_t r) { return std::abs(field.rows[r].catalogue->magnitude - variable); };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](std::size_t a, std::size_t b) { return distance(a) < distance(b); });
    const SequenceRole roles[] = {SequenceRole::C1, SequenceRole::C2, SequenceRole::C3, SequenceRole::Check};
    for (std::size_t i = 0; i < field.chosen.size() && i < candidates.size(); ++i) {
        field.chosen[i] = candidates[i];
        field.rows[candidates[i]].role = roles[i];
    }
    return field;
}

} // namespace Measurement

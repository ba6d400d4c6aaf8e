#include "fieldtracker.h"

#include <algorithm>
#include <cmath>

namespace Imaging {

namespace {

// p' = R(angle) p + shift, fitted to the pairs by least squares.
struct Motion
{
    double cosine = 1;
    double sine = 0;
    double dx = 0;
    double dy = 0;

    QPointF apply(const QPointF &p) const
    {
        return {cosine * p.x() - sine * p.y() + dx, sine * p.x() + cosine * p.y() + dy};
    }
};

// A shift alone from one pair; shift and rotation from two or more.
std::optional<Motion> fitMotion(const std::vector<std::pair<QPointF, QPointF>> &pairs)
{
    if (pairs.empty())
        return std::nullopt;
    QPointF from, to;
    for (const auto &[a, b] : pairs) {
        from += a;
        to += b;
    }
    from /= double(pairs.size());
    to /= double(pairs.size());
    double dot = 0, cross = 0;
    for (const auto &[a, b] : pairs) {
        const QPointF p = a - from, q = b - to;
        dot += p.x() * q.x() + p.y() * q.y();
        cross += p.x() * q.y() - p.y() * q.x();
    }
    const double angle = pairs.size() > 1 ? std::atan2(cross, dot) : 0;
    Motion motion{std::cos(angle), std::sin(angle), 0, 0};
    const QPointF turned = motion.apply(from);
    motion.dx = to.x() - turned.x();
    motion.dy = to.y() - turned.y();
    return motion;
}

// The light of a 3 x 3 box around (x, y); invalid or outside pixels count 0.
double boxLight(const FitsImage &image, int x, int y)
{
    double sum = 0;
    for (int j = y - 1; j <= y + 1; ++j) {
        for (int i = x - 1; i <= x + 1; ++i) {
            if (image.contains(i, j) && !std::isnan(image.at(i, j)))
                sum += double(image.at(i, j));
        }
    }
    return sum;
}

// The whole-pixel shift that puts the most light, star by star relative to
// its own brightest spot, under every placed star at once: one bright
// neighbour cannot pull the field its way.
QPoint fieldShift(const FitsImage &image, const Positions &previous)
{
    constexpr int Side = 2 * MostStep + 1;
    std::vector<double> score(std::size_t(Side) * Side, 0.0);
    std::vector<double> light(std::size_t(Side) * Side);
    for (const auto &at : previous) {
        if (!at)
            continue;
        const int x = int(std::lround(at->x())), y = int(std::lround(at->y()));
        for (int dy = -MostStep; dy <= MostStep; ++dy) {
            for (int dx = -MostStep; dx <= MostStep; ++dx)
                light[(dy + MostStep) * Side + dx + MostStep] = boxLight(image, x + dx, y + dy);
        }
        const auto [low, high] = std::minmax_element(light.cbegin(), light.cend());
        if (*high <= *low)
            continue;
        for (std::size_t k = 0; k < light.size(); ++k)
            score[k] += (light[k] - *low) / (*high - *low);
    }
    const auto best = std::size_t(std::max_element(score.cbegin(), score.cend()) - score.cbegin());
    return {int(best % Side) - MostStep, int(best / Side) - MostStep};
}

bool found(const std::optional<StarMeasurement> &star) { return star && star->refusal == Refusal::None; }

// Each found star's place before and now; the star of role `except` left out.
std::vector<std::pair<QPointF, QPointF>> foundPairs(const Positions &previous, const Measurements &measured,
                                                    std::size_t except = RoleCount)
{
    std::vector<std::pair<QPointF, QPointF>> pairs;
    for (std::size_t role = 0; role < previous.size(); ++role) {
        const auto &star = measured[role];
        if (role != except && previous[role] && found(star))
            pairs.emplace_back(*previous[role], QPointF(star->x, star->y));
    }
    return pairs;
}

} // namespace

Measurements followField(const FitsImage &image, const Positions &previous, const Aperture &aperture,
                         const Detector &detector)
{
    const QPoint shift = fieldShift(image, previous);
    Measurements measured;
    for (std::size_t role = 0; role < previous.size(); ++role) {
        if (const auto &at = previous[role])
            measured[role] = measureStar(image, at->x() + shift.x(), at->y() + shift.y(), aperture, detector);
    }
    // After a jump beyond the shift's reach, the box of one star may hold
    // another star, alone, and the shift then puts it just where it was
    // found: each star is checked against the motion of the others instead.
    std::array<bool, RoleCount> unconfirmed{};
    for (std::size_t role = 0; role < previous.size(); ++role) {
        if (!found(measured[role]))
            continue;
        const std::optional<Motion> others = fitMotion(foundPairs(previous, measured, role));
        const QPointF expected = others ? others->apply(*previous[role]) : QPointF();
        unconfirmed[role] = !others
            || std::hypot(measured[role]->x - expected.x(), measured[role]->y - expected.y()) > MostMisfit;
    }
    for (std::size_t role = 0; role < previous.size(); ++role) {
        if (unconfirmed[role])
            measured[role]->refusal = Refusal::Unconfirmed;
    }
    return measured;
}

QRect followedPart(const Positions &previous, const Aperture &aperture)
{
    // Each star is measured from where the field's shift takes it, which
    // the 3 x 3 boxes looking for the shift reach too; the stars' places are
    // rounded to whole pixels here.
    const int reach = MostStep + measureReach(aperture) + 1;
    QRect part;
    for (const auto &at : previous) {
        if (at) {
            const QPoint centre(int(std::lround(at->x())), int(std::lround(at->y())));
            part |= QRect(centre - QPoint(reach, reach), centre + QPoint(reach, reach));
        }
    }
    return part;
}

Positions nextPositions(const Positions &previous, const Measurements &measured)
{
    const std::optional<Motion> motion = fitMotion(foundPairs(previous, measured));
    Positions next = previous;
    for (std::size_t role = 0; role < previous.size(); ++role) {
        const auto &star = measured[role];
        if (!previous[role])
            continue;
        if (found(star))
            next[role] = QPointF(star->x, star->y);
        else if (motion)
            next[role] = motion->apply(*previous[role]);
    }
    return next;
}

} // namespace Imaging

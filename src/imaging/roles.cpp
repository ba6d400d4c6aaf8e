#include "roles.h"

namespace Imaging {

QString roleName(Role role)
{
    switch (role) {
    case Role::Variable: return QStringLiteral("Variabile");
    case Role::C1: return QStringLiteral("C1");
    case Role::C2: return QStringLiteral("C2");
    case Role::C3: return QStringLiteral("C3");
    case Role::Check: return QStringLiteral("Controllo");
    }
    return QString();
}

QString starProblem(Role role, const std::optional<StarMeasurement> &star)
{
    const QString name = roleName(role);
    if (!star)
        return QString::fromUtf8(EntryProblem::Missing).arg(name);
    if (star->refusal != Refusal::None)
        return QString::fromUtf8(EntryProblem::Refused).arg(name, refusalText(star->refusal));
    if (star->saturated)
        return QString::fromUtf8(EntryProblem::Saturated).arg(name);
    if (!(star->net > 0))
        return QString::fromUtf8(EntryProblem::NotPositive).arg(name);
    return QString();
}

double comparisonNet(const Measurements &stars)
{
    return stars[std::size_t(Role::C1)]->net + stars[std::size_t(Role::C2)]->net
        + stars[std::size_t(Role::C3)]->net;
}

} // namespace Imaging

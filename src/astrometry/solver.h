#pragma once
// Sky coordinates found on this machine by astrometry.net's engine, from
// the stars found on the image: their list is written as the engine's input
// table, the engine runs as a process of its own (its crash or hang never
// reaches the window) for EngineLimit at most, and the system it writes is
// read back as header cards. A linear fit is asked for: with the few stars
// a small index matches, higher orders bend the corners.

#include "astrometry/starlist.h"
#include "core/skyposition.h"
#include "imaging/headerkeys.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace Astrometry {

namespace SolveText {
// %1: stars matched, %2: ″/pixel, %3: degrees.
inline const QString Solved =
    QStringLiteral("Coordinate trovate da astrometry.net: %1 stelle, scala %2″/pixel, ruotata di %3°");
// %1 × %2: the field, ′.
inline const QString TooNarrow =
    QStringLiteral("Campo di %1′ × %2′: troppo stretto per gli indici installati (Tycho-2 da 22′)");
inline const QString NoSolution = QStringLiteral("astrometry.net non ha trovato una soluzione in 30 s");
inline const QString NotInstalled = QStringLiteral("astrometry.net non è installato");
inline const QString Crashed = QStringLiteral("astrometry.net si è interrotto senza una soluzione");
inline const QString Cancelled = QStringLiteral("Ricerca delle coordinate annullata");
inline const QString TooFewStars =
    QStringLiteral("Sull'immagine ci sono troppo poche stelle per cercarne le coordinate");
inline const QString Unwritable = QStringLiteral("Impossibile scrivere i file di lavoro di astrometry.net");
} // namespace SolveText

// The narrowest field the installed indexes solve, ′ on its longer side.
constexpr double NarrowestField = 22;
constexpr std::chrono::seconds EngineLimit{30};
constexpr int LeastStars = 5;
// Searched around the header's pointing, which is often minutes off.
constexpr double HintRadius = 2; // degrees
// The range tried when no scale is known, ″/pixel.
constexpr double WidestScales[2] = {0.3, 30};
// How far a known scale may be off.
constexpr double ScaleMargin = 0.1;

// ″/pixel from the header: a direct scale, else the pixel's size and the
// focal length; none when neither reads as positive.
std::optional<double> headerScale(const Imaging::HeaderKeys &keys);

// TooNarrow for a field whose longer side is under NarrowestField; empty otherwise.
QString narrowField(int width, int height, double scale);

struct SolveRequest
{
    std::vector<FoundStar> stars; // brightest first
    int width = 0;
    int height = 0;
    std::optional<double> scale; // ″/pixel
    std::optional<Sky::Position> pointing;
};

struct Solution
{
    QByteArray cards; // the celestial system's cards, checked (Imaging::wcsCards); empty when none
    int matched = 0;
    double scale = 0;    // ″/pixel
    double rotation = 0; // degrees
    QString problem;
};

// Blocks until the engine ends or is ended; `cancelled` is asked as it runs.
Solution solve(const SolveRequest &request, const std::function<bool()> &cancelled);
// Solved's text for a solution.
QString solvedText(const Solution &solution);

// The engine as the package installs it; empty when it is not there.
QString enginePath();
// For the tests: the folders looked in instead, an engine configuration of their own, and a limit.
void setEngineFolders(const QStringList &folders);
void setEngineConfiguration(const QString &path);
void setEngineLimit(std::chrono::milliseconds limit);

} // namespace Astrometry

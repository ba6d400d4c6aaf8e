#pragma once
// The stars an observer places on an image and what each measured.

#include "imaging/aperture.h"

#include <array>
#include <optional>

namespace Imaging {

// In the order they are clicked.
enum class Role { Variable, C1, C2, C3, Check };
inline constexpr int RoleCount = 5;

// "Variabile", "C1", "C2", "C3", "Controllo".
QString roleName(Role role);

// By Role; empty for a star not placed.
using Measurements = std::array<std::optional<StarMeasurement>, RoleCount>;

// Why a star's counts cannot be used; %1 is the role's name.
namespace EntryProblem {
inline const char *const Missing =
    "Manca la stella \"%1\": sceglierla e fare clic su di essa nell'immagine.";
inline const char *const Saturated =
    "La stella \"%1\" è saturata: il suo picco raggiunge il livello di saturazione.";
// %2: why it cannot be measured (one of MeasureProblem's texts).
inline const char *const Refused = "La stella \"%1\" non si può misurare. %2.";
inline const char *const NotPositive = "La stella \"%1\" non ha conteggi netti positivi.";
} // namespace EntryProblem

// Why `star` cannot give its counts (EntryProblem's texts, with
// the role's name); empty when it can.
QString starProblem(Role role, const std::optional<StarMeasurement> &star);

// C1 + C2 + C3 net counts; the three must be measured.
double comparisonNet(const Measurements &stars);

} // namespace Imaging

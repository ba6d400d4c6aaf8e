#pragma once
// A light calibrated with the masters before it is measured:
//   (light - bias - dark × (light's exposure / dark's)) / flat
// on the pixels it holds, whole or the part around the stars.

#include "calibration/masters.h"
#include "imaging/fitsimage.h"

#include <QString>

namespace Calibration {

namespace CalibrationText {
// %1: what was applied, "bias, dark ×0.50, flat V".
inline const QString Applied = QStringLiteral("calibrata: %1");
inline const QString AlreadyDone = QStringLiteral("già calibrata");
// %1: the dark's temperature, %2: the image's.
inline const QString Temperatures = QStringLiteral("dark a %1 °C, immagine a %2 °C");
// %1: the light's filter.
inline const QString NoFlat = QStringLiteral("Nessun flat per il filtro \"%1\": l'immagine non è stata calibrata.");
// %1: the file.
inline const QString NoExposure = QStringLiteral(
    "L'intestazione di \"%1\" non indica la posa (EXPTIME o EXPOSURE): il dark non si può scegliere.");
inline const QString SavedAlready = QStringLiteral("\"%1\" è già calibrata: non è stata calibrata di nuovo.");
inline const QString NoMasters = QStringLiteral("Nessun master: crearli prima con \"Crea master\".");
inline const QString NotSaved = QStringLiteral("Impossibile scrivere \"%1\".");
} // namespace CalibrationText

// Below this a master flat's pixel is too dark to divide by: the light's is invalid.
inline constexpr double LeastFlat = 0.05;
// Darks this much warmer or colder than the light are told.
inline constexpr double TemperatureTolerance = 2;

struct Calibrated
{
    QString done;    // what was applied, for the image's description
    QString problem; // the image cannot be calibrated: nothing was changed
};

// A light another program, or this one, has calibrated: CALSTAT, or this
// program's HISTORY, in its header.
bool isCalibrated(const Imaging::FitsImage &light);

// Calibrates the pixels `light` holds; `path` names it in the problems.
// With no master, nothing is done.
Calibrated calibrate(Imaging::FitsImage &light, const MasterSet &masters, const QString &path);

// A calibrated copy of the light at `path` written to `target` for other
// programs: 32-bit floats, the light's header with CALSTAT and HISTORY
// saying what was applied. The problem, or empty when written.
QString saveCalibrated(const QString &path, const QString &target, const MasterSet &masters);

} // namespace Calibration

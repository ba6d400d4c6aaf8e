#pragma once

#include "core/sheet.h"

namespace ColourCalibration {

// "B-V Variabile": the B-V of the variable from the temperature typed in Text37.
void variableColourIndex(Sheet &sheet, Messages &messages);

inline const QString TemperatureWarning = QStringLiteral(
    "Il programma và in errore, la prossima volta inserisci sempre un valore sulla casella di "
    "testo Temperatura....");

} // namespace ColourCalibration

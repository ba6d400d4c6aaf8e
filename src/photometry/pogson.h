#pragma once

#include <QString>

namespace Photometry {

// 2.5 × ln(a), then ÷ ln 10: the order the observers' reference sheets use.
double pogson(double a);

// The Pogson term of count ÷ variableCount. Stop when that ratio is not a
// positive finite number, saying whether the counts or the range of numbers
// are at fault; `star` names the comparison star in the message.
double ratioTerm(double count, double variableCount, const QString &star);

inline const QString AduWarning = QStringLiteral(
    "Il programma và in errore, la prossima volta inserisci sempre un valore su tutte le "
    "caselle di testo ADU.");

} // namespace Photometry

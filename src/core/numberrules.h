#pragma once
// The only conversions between a typed text and a number. The decimal
// separator is the default QLocale's, read at every call.

#include <QLocale>
#include <QString>
#include <optional>

namespace NumberRules {

// The leading number of the text; 0 when there is none. Empty when the number
// is too large for a double.
std::optional<double> read(const QString &text, const QLocale &locale = QLocale());

// 15 significant digits; plain notation from 1E-4 up to 1E15, exponent form
// otherwise. The value must be finite.
QString write(double value, const QLocale &locale = QLocale());

// A number typed in a window's own box: the whole text, blanks around it
// aside, with "," or "." before its decimals; nothing else, and finite.
// The sheet's fields keep `read`, which takes a text's leading number.
std::optional<double> readTyped(const QString &text);

} // namespace NumberRules

// A box keeping its last good text instead of one that is no number.
inline const QString RefusedNumber = QStringLiteral("Valore non valido in \"%1\": resta %2.");
inline const QString RefusedNumberEmpty = QStringLiteral("Valore non valido in \"%1\": la casella resta vuota.");


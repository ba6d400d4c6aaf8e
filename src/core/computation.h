#pragma once
// The steps every computing command is made of: read a field, check an
// intermediate value, write a field. A value the command cannot use throws
// Stop, which the command turns into one message to the user.

#include "sheet.h"

#include <QString>
#include <initializer_list>

namespace Computation {

struct Stop
{
    QString reason;
};

// The number in the field; Stop when it is too large to read.
double read(const Sheet &sheet, const QString &field);

// The value itself when it is a finite number; Stop naming `what` otherwise.
double finite(double value, const QString &what);

// The field receives the number by the writing rule.
void write(Sheet &sheet, const QString &field, double value);

// One box, no icon, for every field in `fields` whose text is exactly empty.
void warnEmpty(const Sheet &sheet, Messages &messages,
               std::initializer_list<const char *> fields, const QString &warning);

// Three estimates of one magnitude: their mean, and its error
// sqrt(((mean - a)² + (mean - b)² + (mean - c)²) × 0.5). Either may be infinite.
struct MeanAndError
{
    double mean;
    double error;
};
MeanAndError meanAndError(const double (&estimates)[3]);

inline const QString NothingWritten = QStringLiteral("nessun risultato è stato scritto.");

// The headline of a command whose steps each write before the next one reads:
// where it stopped, then `nothing` when that was the first step, or what the
// earlier steps wrote and which fields were left as they were.
QString stopHeadline(const QString &stoppedAt, bool firstStep, const QString &nothing,
                     const QString &earlierWritten);

// The one message after a command stopped: what was (not) written and why.
void report(Messages &messages, const QString &headline, const Stop &stop);

} // namespace Computation

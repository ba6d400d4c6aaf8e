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

// The one message after a command stopped: what was (not) written and why.
void report(Messages &messages, const QString &headline, const Stop &stop);

} // namespace Computation

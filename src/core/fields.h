#pragma once
// The sheet's text fields: the words a user knows each by (its row and
// column, or its label) and the text it starts with.

#include "core/names.h"

#include <QString>
#include <QStringList>

namespace Fields {

struct Description
{
    const char *name;
    const char *description; // what a message or a screen reader calls the field
    const char *initialText;
};

// Every field, Text1 to Text37 then NomeFile.
const QList<Description> &table();

// The names of table(), in its order.
const QStringList &all();

// "ADU Stella C1", "Mag. con C2", "(B-V) Var."; an unknown name as it is.
QString description(const QString &field);

QString initialText(const QString &field);

} // namespace Fields

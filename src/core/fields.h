#pragma once
// The sheet's text fields and the words a user knows them by: its row and
// column, or its label.

#include <QString>
#include <QStringList>

namespace Fields {

// Text1 to Text37, then NomeFile.
const QStringList &all();

// "ADU Stella C1", "Mag. con C2", "(B-V) Var.": what a message or a screen
// reader calls the field.
QString description(const QString &field);

} // namespace Fields

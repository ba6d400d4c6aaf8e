#pragma once
// A value file keeps the text of one field, as one line, at a fixed path.

#include "core/sheet.h"

namespace Files {

inline const QString SaveTitle = QStringLiteral("Salva");
inline const QString LoadTitle = QStringLiteral("Carica");
inline const QString SaveFailed = QStringLiteral("Si è verificato un errore nel salvataggio.");

// Replaces the file at `path` with the line `text` and tells the user how it
// went: `success` with the information icon, or the one failure text. Every
// command that saves a file reports through it.
void saveLine(Messages &messages, const QString &path, const QString &text,
              const QString &success);

// Saves the field's text as the file's one line.
void saveValue(const Sheet &sheet, Messages &messages, const QString &field,
               const QString &path, const QString &success);

// The field's text becomes the file's text. A file holding no text leaves
// the field as it is; a file that cannot be read changes nothing and is
// named in one warning.
void loadValue(Sheet &sheet, Messages &messages, const QString &field, const QString &path);

} // namespace Files

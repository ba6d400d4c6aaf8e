#pragma once
// A plot saved as a picture or a PDF, whichever the name's suffix asks for.

#include "core/sheet.h"

#include <QString>

class QCustomPlot;

namespace PlotImage {

inline const QString Title = QStringLiteral("Salva immagine");
inline const QString Filter = QStringLiteral("Immagine PNG (*.png);;Immagine JPEG (*.jpg *.jpeg);;"
                                             "Immagine BMP (*.bmp);;Documento PDF (*.pdf)");
inline const QString UnknownFormat =
    QStringLiteral("Impossibile salvare l'immagine \"%1\": il nome deve finire in .png, .jpg, "
                   ".jpeg, .bmp o .pdf, il formato in cui scriverla.");
inline const QString NotSaved = QStringLiteral("Impossibile salvare l'immagine \"%1\".");

// Replaces the file at `path` with `plot` as shown; empty on success, else
// the message to show.
QString save(QCustomPlot &plot, const QString &path);

struct Saved
{
    QString path;    // empty when the user chose none
    QString refusal; // the message to show; empty on success
};

// Asks where to save `plot`, from the folder `start`, and saves it there.
Saved saveAsked(QCustomPlot &plot, FileDialogs &dialogs, const QString &start);

} // namespace PlotImage

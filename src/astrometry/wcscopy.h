#pragma once
// A copy of an image with the sky coordinates found for it: the file as it
// is, the celestial system's cards added to (or replacing those of) the
// header of its image, so other programs and later nights read them.

#include <QByteArray>
#include <QString>

namespace Astrometry {

namespace CopyText {
// %1: the file's name.
inline const QString Unreadable = QStringLiteral("Impossibile leggere \"%1\" per copiarlo.");
inline const QString NotFits = QStringLiteral("Impossibile copiare \"%1\": non è un'immagine FITS leggibile.");
inline const QString Unwritable = QStringLiteral("Impossibile scrivere \"%1\".");
} // namespace CopyText

// `cards`: 80 characters each (Imaging::wcsCards). The problem, or empty;
// the target is replaced whole or not at all.
QString saveWithWcs(const QString &source, const QString &target, const QByteArray &cards);

} // namespace Astrometry

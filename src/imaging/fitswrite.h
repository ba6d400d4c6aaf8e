#pragma once
// Images this program writes for other programs and for later nights: one
// plane of 32-bit floats with the cards it is given.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace Imaging {

// The cards of `header` (80 characters each, as FitsImage::headerCards)
// that tell of the exposure, leaving out those that describe how the pixels
// are stored, which the new file says itself.
QByteArray exposureCards(const QByteArray &header);

// A card "NAME    = value / comment"; a string value is quoted.
QByteArray numberCard(const char *name, double value, const char *comment);
QByteArray textCard(const char *name, const QString &value, const char *comment);
QByteArray historyCard(const QString &text);

// Writes `pixels` (width × height, row by row, NaN where invalid) with the
// cards, replacing the file at `path` only once the new one is whole. False
// when it could not be written, or when `path` is no regular file.
bool saveFloatImage(const QString &path, int width, int height, const float *pixels,
                    const QByteArray &cards);

} // namespace Imaging

#pragma once
// The colours and faces the windows share.

#include <QFont>
#include <QRgb>

namespace Look {

constexpr QRgb Silver = qRgb(192, 192, 192); // every window's background
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Grey = qRgb(224, 224, 224);
constexpr QRgb Yellow = qRgb(255, 255, 192);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb LightGreen = qRgb(0, 192, 0);
constexpr QRgb DarkRed = qRgb(128, 0, 0);
constexpr QRgb DarkGrey = qRgb(64, 64, 64);

// `family` at `points`, fractions kept (QFont's constructor drops them).
inline QFont face(const QString &family, qreal points)
{
    QFont font(family);
    font.setPointSizeF(points);
    return font;
}

// The classic dialog face; the application maps it to a metric-compatible one.
inline QFont msSansSerif(int points)
{
    return face(QStringLiteral("MS Sans Serif"), points);
}

} // namespace Look

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

// The face that draws `family` here. The classic faces this platform lacks
// stand in as their metric-compatible twins, named as such: Qt answers a
// face it does not know with a fontconfig search for fallbacks, a few
// milliseconds of start-up each. Wine's bitmap MS Sans Serif and Courier
// render badly, so they are never used.
inline QString family(const char *designed)
{
    struct StandIn { const char *designed; const char *installed; };
    static constexpr StandIn standIns[] = {{"Times New Roman", "Liberation Serif"},
                                           {"CG Omega", "Liberation Sans Narrow"},
                                           {"MS Sans Serif", "Liberation Sans"},
                                           {"Courier", "Liberation Mono"}};
    for (const StandIn &s : standIns)
        if (qstrcmp(s.designed, designed) == 0)
            return QString::fromLatin1(s.installed);
    return QString::fromLatin1(designed);
}

// `designed` at `points`, fractions kept (QFont's constructor drops them).
inline QFont face(const char *designed, qreal points)
{
    QFont font(family(designed));
    font.setPointSizeF(points);
    return font;
}

// The classic dialog face.
inline QFont msSansSerif(int points)
{
    return face("MS Sans Serif", points);
}

} // namespace Look

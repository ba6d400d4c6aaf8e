#pragma once
// The time axes every light curve is drawn on: JD - 2400000 below, the UTC
// date and time above, following each other as the view moves.

#include <qcustomplot.h>

constexpr double ShownJdOffset = 2400000;
inline const QString ShownJdLabel = QStringLiteral("JD − 2400000");

// Sets up the plot's bottom and top axes; the bottom one's range then drives both.
void setJulianDateAxes(QCustomPlot &plot);

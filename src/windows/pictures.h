#pragma once

#include <QColor>
#include <QImage>
#include <QList>

// The example calibration chart of the manual, 501 x 319 pixels.
QImage calibrationChart();

// A run of the suggestion strip in one colour.
struct Phrase
{
    QColor colour;
    QString text;
};

// The four lines of the suggestion strip, phrase by phrase.
QList<QList<Phrase>> suggestionLines();

// The suggestion strip, 850 x 57 pixels: four lines with the red and blue
// stars in their colours.
QImage suggestionStrip();

#include "pictures.h"

#include "helplabel.h"

#include "ui/look.h"

#include <QPainter>

QList<QList<Phrase>> suggestionLines()
{
    const QColor Black = Qt::black, Red = Qt::red, Blue = Qt::blue;
    // Phrase by phrase, in the colour of the star each one names.
    return {
        {{Black, "equazione m+ con "}, {Red, "Confronto rossa"}, {Black, " & "},
         {Blue, "Variabile blu"}, {Black, "="}, {Blue, "Variabile blu"},
         {Black, " non calibrata è più bedole della "}, {Blue, "Variabile blu"},
         {Black, " calibrata"}},
        {{Black, "equazione m+ con "}, {Blue, "Confronto blu"}, {Black, " & "},
         {Red, "Variabile rossa"}, {Black, "="}, {Red, "Variabile rossa"},
         {Black, " non calibrata è più luminosa della "}, {Red, "Variabile rossa"},
         {Black, " calibrata"}},
        {{Black, "equazione m- con "}, {Red, "Confronto rossa"}, {Black, " & "},
         {Blue, "Variabile blu"}, {Black, "="}, {Blue, "Variabile blu"},
         {Black, " non calibrata è più luminosa della "}, {Blue, "variabile blu"},
         {Black, " calibrata"}},
        {{Black, "equazione m- con "}, {Blue, "Confronto blu"}, {Black, " & "},
         {Red, "Variabile rossa"}, {Black, "="}, {Red, "Variabile rossa"},
         {Black, " non calibrata è più debole della "}, {Red, "Variabile rossa"},
         {Black, " calibrata"}},
    };
}

QImage suggestionStrip()
{
    QImage image(850, 57, QImage::Format_RGB888);
    image.fill(QColor(Look::Silver));
    QPainter p(&image);
    QFont font(Look::family("Courier"));
    font.setPixelSize(11);
    // 125 characters of the longest line across 850 pixels.
    p.setFont(withAdvance(font, 6.75));
    const int ascent = p.fontMetrics().ascent();
    int top = 1;
    for (const QList<Phrase> &line : suggestionLines()) {
        qreal x = 2;
        for (const Phrase &phrase : line) {
            p.setPen(phrase.colour);
            p.drawText(QPointF(x, top + ascent), phrase.text);
            x += p.fontMetrics().horizontalAdvance(phrase.text);
        }
        top += 14;
    }
    return image;
}

#include "linecontrol.h"

#include <QPainter>

LineControl::LineControl(QPoint from, QPoint to, QColor colour, int width, QWidget *parent)
    : QWidget(parent), m_from(from), m_to(to), m_colour(colour), m_width(width)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QRect box = QRect(from, to).normalized();
    setGeometry(box.adjusted(0, 0, width, width));
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPen pen(m_colour, m_width);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    const QPoint origin = geometry().topLeft();
    painter.drawLine(m_from - origin, m_to - origin);
}

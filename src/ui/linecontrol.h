#pragma once

#include <QColor>
#include <QWidget>

// A straight line drawn between two points of its parent.
class LineControl : public QWidget
{
    Q_OBJECT
public:
    LineControl(QPoint from, QPoint to, QColor colour, int width, QWidget *parent);
    QPoint from() const { return m_from; }
    QPoint to() const { return m_to; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_from, m_to;
    QColor m_colour;
    int m_width;
};

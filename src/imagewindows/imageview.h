#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

// An image's display picture, fitted to the widget or zoomed (wheel, about
// the cursor) and panned (drag), with the placed stars' apertures over it.
// Positions are the image's own (imaging/fitsimage.h): pixel (0, 0) is the
// bottom-left one, as FITS viewers show north up.
class ImageView : public QWidget
{
    Q_OBJECT
public:
    struct Marker
    {
        QPointF centre;
        QString label;
        QColor colour;
    };

    explicit ImageView(QWidget *parent = nullptr);

    // The picture top row first, as drawn: the image's last row. A picture of another size
    // is fitted; one of the same size keeps the view, so that the stars
    // stay where they were.
    void setPicture(const QImage &picture);
    void setMarkers(const QList<Marker> &markers, double radius, double innerRadius,
                    double outerRadius);
    // Stars named on the picture (a comparison sequence's): a small ring and
    // the name, under the placed stars' apertures.
    void setStarLabels(const QList<Marker> &labels);
    void fit();

    QPointF toWidget(const QPointF &imagePoint) const;
    QPointF toImage(const QPointF &widgetPoint) const;

signals:
    // A click that did not drag and was not the first of a double-click.
    void clicked(QPointF imagePoint);
    // The pointer over the picture; `inside` false when it left it.
    void pointed(QPointF imagePoint, bool inside);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool inside(const QPointF &imagePoint) const;

    QImage m_picture; // top row first, as drawn
    QList<Marker> m_markers;
    QList<Marker> m_labels;
    double m_radii[3] = {0, 0, 0};
    double m_scale = 1;  // widget pixels per image pixel
    QPointF m_offset;    // where the picture's top-left corner is drawn
    bool m_fitted = true; // follows the widget's size until zoomed or panned
    QPointF m_pressedAt;
    QPointF m_lastDrag;
    bool m_dragging = false;
    // A click waits out the double-click time, so that a double-click only fits.
    QTimer m_clickDelay;
    QPointF m_pendingClick;
};

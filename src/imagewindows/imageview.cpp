#include "imageview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double MaxScale = 32;   // widget pixels per image pixel
constexpr double WheelStep = 1.25; // zoom per notch
constexpr double LabelRing = 4;    // a named star's ring, widget pixels

} // namespace

ImageView::ImageView(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(200, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::CrossCursor);
    m_clickDelay.setSingleShot(true);
    m_clickDelay.setInterval(QApplication::doubleClickInterval());
    connect(&m_clickDelay, &QTimer::timeout, this, [this] { emit clicked(m_pendingClick); });
}

void ImageView::setPicture(const QImage &picture)
{
    const bool sameSize = picture.size() == m_picture.size();
    m_picture = picture;
    if (!sameSize || m_fitted)
        fit();
    update();
}

void ImageView::setMarkers(const QList<Marker> &markers, double radius, double innerRadius,
                           double outerRadius)
{
    m_markers = markers;
    m_radii[0] = radius;
    m_radii[1] = innerRadius;
    m_radii[2] = outerRadius;
    update();
}

void ImageView::setStarLabels(const QList<Marker> &labels)
{
    m_labels = labels;
    update();
}

void ImageView::fit()
{
    m_fitted = true;
    if (m_picture.isNull())
        return;
    m_scale = std::min(width() / double(m_picture.width()), height() / double(m_picture.height()));
    m_offset = QPointF((width() - m_scale * m_picture.width()) / 2,
                       (height() - m_scale * m_picture.height()) / 2);
    update();
}

QPointF ImageView::toWidget(const QPointF &imagePoint) const
{
    const QPointF picture(imagePoint.x() + 0.5, m_picture.height() - 0.5 - imagePoint.y());
    return picture * m_scale + m_offset;
}

QPointF ImageView::toImage(const QPointF &widgetPoint) const
{
    const QPointF picture = (widgetPoint - m_offset) / m_scale;
    return {picture.x() - 0.5, m_picture.height() - 0.5 - picture.y()};
}

bool ImageView::inside(const QPointF &imagePoint) const
{
    return imagePoint.x() > -0.5 && imagePoint.y() > -0.5
        && imagePoint.x() < m_picture.width() - 0.5 && imagePoint.y() < m_picture.height() - 0.5;
}

void ImageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_picture.isNull())
        return;
    // Magnified pixels stay square, so a star's profile can be read.
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_scale < 1);
    p.drawImage(QRectF(m_offset, QSizeF(m_picture.size()) * m_scale), m_picture);

    p.setRenderHint(QPainter::Antialiasing);
    for (const Marker &label : m_labels) {
        const QPointF centre = toWidget(label.centre);
        p.setPen(QPen(label.colour, 1));
        p.drawEllipse(centre, LabelRing, LabelRing);
        p.drawText(centre + QPointF(LabelRing + 1, LabelRing + p.fontMetrics().ascent()), label.label);
    }
    for (const Marker &marker : m_markers) {
        const QPointF centre = toWidget(marker.centre);
        for (int ring = 0; ring < 3; ++ring) {
            QPen pen(marker.colour, 1.5, ring == 0 ? Qt::SolidLine : Qt::DashLine);
            p.setPen(pen);
            const double r = m_radii[ring] * m_scale;
            p.drawEllipse(centre, r, r);
        }
        const double r = m_radii[2] * m_scale;
        p.setPen(marker.colour);
        p.drawText(centre + QPointF(r * 0.72 + 2, -r * 0.72 - 2), marker.label);
    }
}

void ImageView::resizeEvent(QResizeEvent *)
{
    if (m_fitted)
        fit();
}

void ImageView::wheelEvent(QWheelEvent *event)
{
    if (m_picture.isNull())
        return;
    const double fitScale = std::min(width() / double(m_picture.width()),
                                     height() / double(m_picture.height()));
    const double wanted = m_scale * std::pow(WheelStep, event->angleDelta().y() / 120.0);
    const double scale = std::clamp(wanted, fitScale / 4, MaxScale);
    const QPointF at = event->position();
    // The point under the cursor stays under it.
    m_offset = at - (at - m_offset) * (scale / m_scale);
    m_scale = scale;
    m_fitted = false;
    update();
}

void ImageView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedAt = m_lastDrag = event->position();
    m_dragging = false;
}

void ImageView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    if (event->buttons() & Qt::LeftButton) {
        if (!m_dragging && (at - m_pressedAt).manhattanLength() >= QApplication::startDragDistance())
            m_dragging = true;
        if (m_dragging) {
            m_offset += at - m_lastDrag;
            m_lastDrag = at;
            m_fitted = false;
            update();
        }
    }
    const QPointF imagePoint = toImage(at);
    emit pointed(imagePoint, !m_picture.isNull() && inside(imagePoint));
}

void ImageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_dragging || m_picture.isNull())
        return;
    const QPointF imagePoint = toImage(event->position());
    if (!inside(imagePoint))
        return;
    m_pendingClick = imagePoint;
    m_clickDelay.start();
}

void ImageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_clickDelay.stop();
    m_dragging = true; // its release is no click
    fit();
}

void ImageView::leaveEvent(QEvent *)
{
    emit pointed(QPointF(), false);
}

#include "printing.h"

#include <QLineEdit>
#include <QPainter>
#include <QWidget>

bool renderSheet(QWidget *client, QPaintDevice *device)
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    const QSizeF page(device->width(), device->height());
    const QSizeF picture = client->size();
    const qreal scale = qMin(page.width() / picture.width(), page.height() / picture.height());
    painter.translate((page.width() - picture.width() * scale) / 2,
                      (page.height() - picture.height() * scale) / 2);
    painter.scale(scale, scale);
    // A box being edited draws no blinking cursor while it is read-only, and
    // the cursor is no part of the sheet on paper.
    auto *editing = qobject_cast<QLineEdit *>(client->focusWidget());
    const bool hideCursor = editing && !editing->isReadOnly();
    if (hideCursor)
        editing->setReadOnly(true);
    // The client has no background of its own: the sheet's silver comes from its palette.
    client->render(&painter, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (hideCursor)
        editing->setReadOnly(false);
    return painter.end();
}

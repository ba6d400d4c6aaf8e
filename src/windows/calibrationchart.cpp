#include "pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// B-V and MagCat-MagStrum of the measured stars; their least-squares line is
// 0,03x + 23,12 with R² = 0,32, as the chart states.
const QPointF Stars[] = {
    {0.91, 23.156}, {0.97, 23.156}, {0.80, 23.133}, {1.05, 23.141}, {0.69, 23.157},
    {1.00, 23.151}, {0.49, 23.152}, {0.83, 23.166}, {0.38, 23.118}, {0.65, 23.142},
    {1.02, 23.136}, {0.74, 23.135}, {1.08, 23.152}, {0.39, 23.108}, {0.51, 23.142},
    {1.21, 23.156}, {0.98, 23.145}, {0.36, 23.135}, {1.07, 23.150}, {0.77, 23.141}};

const QColor Green(0, 128, 0);
const QRect Plot(78, 52, 350, 220); // the plot area in the picture
constexpr double XMin = -0.2, XMax = 1.4, XStep = 0.2;
constexpr double YMin = 23.0, YMax = 23.2, YStep = 0.02;

QPointF toPlot(double x, double y)
{
    return {Plot.left() + (x - XMin) / (XMax - XMin) * Plot.width(),
            Plot.bottom() - (y - YMin) / (YMax - YMin) * Plot.height()};
}

QString decimal(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

QFont chartFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void drawDiamond(QPainter &p, QPointF centre)
{
    QPainterPath diamond;
    diamond.moveTo(centre + QPointF(0, -4));
    diamond.lineTo(centre + QPointF(4, 0));
    diamond.lineTo(centre + QPointF(0, 4));
    diamond.lineTo(centre + QPointF(-4, 0));
    diamond.closeSubpath();
    p.fillPath(diamond, Green);
}

void drawAxes(QPainter &p)
{
    p.setPen(Qt::black);
    p.drawRect(Plot);
    p.setFont(chartFont(11));
    const int xTicks = qRound((XMax - XMin) / XStep);
    for (int i = 0; i <= xTicks; ++i) {
        const QPointF at = toPlot(XMin + i * XStep, YMin);
        p.drawLine(at, at + QPointF(0, 4));
        p.drawText(QRectF(at.x() - 25, at.y() + 6, 50, 14), Qt::AlignCenter,
                   decimal(XMin + i * XStep, 3));
    }
    const int yTicks = qRound((YMax - YMin) / YStep);
    for (int i = 0; i <= yTicks; ++i) {
        const QPointF at = toPlot(XMin, YMin + i * YStep);
        p.drawLine(at, at - QPointF(4, 0));
        p.drawText(QRectF(at.x() - 52, at.y() - 7, 46, 14), Qt::AlignRight | Qt::AlignVCenter,
                   decimal(YMin + i * YStep, 3));
    }
    p.setFont(chartFont(12, true));
    p.drawText(QRect(Plot.left(), Plot.bottom() + 22, Plot.width(), 18), Qt::AlignCenter,
               QStringLiteral("B-V"));
    p.save();
    p.translate(14, Plot.center().y());
    p.rotate(-90);
    p.drawText(QRect(-Plot.height() / 2, -8, Plot.height(), 18), Qt::AlignCenter,
               QStringLiteral("MagCat-MagStrum"));
    p.restore();
}

} // namespace

QImage calibrationChart()
{
    QImage image(501, 319, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));

    p.setFont(chartFont(14, true));
    p.drawText(QRect(0, 6, 501, 18), Qt::AlignCenter, QStringLiteral("Calibrazione M67"));
    p.setFont(chartFont(12, true));
    p.drawText(QRect(0, 24, 501, 16), Qt::AlignCenter, QStringLiteral("camera CCD Atik 16IC"));
    drawAxes(p);

    p.setClipRect(Plot);
    p.setPen(QPen(Green, 1.5));
    p.drawLine(toPlot(XMin, 23.12 + 0.03 * XMin), toPlot(XMax, 23.12 + 0.03 * XMax));
    for (const QPointF &star : Stars)
        drawDiamond(p, toPlot(star.x(), star.y()));
    p.setClipping(false);

    p.setPen(Qt::black);
    p.setFont(chartFont(11));
    p.drawText(Plot.left() + 8, Plot.top() + 16, QStringLiteral("f(x) = 0,03x + 23,12"));
    p.drawText(Plot.left() + 8, Plot.top() + 30, QStringLiteral("R² = 0,32"));

    const QRect legend(Plot.right() + 14, Plot.center().y() - 12, 44, 24);
    p.drawRect(legend);
    drawDiamond(p, QPointF(legend.left() + 12, legend.center().y()));
    p.drawText(legend.adjusted(22, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("V"));
    return image;
}
